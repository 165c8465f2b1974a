#include "render/RenderExport.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "doc/CKv4731xDoc.h"
#include "render/ChartRender.h"
#include "render/TableRender.h"
#include "render/TimeChartRender.h"

namespace kv {

namespace {

// Documents are written at the resolution of a good printer.
constexpr int kPdfResolution = 1200;
// Pictures keep the pixel sizes of the screen drawing; a point is 1/96 inch as on a screen.
constexpr int kSvgResolution = 96;

// The font the device has when drawing starts, in the device's own pixels: its width is the
// table's header indent, which on a printer must grow with the printer's resolution.
QFont DeviceFont(const QPainter& painter) {
    QFont font = painter.font();
    const QPaintDevice* device = painter.device();
    if (font.pixelSize() <= 0 && font.pointSizeF() > 0 && device != nullptr) {
        font.setPixelSize(std::max(
            1, static_cast<int>(std::lround(font.pointSizeF() * device->logicalDpiY() / 72.0))));
    }
    return font;
}

bool Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

QString WriteError(const QString& path) {
    return QStringLiteral("%1 could not be written.").arg(path);
}

// Opens the temporary file that replaces `path` when it is committed.
bool OpenTarget(QSaveFile& file, const QString& path, QString* error) {
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Fail(error, WriteError(path));
    }
    return true;
}

bool Commit(QSaveFile& file, bool painted, const QString& path, QString* error) {
    if (!painted) {
        file.cancelWriting();
        file.commit();
        return Fail(error, WriteError(path));
    }
    if (!file.commit()) {
        return Fail(error, WriteError(path));
    }
    return true;
}

// The page set-up's page when given, else A4 in the orientation given.
void SetUpPdf(QPdfWriter& writer, const QPageLayout* page, QPageLayout::Orientation orientation) {
    writer.setCreator(QStringLiteral("KV47310"));
    writer.setResolution(kPdfResolution);
    if (page != nullptr && page->isValid()) {
        writer.setPageLayout(*page);
        return;
    }
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(orientation);
}

void SetUpSvg(QSvgGenerator& generator, QIODevice& file, QSize size) {
    generator.setOutputDevice(&file);
    generator.setResolution(kSvgResolution);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
}

}  // namespace

void PaintChartPages(CKv4731xDoc& doc, QPagedPaintDevice& device, QSize lastScreenSize) {
    doc.CheckReference();
    doc.CheckLogLimits();
    const QSize page(device.width(), device.height());
    if (page.isEmpty()) {
        return;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        return;
    }
    RenderChart(painter, doc,
                ChartSurface::Printer(page, lastScreenSize.isEmpty() ? page : lastScreenSize));
    painter.end();
}

int PaintTablePages(CKv4731xDoc& doc, QPagedPaintDevice& device, QSize screenResolution,
                    int fromPage, int toPage) {
    return PaintTablePages(
        doc, device, [&device] { return device.newPage(); }, screenResolution, fromPage, toPage);
}

int PaintTablePages(CKv4731xDoc& doc, QPaintDevice& device, const std::function<bool()>& newPage,
                    QSize screenResolution, int fromPage, int toPage) {
    doc.CheckReference();
    const QSize page(device.width(), device.height());
    if (page.isEmpty()) {
        return 0;
    }
    const int count = TablePageCount(doc, page, screenResolution);
    const int first = std::max(1, fromPage);
    const int last = toPage > 0 ? std::min(toPage, count) : count;
    if (first > last) {
        return 0;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        return 0;
    }
    const QFont deviceFont = DeviceFont(painter);
    int painted = 0;
    for (int p = first; p <= last; ++p) {
        if (painted > 0 && !newPage()) {
            break;
        }
        TableSurface surface = TableSurface::Printer(p, page, screenResolution);
        surface.deviceFont = deviceFont;
        RenderTable(painter, doc, surface);
        ++painted;
    }
    painter.end();
    return painted;
}

QString TooLargeForPngText(int rowsThatFit, int rows) {
    return QStringLiteral(
               "The table is too long for a PNG picture: %1 of its %2 rows fit in %3 pixels. "
               "Export it as an SVG or PDF file to keep every row.")
        .arg(rowsThatFit)
        .arg(rows)
        .arg(kMaxPictureSide);
}

ExportFileType ExportFileTypeOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return ExportFileType::Png;
    }
    if (suffix == QLatin1String("svg")) {
        return ExportFileType::Svg;
    }
    if (suffix == QLatin1String("pdf")) {
        return ExportFileType::Pdf;
    }
    return ExportFileType::Unsupported;
}

