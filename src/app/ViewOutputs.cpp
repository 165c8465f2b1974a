#include "app/ViewOutputs.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/CPlot.h"
#include "app/CTable.h"
#include "app/CTimeChart.h"
#include "app/TextConversion.h"
#include "doc/CKv4731xDoc.h"
#include "render/render.h"

namespace kv {

namespace {

constexpr const char* kPrintCaption = "Print";

// The page sizes the page set-up offers when Qt has no printer of the system to ask.
struct PageChoice {
    const char* name;
    QPageSize::PageSizeId id;
};
constexpr PageChoice kPageChoices[] = {
    {"A4", QPageSize::A4},       {"Letter", QPageSize::Letter}, {"A3", QPageSize::A3},
    {"Legal", QPageSize::Legal}, {"A5", QPageSize::A5},
};

}  // namespace

ViewOutputs::ViewOutputs(CKv4731xDoc& doc, CPlot* chart, CTable* table, QWidget* parent)
    : doc_(doc), chart_(chart), table_(table), parent_(parent) {}

ViewOutputs::~ViewOutputs() = default;

QPrinter& ViewOutputs::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            // No printer installed: print to a PDF file.
            printer_->setOutputFormat(QPrinter::PdfFormat);
        }
    }
    return *printer_;
}

bool ViewOutputs::PrintsToFile() {
    return Printer().outputFormat() == QPrinter::PdfFormat;
}

QString ViewOutputs::DefaultPdfName(ViewKind view) const {
    const QString what = view == ViewKind::Chart       ? QStringLiteral("chart")
                         : view == ViewKind::TimeChart ? QStringLiteral("time-chart")
                                                       : QStringLiteral("table");
    const std::string& setup = doc_.PathName();
    if (setup.empty()) {
        return QDir::current().absoluteFilePath(what + QStringLiteral(".pdf"));
    }
    const QFileInfo info(PathFromCore(setup));
    return info.absoluteDir().absoluteFilePath(info.completeBaseName() + QLatin1Char('-') + what +
                                               QStringLiteral(".pdf"));
}

void ViewOutputs::PreparePrinter(ViewKind view) {
    QPrinter& printer = Printer();
    const QString what = view == ViewKind::Chart       ? QStringLiteral("Chart")
                         : view == ViewKind::TimeChart ? QStringLiteral("Time Chart")
                                                       : QStringLiteral("Table");
    printer.setDocName(QStringLiteral("47310C ") + what);
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // Never a bare folder: a file beside the setup file, named after the view.
        printer.setOutputFileName(DefaultPdfName(view));
    }
    printer.setFromTo(0, 0);
}

int ViewOutputs::PageCount(ViewKind view) {
    if (view != ViewKind::Table) {
        return 1;
    }
    QPrinter& printer = Printer();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    return TablePageCount(doc_, page.size(), TableScreen());
}

QSize ViewOutputs::TableScreen() const {
    return table_ != nullptr ? table_->ScreenResolution() : QSize(1024, 768);
}

bool ViewOutputs::PaintView(ViewKind view, QPrinter& printer) {
    int painted = 0;
    if (view == ViewKind::Chart) {
        PaintChartPages(doc_, printer, ChartSize());
        painted = 1;
    } else if (view == ViewKind::TimeChart) {
        PaintTimeChartPages(doc_, printer, TimeChartSize());
        painted = 1;
    } else {
        painted =
            PaintTablePages(doc_, printer, TableScreen(), printer.fromPage(), printer.toPage());
    }
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (painted > 0 && printer.printerState() != QPrinter::Error &&
        (!toFile || QFileInfo::exists(printer.outputFileName()))) {
        return true;
    }
    QMessageBox::warning(parent_, QLatin1String(kPrintCaption),
                         toFile ? QStringLiteral("%1 could not be written.")
                                      .arg(QDir::toNativeSeparators(printer.outputFileName()))
                                : QStringLiteral("The printer could not be started."));
    return false;
}

