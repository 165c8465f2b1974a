// The display sheets, the display options, and printing, copying and exporting the views.
#include <algorithm>
#include <string>

#include "display/CPlotFormat.h"
#include "display/ChartLayout.h"
#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "probe/Units.h"

namespace kv {

namespace {

constexpr const char* kNothingToCopyText =
    "Nothing to copy to the clipboard.  The Data is not valid.";
constexpr const char* kNothingToCopyCaption = "Copy Table";
constexpr const char* kClipboardFailedText = "Unable to set Clipboard data";
constexpr const char* kClipboardCaption = "Copy to clipboard";
constexpr const char* kExportFilter =
    "PNG Image (*.png)|*.png|SVG Drawing (*.svg)|*.svg|PDF Document (*.pdf)|*.pdf||";

// The setup file's name with another extension, so that an export lands beside the setup it
// shows; a generic name while the setup has none.
std::string BesideSetup(const std::string& setupPath, const std::string& fallback,
                        const std::string& extension) {
    if (setupPath.empty()) {
        return fallback + "." + extension;
    }
    const std::size_t slash = setupPath.find_last_of('/');
    const std::size_t dot = setupPath.find_last_of('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? setupPath.substr(0, dot)
                                 : setupPath;
    return stem + "-" + fallback + "." + extension;
}

}  // namespace

// ------------------------------------------------------------------------------ "Display" sheet

void CKv4731xDoc::OnDisplaySheet(int page) {
    if (page >= 0) {
        displaySheetPage = page;
    }
    DisplaySheet sheet;
    for (int t = 0; t < kTraceCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        sheet.displayed[i] = traces_[i].displayed;
        sheet.valid[i] = traces_[i].valid;
    }
    sheet.mathMode = mathMode;
    sheet.referenceTrace = referenceTrace;
    int active = displaySheetPage;
    if (!ui_.EditDisplaySheet(sheet, active)) {
        return;
    }
    // In this order: the displayed flags, the copy into the chosen memory (which so takes Data's
    // displayed flag as just set), the trace math, the page. The setup is not marked modified.
    for (int t = 0; t < kTraceCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        traces_[i].displayed = sheet.displayed[i];
    }
    if (sheet.memory >= 0 && sheet.memory < kTraceCount - 1) {
        RestoreLabel(sheet.memory + 1);
        traces_[static_cast<std::size_t>(sheet.memory + 1)].CopyFrom(traces_[kDataTrace]);
    }
    mathMode = sheet.mathMode;
    referenceTrace = sheet.referenceTrace;
    if (active >= 0 && active < kDisplaySheetPages) {
        displaySheetPage = active;
    }
    UpdateAllViews();
}

// ---------------------------------------------------------------------- "Display options" sheet

DisplayOptionsSheet CKv4731xDoc::DisplayOptionsValues() const {
    DisplayOptionsSheet s;
    s.title = title;
    s.subtitle = subtitle;
    s.timeDate = {timeDateShown, timeDateUpdate, timeDateColour,
                  timeDateFont,  dateStamp,      timeStamp};
    s.parameter = {parameterColour, parameterFont, ChartParameterLabel()};
    s.scale = {scaleColour, scaleFont, FormatFrequency(sweep.StartHz())};
    s.table = {tableColour, tableFont, "Frequency"};
    s.gridColour = gridColour;
    s.lineWidth = chartLineWidth;
    for (int t = 0; t < kTraceCount; ++t) {
        const CTrace& trace = traces_[static_cast<std::size_t>(t)];
        s.traces[static_cast<std::size_t>(t)] = {trace.label, trace.colour, trace.font};
    }
    return s;
}

void CKv4731xDoc::OnDisplayOptions(int page) {
    if (page >= 0) {
        prefSheetPage = page;
    }
    DisplayOptionsSheet sheet = DisplayOptionsValues();
    int active = prefSheetPage;
    if (!ui_.EditDisplayOptions(sheet, active)) {
        return;  // the traces keep their colours, labels and fonts
    }
    SetModified();
    if (active >= 0 && active < kDisplayOptionsPages) {
        prefSheetPage = active;
    }
    ApplyDisplayOptions(sheet);
    UpdateAllViews();
}

void CKv4731xDoc::OnTraceOptions() {
    DisplayOptionsSheet sheet = DisplayOptionsValues();
    sheet.tracesOnly = true;
    int active = kPageFirstTrace;
    if (!ui_.EditDisplayOptions(sheet, active)) {
        return;
    }
    // A changed trace style is a change of the setup that a save keeps: ask before it is lost.
    SetModified();
    ApplyTraceStyles(sheet);
    UpdateAllViews();
}

void CKv4731xDoc::ApplyTraceStyles(const DisplayOptionsSheet& sheet) {
    for (int t = 0; t < kTraceCount; ++t) {
        CTrace& trace = traces_[static_cast<std::size_t>(t)];
        const TraceStyle& style = sheet.traces[static_cast<std::size_t>(t)];
        trace.label = style.label;
        trace.colour = style.colour;
        trace.font = style.font;
    }
}

void CKv4731xDoc::ApplyDisplayOptions(const DisplayOptionsSheet& sheet) {
    ApplyTraceStyles(sheet);
    title = sheet.title;
    subtitle = sheet.subtitle;
    timeStamp = sheet.timeDate.timeStamp;
    dateStamp = sheet.timeDate.dateStamp;
    timeDateShown = sheet.timeDate.shown;
    timeDateUpdate = sheet.timeDate.updateOnMeasurement;
    timeDateColour = sheet.timeDate.colour;
    timeDateFont = sheet.timeDate.font;
    gridColour = sheet.gridColour;
    chartLineWidth = std::clamp(sheet.lineWidth, 0, kMaxLineWidth);
    scaleColour = sheet.scale.colour;
    scaleFont = sheet.scale.font;
    parameterColour = sheet.parameter.colour;
    parameterFont = sheet.parameter.font;
    tableFont = sheet.table.font;
    tableColour = sheet.table.colour;
}

// -------------------------------------------------------------------- printing and clipboard

std::string CKv4731xDoc::TableCopyText() const {
    std::string text;
    if (title.shown) {
        text += title.text + "\n";
    }
    if (subtitle.shown) {
        text += subtitle.text + "\n";
    }
    if (timeDateShown) {
        text += DateStampText(dateStamp) + " " + TimeStampText(timeStamp) + "\n";
    }
    // Every row has a field under each header field: with permeability the rows carry u' and u''
    // of each trace and neither the sensitivity nor the uncertainty.
    const bool permeability = !traces_[kDataTrace].permeability.empty();
    const bool withSensitivity = includeSensitivity && !permeability;
    std::vector<std::string> titles = CopyTitles(permeability, includeSensitivity);
    // The Data trace's u(e') and u(e'') follow, as the table shows them.
    const bool withUncertainty = UncertaintyColumnsShown() && !permeability;
    if (withUncertainty) {
        titles.push_back(UncertaintyTitle(0));
        titles.push_back(UncertaintyTitle(1));
    }
    for (std::size_t k = 0; k < titles.size(); ++k) {
        text += (k == 0 ? "" : "\t") + titles[k];
    }
    text += "\n";

    const int points = ViewPointCount();
    const std::vector<double>& sensitivity = engine_->result.sensitivity;
    // About 60 bytes a row with one trace shown.
    text.reserve(text.size() + static_cast<std::size_t>(points) * 64);
    for (int i = 0; i < points; ++i) {
        text += CopyRowText(i, permeability);
        if (withSensitivity) {
            const auto k = static_cast<std::size_t>(i);
            text += Printf("\t%15.4f", k < sensitivity.size() ? sensitivity[k] : 9999.0);
        }
        if (withUncertainty) {
            for (int c = 0; c < 2; ++c) {
                text += '\t' + UncertaintyCellText(Trace(kDataTrace), i, c);
            }
        }
        text += "\n";
    }
    return text;
}

void CKv4731xDoc::OnCopyChart() {
    if (!ui_.CopyChartToClipboard()) {
        ui_.Message(kClipboardFailedText, kClipboardCaption, Buttons::Ok);
    }
}

void CKv4731xDoc::OnCopyTable() {
    if (!TraceValid(kDataTrace)) {
        ui_.Message(kNothingToCopyText, kNothingToCopyCaption, Buttons::Ok);
        return;
    }
    if (!ui_.CopyTextToClipboard(TableCopyText())) {
        ui_.Message(kClipboardFailedText, kClipboardCaption, Buttons::Ok);
    }
}

void CKv4731xDoc::OnExport(ViewKind view) {
    const bool chart = view == ViewKind::Chart;
    const bool timeChart = view == ViewKind::TimeChart;
    FileDialogRequest request;
    request.caption = chart ? "Export Chart" : timeChart ? "Export Time Chart" : "Export Table";
    request.filter = kExportFilter;
    request.defaultExtension = chart || timeChart ? "png" : "pdf";
    request.fileName = BesideSetup(pathName_,
                                   chart       ? "chart"
                                   : timeChart ? "time-chart"
                                               : "table",
                                   request.defaultExtension);
    const auto path = ui_.GetSaveFileName(request);
    if (!path) {
        return;
    }
    const std::string error = ui_.ExportView(view, *path);
    if (!error.empty()) {
        ui_.Message(error, request.caption, Buttons::Ok, Icon::Stop);
        return;
    }
    ui_.ShowStatusText((chart       ? "Chart exported to "
                        : timeChart ? "Time chart exported to "
                                    : "Table exported to ") +
                       *path);
}

}  // namespace kv