bool ExportChart(CKv4731xDoc& doc, const QString& path, QSize size, QString* error,
                 const QPageLayout* page) {
    const ExportFileType type = ExportFileTypeOf(path);
    if (type == ExportFileType::Unsupported) {
        return Fail(error, QString::fromLatin1(kUnsupportedFileTypeText));
    }
    size = size.expandedTo(QSize(1, 1));
    QSaveFile file;
    if (!OpenTarget(file, path, error)) {
        return false;
    }
    bool painted = false;
    switch (type) {
        case ExportFileType::Png:
            painted = RenderChartImage(doc, size).save(&file, "PNG");
            break;
        case ExportFileType::Svg: {
            // The checks may show a message: before the painter is opened.
            doc.CheckReference();
            doc.CheckLogLimits();
            QSvgGenerator generator;
            SetUpSvg(generator, file, size);
            QPainter painter;
            if (painter.begin(&generator)) {
                painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
                RenderChart(painter, doc, ChartSurface::Screen(size));
                painted = painter.end();
            }
            break;
        }
        case ExportFileType::Pdf: {
            QPdfWriter writer(&file);
            SetUpPdf(writer, page,
                     size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
            PaintChartPages(doc, writer, size);
            // The page is written when the painting ends; nothing is written when it could
            // not begin.
            painted = file.size() > 0;
            break;
        }
        case ExportFileType::Unsupported:
            break;
    }
    return Commit(file, painted, path, error);
}

bool ExportTable(CKv4731xDoc& doc, const QString& path, QSize screenResolution, QString* error,
                 const QPageLayout* page) {
    const ExportFileType type = ExportFileTypeOf(path);
    if (type == ExportFileType::Unsupported) {
        return Fail(error, QString::fromLatin1(kUnsupportedFileTypeText));
    }
    if (type == ExportFileType::Png) {
        // A picture larger than this cannot be painted whole: refused before anything is written.
        const QSize whole = TableImageSize(doc, QSize());
        if (whole.height() > kMaxPictureSide || whole.width() > kMaxPictureSide) {
            return Fail(error, TooLargeForPngText(TableImageRowsThatFit(doc, kMaxPictureSide),
                                                  doc.ViewPointCount()));
        }
    }
    QSaveFile file;
    if (!OpenTarget(file, path, error)) {
        return false;
    }
    bool painted = false;
    switch (type) {
        case ExportFileType::Png:
            painted = RenderTableImage(doc, QSize()).save(&file, "PNG");
            break;
        case ExportFileType::Svg: {
            doc.CheckReference();
            const QSize size = TableImageSize(doc, QSize());
            QSvgGenerator generator;
            SetUpSvg(generator, file, size);
            QPainter painter;
            if (painter.begin(&generator)) {
                PaintTableImage(painter, doc, QSize());
                painted = painter.end();
            }
            break;
        }
        case ExportFileType::Pdf: {
            QPdfWriter writer(&file);
            SetUpPdf(writer, page, QPageLayout::Portrait);
            painted = PaintTablePages(doc, writer, screenResolution) > 0;
            break;
        }
        case ExportFileType::Unsupported:
            break;
    }
    return Commit(file, painted, path, error);
}

bool ExportTimeChart(const CKv4731xDoc& doc, const QString& path, QSize size, QString* error,
                     const QPageLayout* page) {
    const ExportFileType type = ExportFileTypeOf(path);
    if (type == ExportFileType::Unsupported) {
        return Fail(error, QString::fromLatin1(kUnsupportedFileTypeText));
    }
    size = size.expandedTo(QSize(1, 1));
    QSaveFile file;
    if (!OpenTarget(file, path, error)) {
        return false;
    }
    bool painted = false;
    switch (type) {
        case ExportFileType::Png:
            painted = RenderTimeChartImage(doc, size).save(&file, "PNG");
            break;
        case ExportFileType::Svg: {
            QSvgGenerator generator;
            SetUpSvg(generator, file, size);
            QPainter painter;
            if (painter.begin(&generator)) {
                painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
                RenderTimeChart(painter, doc, ChartSurface::Screen(size));
                painted = painter.end();
            }
            break;
        }
        case ExportFileType::Pdf: {
            QPdfWriter writer(&file);
            SetUpPdf(writer, page,
                     size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
            PaintTimeChartPages(doc, writer, size);
            painted = file.size() > 0;
            break;
        }
        case ExportFileType::Unsupported:
            break;
    }
    return Commit(file, painted, path, error);
}

}  // namespace kv
