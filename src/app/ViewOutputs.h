#pragma once

// Prints, previews, clipboard copies and exports of the two views. Printing keeps one printer
// for the run, so that the page set-up and the chosen printer stay from one print to the next.
// With no printer installed Qt prints to PDF: the print dialog then opens on a file beside the
// setup file.

#include <QSize>
#include <QString>
#include <memory>
#include <string>

#include "display/DisplaySheets.h"

class QPrinter;
class QWidget;

namespace kv {

class CKv4731xDoc;
class CPlot;
class CTable;
class CTimeChart;

class ViewOutputs {
public:
    ViewOutputs(CKv4731xDoc& doc, CPlot* chart, CTable* table, QWidget* parent);
    ~ViewOutputs();
    // The time chart view (its last size on screen is the size of its copies and exports).
    void SetTimeChart(CTimeChart* timeChart) { timeChart_ = timeChart; }
    ViewOutputs(const ViewOutputs&) = delete;
    ViewOutputs& operator=(const ViewOutputs&) = delete;

    // The print dialog and the printing of a view, or its print preview.
    void Print(ViewKind view, bool preview);
    // The page set-up of the printer.
    void PageSetup();
    // The chart as the render layer draws it at the chart's last screen size, on the clipboard;
    // false when the clipboard does not hold it afterwards.
    bool CopyChart();
    // The same for the time chart.
    bool CopyTimeChart();
    // A text on the clipboard; false when the clipboard does not hold it afterwards.
    static bool CopyText(const std::string& text);
    // Writes a view to a file by its extension; an empty text on success.
    std::string Export(ViewKind view, const std::string& path);

    // The size the chart is drawn at for a copy or an export: its last size on screen.
    QSize ChartSize() const;
    QSize TimeChartSize() const;
    QPrinter& Printer();

    // True when printing goes to a PDF file (no printer installed).
    bool PrintsToFile();
    // The PDF a print to file proposes: beside the setup file, named after the view.
    QString DefaultPdfName(ViewKind view) const;
    // Pages the view prints on the printer's page.
    int PageCount(ViewKind view);

private:
    void PreparePrinter(ViewKind view);
    bool PaintView(ViewKind view, QPrinter& printer);
    QSize TableScreen() const;

    CKv4731xDoc& doc_;
    CPlot* chart_;
    CTable* table_;
    CTimeChart* timeChart_ = nullptr;
    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace kv