void ViewOutputs::Print(ViewKind view, bool preview) {
    PreparePrinter(view);
    QPrinter& printer = Printer();
    if (preview) {
        // The previewed view takes the keyboard focus first, as its pane would when clicked;
        // a plain print leaves the focus where it is.
        QWidget* pane = view == ViewKind::Chart       ? static_cast<QWidget*>(chart_)
                        : view == ViewKind::TimeChart ? static_cast<QWidget*>(timeChart_)
                                                      : table_;
        if (pane != nullptr && pane->isVisible()) {
            pane->setFocus(Qt::OtherFocusReason);
        }
        QPrintPreviewDialog dialog(&printer, parent_);
        dialog.setObjectName(QStringLiteral("PrintPreview"));
        dialog.setWindowTitle(view == ViewKind::Chart ? QStringLiteral("Print Chart Preview")
                              : view == ViewKind::TimeChart
                                  ? QStringLiteral("Print Time Chart Preview")
                                  : QStringLiteral("Print Table Preview"));
        // The preview paints into pages of its own: nothing to report.
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [this, view](QPrinter* p) {
                             if (view == ViewKind::Chart) {
                                 PaintChartPages(doc_, *p, ChartSize());
                             } else if (view == ViewKind::TimeChart) {
                                 PaintTimeChartPages(doc_, *p, TimeChartSize());
                             } else {
                                 PaintTablePages(doc_, *p, TableScreen(), 0, 0);
                             }
                         });
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&printer, parent_);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setMinMax(1, PageCount(view));
    if (view != ViewKind::Table) {
        // A chart is always one page.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    PaintView(view, printer);
}

void ViewOutputs::PageSetup() {
    QPrinter& printer = Printer();
    if (!PrintsToFile()) {
        QPageSetupDialog dialog(&printer, parent_);
        dialog.exec();
        return;
    }
    // Qt's page set-up dialog refuses a PDF printer: the page size and orientation here.
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("PageSetup"));
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    auto* size = new QComboBox(&dialog);
    size->setObjectName(QStringLiteral("pageSize"));
    const QPageSize currentSize = printer.pageLayout().pageSize();
    bool listed = false;
    for (const PageChoice& choice : kPageChoices) {
        size->addItem(QLatin1String(choice.name), static_cast<int>(choice.id));
        if (choice.id == currentSize.id()) {
            size->setCurrentIndex(size->count() - 1);
            listed = true;
        }
    }
    if (!listed && currentSize.isValid()) {
        // A size set elsewhere stays chosen: it is offered first, under its own name.
        size->insertItem(0, currentSize.name(), -1);
        size->setCurrentIndex(0);
    }
    auto* orientation = new QComboBox(&dialog);
    orientation->setObjectName(QStringLiteral("orientation"));
    orientation->addItem(QStringLiteral("Portrait"), static_cast<int>(QPageLayout::Portrait));
    orientation->addItem(QStringLiteral("Landscape"), static_cast<int>(QPageLayout::Landscape));
    orientation->setCurrentIndex(printer.pageLayout().orientation() == QPageLayout::Landscape);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Printer:"),
                 new QLabel(QStringLiteral("Print to File (PDF)"), &dialog));
    form->addRow(QStringLiteral("Paper &size:"), size);
    form->addRow(QStringLiteral("&Orientation:"), orientation);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const int chosen = size->currentData().toInt();
    if (chosen >= 0) {
        printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(chosen)));
    }
    printer.setPageOrientation(
        static_cast<QPageLayout::Orientation>(orientation->currentData().toInt()));
}

QSize ViewOutputs::ChartSize() const {
    if (chart_ == nullptr) {
        return QSize(800, 600);
    }
    // The chart's last size on screen, also when only the table is shown now.
    QSize size = chart_->LastScreenSize();
    if (size.isEmpty()) {
        size = chart_->viewport()->size();
    }
    return size.isEmpty() ? QSize(800, 600) : size;
}

QSize ViewOutputs::TimeChartSize() const {
    // The time chart's last size on screen, also when it is hidden now.
    const QSize size = timeChart_ != nullptr ? timeChart_->LastScreenSize() : QSize();
    return size.isEmpty() ? QSize(1000, 400) : size;
}

bool ViewOutputs::CopyTimeChart() {
    const QImage image = RenderTimeChartImage(doc_, TimeChartSize());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(image);
    const QImage back = clipboard->image();
    return !back.isNull() && back.size() == image.size();
}

bool ViewOutputs::CopyChart() {
    const QImage image = RenderChartImage(doc_, ChartSize());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(image);
    // The clipboard reports no failure: read it back.
    const QImage back = clipboard->image();
    return !back.isNull() && back.size() == image.size();
}

bool ViewOutputs::CopyText(const std::string& text) {
    const QString qtext = FromCore(text);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(qtext);
    return clipboard->text() == qtext;
}

std::string ViewOutputs::Export(ViewKind view, const std::string& path) {
    QString error;
    const QString file = PathFromCore(path);
    // Documents are written on the page of the page set-up.
    const QPageLayout page = Printer().pageLayout();
    const bool ok = view == ViewKind::Chart ? ExportChart(doc_, file, ChartSize(), &error, &page)
                    : view == ViewKind::TimeChart
                        ? ExportTimeChart(doc_, file, TimeChartSize(), &error, &page)
                        : ExportTable(doc_, file, TableScreen(), &error, &page);
    return ok ? std::string() : ToCore(error);
}

}  // namespace kv
