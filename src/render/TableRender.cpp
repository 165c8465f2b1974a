#include "render/TableRender.h"

#include <QFontMetrics>
#include <algorithm>

#include "display/ChartLayout.h"
#include "doc/CKv4731xDoc.h"
#include "render/RenderFonts.h"
#include "render/RenderText.h"

namespace kv {

namespace {

// The marker row's cells are drawn on yellow.
constexpr ColorRef kMarkerBackground = 0x0000FFFF;

// Fonts are scaled by the device's resolution over the screen's.
struct TableFonts {
    double heightScale = 1.0;
    double widthScale = 1.0;

    explicit TableFonts(const TableSurface& s) {
        if (s.reference.height() > 0 && s.resolution.height() > 0) {
            heightScale = static_cast<double>(s.resolution.height()) / s.reference.height();
        }
        if (s.reference.width() > 0 && s.resolution.width() > 0) {
            widthScale = static_cast<double>(s.resolution.width()) / s.reference.width();
        }
    }
    QFont Of(const LogFont& lf) const { return FontFromLogFont(lf, heightScale, widthScale); }
};

TableMetrics MeasureTable(const CKv4731xDoc& doc, const TableSurface& s, const TableFonts& fonts);

// The fonts of a surface. A printed page scales every font by one factor in both directions, so
// that no text is squeezed: the page's height over the screen's, made smaller when the table
// would then be wider than the page.
TableFonts FontsFor(const CKv4731xDoc& doc, const TableSurface& s) {
    TableFonts fonts(s);
    if (!s.printing) {
        return fonts;
    }
    fonts.widthScale = fonts.heightScale;
    const int width = TableLayout(MeasureTable(doc, s, fonts)).ContentWidth();
    if (width > s.resolution.width() && width > 0) {
        fonts.heightScale *= static_cast<double>(s.resolution.width()) / width;
        fonts.widthScale = fonts.heightScale;
    }
    return fonts;
}

int TextHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

TableMetrics MeasureTable(const CKv4731xDoc& doc, const TableSurface& s, const TableFonts& fonts) {
    TableMetrics m;
    m.headerX = 2 * QFontMetrics(s.deviceFont).averageCharWidth();
    if (doc.title.shown) {
        m.headerHeights.push_back(TextHeight(fonts.Of(doc.title.font)));
    }
    if (doc.subtitle.shown) {
        m.headerHeights.push_back(TextHeight(fonts.Of(doc.subtitle.font)));
    }
    const QFont tableFont = fonts.Of(doc.tableFont);
    if (doc.mathMode != TraceMath::Off) {
        m.headerHeights.push_back(TextHeight(tableFont));
    }
    if (doc.timeDateShown) {
        m.headerHeights.push_back(TextHeight(fonts.Of(doc.timeDateFont)));
    }
    const QFontMetrics table(tableFont);
    m.charWidth = table.averageCharWidth();
    m.rowHeight = table.height();
    m.points = doc.ViewPointCount();
    for (const std::string& text : FrequencyTextShapes(doc.Engine().frequencies, m.points)) {
        m.frequencyWidth = std::max(m.frequencyWidth, table.horizontalAdvance(RenderString(text)));
    }
    int titleWidth = 0;
    for (int t = 0; t < kTraceCount; ++t) {
        if (doc.TraceDisplayedAndValid(t)) {
            ++m.traceColumns;
            for (int c = 0; c < 2; ++c) {
                titleWidth = std::max(titleWidth,
                                      table.horizontalAdvance(RenderString(doc.ColumnTitle(t, c))));
            }
        }
    }
    if (doc.UncertaintyColumnsShown()) {
        m.extraColumns = 2;
        for (int c = 0; c < 2; ++c) {
            titleWidth = std::max(titleWidth,
                                  table.horizontalAdvance(RenderString(doc.UncertaintyTitle(c))));
        }
    }
    // A title that names its trace keeps an average character width free on either side.
    m.columnWidth = std::max(kTableColumnChars * m.charWidth, titleWidth + 2 * m.charWidth);
    return m;
}

// Draws one cell; the marker row's cells on yellow.
void DrawCell(QPainter& painter, const ChartText& cell, const QColor& colour, bool marked) {
    if (marked) {
        const QFontMetrics fm(painter.font());
        const int width = fm.horizontalAdvance(RenderString(cell.text));
        int x = cell.x;
        if (cell.align == TextAlign::Right) {
            x -= width;
        } else if (cell.align == TextAlign::Centre) {
            x -= width / 2;
        }
        painter.fillRect(QRect(x, cell.y, width, fm.height()),
                         ColorFromColorRef(kMarkerBackground));
    }
    DrawAlignedText(painter, cell, colour);
}

}  // namespace

TableLayout TableLayoutFor(const CKv4731xDoc& doc, const TableSurface& surface) {
    return TableLayout(MeasureTable(doc, surface, FontsFor(doc, surface)));
}

void RenderTable(QPainter& painter, CKv4731xDoc& doc, const TableSurface& surface) {
    doc.CheckReference();
    const TableFonts fonts = FontsFor(doc, surface);
    const TableLayout layout(MeasureTable(doc, surface, fonts));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    int bandTop = surface.scroll.y();
    int bandHeight = surface.viewport.height();
    if (surface.printing) {
        bandTop = surface.resolution.height() * (std::max(1, surface.page) - 1);
        bandHeight = surface.resolution.height();
        painter.translate(0, -bandTop);
    } else {
        painter.translate(-surface.scroll);
    }

    // Header lines.
    const int g = layout.Metrics().headerX;
    int line = 0;
    auto header = [&](const std::string& text, const LogFont& font, ColorRef colour) {
        painter.setFont(fonts.Of(font));
        DrawAlignedText(painter,
                        {text, g, layout.HeaderY(line), TextAlign::Left, TextBaseline::Top},
                        ColorFromColorRef(colour));
        ++line;
    };
    if (doc.title.shown) {
        header(doc.title.text, doc.title.font, doc.title.colour);
    }
    if (doc.subtitle.shown) {
        header(doc.subtitle.text, doc.subtitle.font, doc.subtitle.colour);
    }
    if (doc.mathMode != TraceMath::Off) {
        header(doc.TraceMathLegend(), doc.tableFont, doc.tableColour);
    }
    if (doc.timeDateShown) {
        header(DateStampText(doc.dateStamp) + " " + TimeStampText(doc.timeStamp), doc.timeDateFont,
               doc.timeDateColour);
    }

    // The rows in the band.
    painter.setFont(fonts.Of(doc.tableFont));
    std::vector<int> rowY;
    std::vector<int> rows;
    std::vector<int> titleYs{layout.ColumnTitleY()};
    if (surface.printing) {
        TableLayout::PrintedRows printed = layout.Printed(surface.resolution.height());
        rowY = std::move(printed.rowYs);
        titleYs.clear();
        for (int y : printed.titleYs) {
            if (y + layout.RowHeight() > bandTop && y < bandTop + bandHeight) {
                titleYs.push_back(y);
            }
        }
        const int h = layout.RowHeight();
        for (int i = 0; i < layout.Points(); ++i) {
            const int y = rowY[static_cast<std::size_t>(i)];
            if (y + h > bandTop && y < bandTop + bandHeight) {
                rows.push_back(i);
            }
        }
    } else {
        const auto [first, last] = layout.VisibleRows(bandTop, bandHeight);
        for (int i = first; i < last; ++i) {
            rows.push_back(i);
        }
    }
    auto yOf = [&](int i) {
        return surface.printing ? rowY[static_cast<std::size_t>(i)] : layout.RowY(i);
    };
    const bool highlight = doc.markerOn && doc.AnyTraceDisplayedAndValid();
    const QColor tableColour = ColorFromColorRef(doc.tableColour);
    for (int titleY : titleYs) {
        DrawAlignedText(painter, {"Frequency", layout.FrequencyX(), titleY}, tableColour);
    }
    for (int i : rows) {
        DrawCell(painter, {doc.PointFrequencyText(i), layout.FrequencyX(), yOf(i)}, tableColour,
                 highlight && i == doc.markerPosition);
    }

    int slot = 0;
    for (int t = 0; t < kTraceCount; ++t) {
        if (!doc.TraceDisplayedAndValid(t)) {
            continue;
        }
        const QColor colour = ColorFromColorRef(doc.Trace(t).colour);
        for (int titleY : titleYs) {
            for (int c = 0; c < 2; ++c) {
                DrawAlignedText(painter,
                                {doc.ColumnTitle(t, c), layout.ColumnTitleCentre(slot, c), titleY,
                                 TextAlign::Centre},
                                colour);
            }
        }
        for (int i : rows) {
            const bool marked = highlight && i == doc.markerPosition;
            for (int c = 0; c < 2; ++c) {
                DrawCell(
                    painter,
                    {doc.CellText(t, i, c), layout.CellRight(slot, c), yOf(i), TextAlign::Right},
                    colour, marked);
            }
        }
        ++slot;
    }
    // The Data trace's uncertainty after every trace's columns, in its colour.
    if (layout.Metrics().extraColumns == 2) {
        const QColor colour = ColorFromColorRef(doc.Trace(kDataTrace).colour);
        for (int c = 0; c < 2; ++c) {
            for (int titleY : titleYs) {
                DrawAlignedText(painter,
                                {doc.UncertaintyTitle(c), layout.ExtraTitleCentre(c), titleY,
                                 TextAlign::Centre},
                                colour);
            }
            for (int i : rows) {
                DrawCell(
                    painter,
                    {doc.UncertaintyText(i, c), layout.ExtraCellRight(c), yOf(i), TextAlign::Right},
                    colour, highlight && i == doc.markerPosition);
            }
        }
    }
    painter.restore();
}

QSize TableContentSize(const CKv4731xDoc& doc, const TableSurface& surface) {
    const TableLayout layout = TableLayoutFor(doc, surface);
    return {layout.ContentWidth(), layout.ContentHeight()};
}

std::optional<int> MarkerIndexForTableClick(const CKv4731xDoc& doc, const TableSurface& surface,
                                            QPoint click) {
    if (!doc.AnyTraceDisplayedAndValid()) {
        return std::nullopt;
    }
    return TableLayoutFor(doc, surface).RowAt(click.y() + surface.scroll.y());
}

int TableRowHeight(const CKv4731xDoc& doc, const TableSurface& surface) {
    return QFontMetrics(FontsFor(doc, surface).Of(doc.tableFont)).height();
}

int TableScrollForMarker(const CKv4731xDoc& doc, const TableSurface& surface) {
    return std::max(0, doc.markerPosition) * TableRowHeight(doc, surface);
}

int TablePageCount(const CKv4731xDoc& doc, QSize pageResolution, QSize screenResolution) {
    const int pageHeight = pageResolution.height();
    if (pageHeight <= 0) {
        return 1;
    }
    const TableLayout layout =
        TableLayoutFor(doc, TableSurface::Printer(1, pageResolution, screenResolution));
    if (layout.Points() <= 0 || layout.RowHeight() <= 0) {
        return 1;
    }
    // Page p shows the table from y = pageHeight·(p − 1).
    return layout.PrintedRowYs(pageHeight).back() / pageHeight + 1;
}

QSize TableImageSize(const CKv4731xDoc& doc, QSize size) {
    if (!size.isEmpty()) {
        return size;
    }
    const QSize nominal(1024, 768);
    return TableContentSize(doc, TableSurface::Screen({0, 0}, nominal, nominal))
        .expandedTo(QSize(1, 1));
}

int TableImageRowsThatFit(const CKv4731xDoc& doc, int height) {
    const QSize nominal(1024, 768);
    const TableLayout layout = TableLayoutFor(doc, TableSurface::Screen({0, 0}, nominal, nominal));
    int rows = 0;
    while (rows < layout.Points() &&
           static_cast<long long>(layout.RowY(rows)) + layout.RowHeight() <= height) {
        ++rows;
    }
    return rows;
}

void PaintTableImage(QPainter& painter, CKv4731xDoc& doc, QSize size) {
    const QSize imageSize = TableImageSize(doc, size);
    painter.fillRect(QRect(QPoint(0, 0), imageSize), Qt::white);
    const QSize resolution = size.isEmpty() ? QSize(1024, 768) : size;
    TableSurface surface = TableSurface::Screen({0, 0}, imageSize, resolution);
    surface.deviceFont = painter.font();
    RenderTable(painter, doc, surface);
}

QImage RenderTableImage(CKv4731xDoc& doc, QSize size) {
    QImage image(TableImageSize(doc, size), QImage::Format_RGB32);
    QPainter painter(&image);
    PaintTableImage(painter, doc, size);
    painter.end();
    return image;
}

}  // namespace kv
