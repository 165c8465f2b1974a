#include "doc/CommandTable.h"

#include <ctime>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"

namespace kv {

namespace {

using T = CommandTarget;

const std::vector<CommandInfo> kCommands = {
    // File
    {ID_FILE_NEW, "&New\tCtrl+N", "", "Ctrl+N", T::Application, false},
    {ID_FILE_OPEN, "&Open Setup File...\tCtrl+O", "Open Setup File", "Ctrl+O", T::Application,
     false},
    {ID_FILE_SAVE, "&Save Setup File\tCtrl+S", "", "Ctrl+S", T::Document, false},
    {ID_FILE_SAVE_AS, "Save Setup File  &As...", "Save Setup File As", "", T::Document, false},
    {ID_FILE_OPEN_DATA, "Open Data File...", "Open Data File", "", T::Document, false},
    {ID_FILE_SAVE_DATA, "Save Data File...", "Save Data File", "", T::Document, false},
    {ID_FILE_INCLUDE_SENSITIVITY, "Include Sensitivity Data", "", "", T::Document, true},
    {ID_PRINT_CHART, "Print Chart", "Print Chart", "", T::Document, false},
    {ID_PRINT_CHART_PREVIEW, "Print Chart Preview", "", "", T::Document, false},
    {ID_PRINT_TABLE, "Print Table", "Print Table", "", T::Document, false},
    {ID_PRINT_TABLE_PREVIEW, "Print Table Preview", "", "", T::Document, false},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", "", "Ctrl+P", T::Application, false},
    {ID_FILE_PRINT_SETUP, "Printer Setup...", "", "", T::Document, false},
    {ID_EXPORT_CHART, "Export Chart...", "Export Chart", "", T::Document, false},
    {ID_EXPORT_TABLE, "Export Table...", "Export Table", "", T::Document, false},
    {ID_EXPORT_TOUCHSTONE, "Export Touchstone...", "Export Touchstone", "", T::Document, false},
    {ID_FILE_MRU_FILE1, "Recent File", "", "", T::Application, false},
    {ID_APP_EXIT, "E&xit", "", "", T::Application, false},
    // Edit
    {ID_COPY_CHART, "Copy the chart", "", "", T::Document, false},
    {ID_COPY_TABLE, "&Copy the table\tCtrl+C", "Copy the table", "", T::TableViewElseDocument,
     false},
    {ID_EDIT_COPY, "", "Copy the chart", "Ctrl+C;Ctrl+Ins", T::ChartViewElseDocument, false},
    {ID_EDIT_INCLUDE_SENSITIVITY, "Include Sensitivity Data", "", "", T::Document, true},
    {ID_EDIT_UNDO, "", "", "Ctrl+Z;Alt+Backspace", T::None, false},
    {ID_EDIT_CUT, "", "", "Ctrl+X;Shift+Del", T::None, false},
    {ID_EDIT_PASTE, "", "", "Ctrl+V;Shift+Ins", T::None, false},
    // View
    {ID_VIEW_TOOLBAR, "&Toolbar", "", "", T::Frame, true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "", "", T::Frame, true},
    {ID_VIEW_CHART_ONLY, "&Chart only", "Chart only", "", T::Frame, true},
    {ID_VIEW_TABLE_ONLY, "Table only", "Table only", "", T::Frame, true},
    {ID_VIEW_CHART_AND_TABLE, "Chart and Table", "Chart and Table", "", T::Frame, true},
    {ID_VIEW_TIME_CHART, "T&ime Chart", "Time Chart", "", T::Frame, true},
    {ID_NEXT_PANE, "", "", "F6", T::Frame, false},
    {ID_PREV_PANE, "", "", "Shift+F6", T::Frame, false},
    // Calibration
    {ID_SET_FREQUENCY, "Set Frequency", "", "", T::Document, false},
    {ID_CONFIGURE_CAL, "Configure Cal...", "", "", T::Document, false},
    {ID_PERFORM_CAL, "Perform Cal...", "Perform Cal", "", T::Document, false},
    {ID_REFRESH_CAL, "Refresh Cal...", "", "", T::Document, false},
    {ID_CHARACTERISE_PROBE, "Characterise Probe...", "Characterise Probe", "", T::Document, false},
    // Measure
    {ID_TRIGGER_MEASUREMENT, "Trigger measurement...", "Trigger measurement", "", T::Document,
     false},
    {ID_ARM_EXTERNAL_TRIGGER, "Arm external trigger", "", "", T::Document, false},
    {ID_MEASURE_CONTINUOUSLY, "Measure Continuously...", "Measure Continuously", "", T::Document,
     false},
    {ID_STOP_SERIES, "", "", "Esc", T::Document, false},
    {ID_TRIGGER_MEASUREMENT_SERVER, "Trigger Measurement...", "", "", T::None, false},
    // Chart
    {ID_FORMAT_E1, "e'", "e'", "", T::Document, true},
    {ID_FORMAT_E2, "e''", "e''", "", T::Document, true},
    {ID_FORMAT_TAN_E, "Loss tangent e", "Loss tangent e", "", T::Document, true},
    {ID_FORMAT_COLE_COLE, "Cole - Cole", "Cole-Cole", "", T::Document, true},
    {ID_AUTOSCALE, "Autoscale ", "Autoscale", "", T::Document, false},
    {ID_SET_SCALE, "Set scale..", "", "", T::Document, false},
    {ID_SET_VERTICAL_AXIS, "", "Set verticle axis", "", T::Document, false},
    {ID_SET_HORIZONTAL_AXIS, "", "Set horizonal axis", "", T::Document, false},
    {ID_DEFAULT_SCALE, "Default", "", "", T::Document, false},
    {ID_MARKER, "Marker", "", "", T::Document, true},
    // Table
    {ID_TABLE_REAL_IMAG, "real and imaginary", "real and imaginary", "", T::Document, true},
    {ID_TABLE_REAL_TAN, "real and tan d", "real and tan d", "", T::Document, true},
    // Time chart
    {ID_TIME_CHART_PERMITTIVITY, "e' and e''", "", "", T::Document, true},
    {ID_TIME_CHART_LOSS_TANGENT, "Loss tangent e''/e'", "", "", T::Document, true},
    {ID_TIME_CHART_MARKER_FREQUENCY, "Add Marker Frequency", "", "", T::Document, false},
    {ID_TIME_CHART_FREQUENCIES, "Frequencies...", "", "", T::Frame, false},
    {ID_TIME_CHART_AUTOSCALE, "Autoscale", "", "", T::Document, true},
    {ID_TIME_CHART_SET_SCALE, "Set Scale...", "", "", T::Frame, false},
    {ID_PRINT_TIME_CHART, "Print Time Chart", "", "", T::Document, false},
    {ID_PRINT_TIME_CHART_PREVIEW, "Print Time Chart Preview", "", "", T::Document, false},
    {ID_EXPORT_TIME_CHART, "Export Time Chart...", "", "", T::Document, false},
    // Display
    {ID_DATA_TO_MEMORY, "Data->Memory...", "Data->Memory", "", T::Document, false},
    {ID_MEMORY_TO_DATA, "Memory->Data...", "", "", T::Document, false},
    {ID_TRACES_DISPLAYED, "Traces Displayed...", "Traces Displayed", "", T::Document, false},
    {ID_TRACE_MATH, "Trace Math...", "Trace Math", "", T::Document, false},
    {ID_ALL_OF_THE_ABOVE, "All of the above...", "", "", T::Document, false},
    {ID_REFERENCE_LIQUID, "Reference Liquid...", "Reference Liquid", "", T::Document, false},
    {ID_UNCERTAINTY_BAND, "Uncertainty Band", "", "", T::Document, true},
    {ID_UNCERTAINTY_BUDGET, "Budget...", "", "", T::Document, false},
    // Preferences
    {ID_PREF_TITLE, "Title...", "", "", T::Document, false},
    {ID_PREF_SUBTITLE, "Sub Title...", "", "", T::Document, false},
    {ID_PREF_TIME_DATE, "Time and Date...", "", "", T::Document, false},
    {ID_PREF_PARAMETER_FONTS, "Parameter fonts...", "", "", T::Document, false},
    {ID_PREF_SCALE_FONT, "Scale font...", "", "", T::Document, false},
    {ID_PREF_GRID, "Grid...", "", "", T::Document, false},
    {ID_PREF_TABLE_FONT, "Table font", "", "", T::Document, false},
    {ID_PREF_DATA, "Data ...", "", "", T::Document, false},
    {ID_PREF_MEMORY1, "Memory 1...", "", "", T::Document, false},
    {ID_PREF_MEMORY2, "Memory 2...", "", "", T::Document, false},
    {ID_PREF_MEMORY3, "Memory 3...", "", "", T::Document, false},
    {ID_DISPLAY_OPTIONS, "Display options...", "", "", T::Document, false},
    {ID_TRACE_OPTIONS, "", "", "", T::Document, false},
    {ID_GPIB_INSTRUMENT, "GPIB/Instrument", "", "", T::Document, false},
    {ID_SAVE_AS_DEFAULT, "Save as default", "", "", T::Document, false},
    {ID_RESET_DEFAULTS, "Reset defaults", "", "", T::Document, false},
    // Help
    {ID_HELP_FINDER, "&Help Topics", "", "", T::Frame, false},
    {ID_HELP, "", "", "F1", T::Frame, false},
    {ID_CONTEXT_HELP, "", "", "Shift+F1", T::Frame, false},
    {ID_APP_ABOUT, "&About 47310...", "About", "", T::Application, false},
};

const std::vector<MenuInfo> kMenus = {
    {"&File",
     {ID_FILE_OPEN,
      ID_FILE_SAVE,
      ID_FILE_SAVE_AS,
      0,
      ID_FILE_OPEN_DATA,
      ID_FILE_SAVE_DATA,
      ID_FILE_INCLUDE_SENSITIVITY,
      0,
      ID_PRINT_CHART,
      ID_PRINT_CHART_PREVIEW,
      ID_PRINT_TABLE,
      ID_PRINT_TABLE_PREVIEW,
      ID_FILE_PRINT_SETUP,
      0,
      ID_EXPORT_CHART,
      ID_EXPORT_TABLE,
      ID_EXPORT_TOUCHSTONE,
      0,
      kRecentFilesEntry,
      0,
      ID_APP_EXIT}},
    {"&Edit", {ID_COPY_CHART, ID_COPY_TABLE, 0, ID_EDIT_INCLUDE_SENSITIVITY}},
    {"&View",
     {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, 0, ID_VIEW_CHART_ONLY, ID_VIEW_TABLE_ONLY,
      ID_VIEW_CHART_AND_TABLE, 0, ID_VIEW_TIME_CHART}},
    {"&Calibration",
     {ID_SET_FREQUENCY, ID_CONFIGURE_CAL, 0, ID_PERFORM_CAL, ID_REFRESH_CAL,
      ID_CHARACTERISE_PROBE}},
    {"&Measure", {ID_TRIGGER_MEASUREMENT, ID_ARM_EXTERNAL_TRIGGER, 0, ID_MEASURE_CONTINUOUSLY}},
    {"C&hart",
     {ID_FORMAT_E1, ID_FORMAT_E2, ID_FORMAT_TAN_E, ID_FORMAT_COLE_COLE, 0, ID_AUTOSCALE,
      ID_SET_SCALE, ID_DEFAULT_SCALE, 0, ID_MARKER}},
    {"&Table", {ID_TABLE_REAL_IMAG, ID_TABLE_REAL_TAN}},
    {"T&ime Chart",
     {ID_TIME_CHART_PERMITTIVITY, ID_TIME_CHART_LOSS_TANGENT, 0, ID_TIME_CHART_MARKER_FREQUENCY,
      ID_TIME_CHART_FREQUENCIES, 0, ID_TIME_CHART_AUTOSCALE, ID_TIME_CHART_SET_SCALE, 0,
      ID_PRINT_TIME_CHART, ID_PRINT_TIME_CHART_PREVIEW, ID_EXPORT_TIME_CHART}},
    {"&Display",
     {ID_DATA_TO_MEMORY, ID_MEMORY_TO_DATA, ID_TRACES_DISPLAYED, ID_TRACE_MATH, 0,
      ID_ALL_OF_THE_ABOVE, 0, ID_REFERENCE_LIQUID, 0, ID_UNCERTAINTY_BAND, ID_UNCERTAINTY_BUDGET}},
    {"&Preferences",
     {ID_PREF_TITLE, ID_PREF_SUBTITLE, ID_PREF_TIME_DATE, ID_PREF_PARAMETER_FONTS,
      ID_PREF_SCALE_FONT, ID_PREF_GRID, ID_PREF_TABLE_FONT, 0, ID_PREF_DATA, ID_PREF_MEMORY1,
      ID_PREF_MEMORY2, ID_PREF_MEMORY3, 0, ID_GPIB_INSTRUMENT, 0, ID_SAVE_AS_DEFAULT,
      ID_RESET_DEFAULTS, 0, ID_DISPLAY_OPTIONS}},
    {"&Help", {ID_HELP_FINDER, 0, ID_APP_ABOUT}},
};

const std::vector<int> kToolbar = {ID_FILE_OPEN,
                                   ID_FILE_OPEN_DATA,
                                   0,
                                   ID_FILE_SAVE_AS,
                                   ID_FILE_SAVE_DATA,
                                   0,
                                   ID_EDIT_COPY,
                                   ID_COPY_TABLE,
                                   0,
                                   ID_PRINT_CHART,
                                   ID_PRINT_TABLE,
                                   0,
                                   ID_PERFORM_CAL,
                                   0,
                                   ID_VIEW_CHART_AND_TABLE,
                                   ID_VIEW_CHART_ONLY,
                                   ID_VIEW_TABLE_ONLY,
                                   0,
                                   ID_TRIGGER_MEASUREMENT,
                                   ID_MEASURE_CONTINUOUSLY,
                                   0,
                                   ID_FORMAT_E1,
                                   ID_FORMAT_E2,
                                   ID_FORMAT_TAN_E,
                                   ID_FORMAT_COLE_COLE,
                                   0,
                                   ID_AUTOSCALE,
                                   ID_SET_VERTICAL_AXIS,
                                   ID_SET_HORIZONTAL_AXIS,
                                   0,
                                   ID_TABLE_REAL_IMAG,
                                   ID_TABLE_REAL_TAN,
                                   0,
                                   ID_DATA_TO_MEMORY,
                                   ID_TRACE_MATH,
                                   ID_TRACES_DISPLAYED,
                                   0,
                                   ID_APP_ABOUT};

const std::vector<ChartFormatCommand> kChartFormats = {
    {ID_FORMAT_E1, ChartFormat::E1},
    {ID_FORMAT_E2, ChartFormat::E2},
    {ID_FORMAT_TAN_E, ChartFormat::LossTangent},
    {ID_FORMAT_COLE_COLE, ChartFormat::ColeCole},
};

const std::vector<TableFormatCommand> kTableFormats = {
    {ID_TABLE_REAL_IMAG, TableFormat::RealImaginary},
    {ID_TABLE_REAL_TAN, TableFormat::RealTangent},
};

// The pages of the "Display options" sheet that the Preferences items open, in page order.
constexpr int kPreferencePages[] = {ID_PREF_TITLE,           ID_PREF_SUBTITLE,   ID_PREF_TIME_DATE,
                                    ID_PREF_PARAMETER_FONTS, ID_PREF_SCALE_FONT, ID_PREF_GRID,
                                    ID_PREF_TABLE_FONT,      ID_PREF_DATA,       ID_PREF_MEMORY1,
                                    ID_PREF_MEMORY2,         ID_PREF_MEMORY3};

// What stays available while an operation waits for the operator or the analyzer: looking
// (view, help, About), copying and printing what is shown, and Exit, which ends the wait as an
// abort. Everything else would change the setup under the waiting operation.
constexpr int kAvailableDuringWait[] = {
    ID_VIEW_TOOLBAR,
    ID_VIEW_STATUS_BAR,
    ID_VIEW_CHART_ONLY,
    ID_VIEW_TABLE_ONLY,
    ID_VIEW_CHART_AND_TABLE,
    ID_UNCERTAINTY_BAND,
    ID_NEXT_PANE,
    ID_PREV_PANE,
    ID_HELP_FINDER,
    ID_HELP,
    ID_CONTEXT_HELP,
    ID_APP_ABOUT,
    ID_COPY_CHART,
    ID_COPY_TABLE,
    ID_EDIT_COPY,
    ID_PRINT_CHART,
    ID_PRINT_CHART_PREVIEW,
    ID_PRINT_TABLE,
    ID_PRINT_TABLE_PREVIEW,
    ID_FILE_PRINT,
    ID_APP_EXIT,
    ID_STOP_SERIES,
    // The time chart's settings are no part of the setup: a series can be followed at other
    // frequencies, in another quantity or scale while it runs.
    ID_VIEW_TIME_CHART,
    ID_TIME_CHART_PERMITTIVITY,
    ID_TIME_CHART_LOSS_TANGENT,
    ID_TIME_CHART_MARKER_FREQUENCY,
    ID_TIME_CHART_FREQUENCIES,
    ID_TIME_CHART_AUTOSCALE,
    ID_TIME_CHART_SET_SCALE,
    ID_PRINT_TIME_CHART,
    ID_PRINT_TIME_CHART_PREVIEW,
};

}  // namespace

bool AvailableDuringWait(int id) {
    for (int allowed : kAvailableDuringWait) {
        if (allowed == id) {
            return true;
        }
    }
    return false;
}

const std::vector<CommandInfo>& Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    for (const auto& c : kCommands) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

const std::vector<MenuInfo>& MainMenus() {
    return kMenus;
}

const std::vector<int>& ToolbarButtons() {
    return kToolbar;
}

const std::vector<ChartFormatCommand>& ChartFormatCommands() {
    return kChartFormats;
}

const std::vector<TableFormatCommand>& TableFormatCommands() {
    return kTableFormats;
}

// ------------------------------------------------------------------------- document commands

namespace {

bool DocumentTarget(const CommandInfo* info) {
    return info != nullptr && (info->target == CommandTarget::Document ||
                               info->target == CommandTarget::ChartViewElseDocument ||
                               info->target == CommandTarget::TableViewElseDocument);
}

}  // namespace

bool RunDocumentCommand(CKv4731xDoc& doc, int id) {
    // The document answers the commands the table gives it, and the copy commands when no view
    // took them first.
    if (!DocumentTarget(FindCommand(id))) {
        return false;
    }
    if (doc.Busy() && !AvailableDuringWait(id)) {
        return true;  // refused until the waiting operation ends
    }
    // Whatever the operator can reach while this command waits is limited (see Busy); the menus
    // are told when that begins and when it ends, whichever way the command ends.
    CKv4731xDoc::BusyScope busy(doc);
    for (const auto& c : kChartFormats) {
        if (c.id == id) {
            doc.SelectChartFormat(c.format);
            return true;
        }
    }
    for (const auto& c : kTableFormats) {
        if (c.id == id) {
            doc.SelectTableFormat(c.format);
            return true;
        }
    }
    for (int page = 0; page < static_cast<int>(std::size(kPreferencePages)); ++page) {
        if (kPreferencePages[page] == id) {
            doc.OnDisplayOptions(page);
            return true;
        }
    }
    switch (id) {
        case ID_FILE_SAVE:
            doc.OnFileSave();
            return true;
        case ID_FILE_SAVE_AS:
            doc.OnFileSaveAs();
            return true;
        case ID_FILE_OPEN_DATA:
            doc.OnOpenDataFile();
            return true;
        case ID_FILE_SAVE_DATA:
            doc.OnSaveDataFile();
            return true;
        case ID_FILE_INCLUDE_SENSITIVITY:
        case ID_EDIT_INCLUDE_SENSITIVITY:
            doc.includeSensitivity = !doc.includeSensitivity;
            return true;

        case ID_PERFORM_CAL:
            doc.PerformCalibration();
            return true;
        case ID_SET_FREQUENCY:
            doc.OnSetFrequency();
            return true;
        case ID_CONFIGURE_CAL:
            doc.OnConfigureCal();
            return true;
        case ID_REFRESH_CAL:
            doc.RefreshCalibration();
            return true;
        case ID_CHARACTERISE_PROBE:
            doc.OnCharacteriseProbe();
            return true;
        case ID_MEASURE_CONTINUOUSLY:
            doc.OnMeasureContinuously();
            return true;
        case ID_STOP_SERIES:
            doc.StopSeries();
            return true;
        case ID_TRIGGER_MEASUREMENT:
        case ID_ARM_EXTERNAL_TRIGGER:
            doc.Measure(id == ID_ARM_EXTERNAL_TRIGGER);
            return true;

        case ID_AUTOSCALE:
            doc.Autoscale();
            return true;
        case ID_SET_SCALE:
            doc.SetScale(-1);
            return true;
        case ID_SET_HORIZONTAL_AXIS:
            doc.SetScale(0);
            return true;
        case ID_SET_VERTICAL_AXIS:
            doc.SetScale(1);
            return true;
        case ID_DEFAULT_SCALE:
            doc.DefaultScale();
            return true;
        case ID_MARKER:
            doc.ToggleMarker();
            return true;

        case ID_DATA_TO_MEMORY:
            doc.OnDisplaySheet(kPageDataToMemory);
            return true;
        case ID_MEMORY_TO_DATA:
        case ID_TRACES_DISPLAYED:
            doc.OnDisplaySheet(kPageTracesDisplayed);
            return true;
        case ID_TRACE_MATH:
            doc.OnDisplaySheet(kPageTraceMath);
            return true;
        case ID_ALL_OF_THE_ABOVE:
            doc.OnDisplaySheet(-1);
            return true;
        case ID_REFERENCE_LIQUID:
            doc.OnReferenceLiquid();
            return true;
        case ID_UNCERTAINTY_BAND:
            doc.ToggleUncertaintyBand();
            return true;
        case ID_UNCERTAINTY_BUDGET:
            doc.OnUncertaintyBudget();
            return true;

        case ID_DISPLAY_OPTIONS:
            doc.OnDisplayOptions(-1);
            return true;
        case ID_TRACE_OPTIONS:
            doc.OnTraceOptions();
            return true;

        case ID_GPIB_INSTRUMENT:
            doc.OnGpibInstrument();
            return true;
        case ID_SAVE_AS_DEFAULT:
            doc.SaveDefaults();
            return true;
        case ID_RESET_DEFAULTS:
            doc.OnResetDefaults();
            return true;

        case ID_PRINT_CHART:
        case ID_PRINT_CHART_PREVIEW:
            doc.ui_.PrintView(ViewKind::Chart, id == ID_PRINT_CHART_PREVIEW);
            return true;
        case ID_PRINT_TABLE:
        case ID_PRINT_TABLE_PREVIEW:
            doc.ui_.PrintView(ViewKind::Table, id == ID_PRINT_TABLE_PREVIEW);
            return true;
        case ID_FILE_PRINT_SETUP:
            doc.ui_.PrinterSetup();
            return true;
        case ID_COPY_CHART:
            doc.OnCopyChart();
            return true;
        case ID_COPY_TABLE:
        case ID_EDIT_COPY:
            // No view took the copy: the table is copied.
            doc.OnCopyTable();
            return true;
        case ID_EXPORT_CHART:
            doc.OnExport(ViewKind::Chart);
            return true;
        case ID_EXPORT_TABLE:
            doc.OnExport(ViewKind::Table);
            return true;
        case ID_EXPORT_TOUCHSTONE:
            doc.OnExportTouchstone();
            return true;

        case ID_TIME_CHART_PERMITTIVITY:
        case ID_TIME_CHART_LOSS_TANGENT: {
            TimeChartSettings settings = doc.TimeChart();
            settings.quantity = id == ID_TIME_CHART_LOSS_TANGENT ? TimeChartQuantity::LossTangent
                                                                 : TimeChartQuantity::Permittivity;
            if (!(settings == doc.TimeChart())) {
                doc.SetTimeChart(settings);
            }
            return true;
        }
        case ID_TIME_CHART_MARKER_FREQUENCY:
            doc.AddMarkerFrequencyToTimeChart();
            return true;
        case ID_TIME_CHART_AUTOSCALE:
            doc.ToggleTimeChartAutoscale();
            return true;
        case ID_PRINT_TIME_CHART:
        case ID_PRINT_TIME_CHART_PREVIEW:
            doc.ui_.PrintView(ViewKind::TimeChart, id == ID_PRINT_TIME_CHART_PREVIEW);
            return true;
        case ID_EXPORT_TIME_CHART:
            doc.OnExport(ViewKind::TimeChart);
            return true;
        default:
            return false;
    }
}

bool QueryDocumentCommand(const CKv4731xDoc& doc, int id, CommandState& state) {
    const CommandInfo* info = FindCommand(id);
    if (!DocumentTarget(info)) {
        return false;
    }
    state.enabled = !doc.Busy() || AvailableDuringWait(id);
    if (id == ID_EXPORT_TOUCHSTONE) {
        state.enabled = state.enabled && doc.HasSampleReflection();
    }
    // Stop ends a running series, and nothing else.
    if (id == ID_STOP_SERIES) {
        state.enabled = doc.SeriesRunning();
    }
    // The marker's frequency needs the marker.
    if (id == ID_TIME_CHART_MARKER_FREQUENCY) {
        state.enabled = state.enabled && doc.markerOn;
    }
    // A characterisation measures with the calibration in force.
    if (id == ID_CHARACTERISE_PROBE) {
        state.enabled = state.enabled && doc.HasInstrument() && doc.Engine().calibrated;
    }
    // The band needs the Data trace's uncertainty; the budget the last result's.
    if (id == ID_UNCERTAINTY_BAND) {
        state.enabled = state.enabled && doc.DataHasUncertainty();
    }
    if (id == ID_UNCERTAINTY_BUDGET) {
        const MeasurementResult& r = doc.Result();
        state.enabled = state.enabled && !r.frequencies.empty() &&
                        r.uncertaintyE1.size() == r.frequencies.size() &&
                        r.uncertaintyE2.size() == r.frequencies.size();
    }
    state.checked = info->checkable && DocumentCommandChecked(doc, id);
    return true;
}

bool DocumentCommandChecked(const CKv4731xDoc& doc, int id) {
    if (id == ID_FILE_INCLUDE_SENSITIVITY || id == ID_EDIT_INCLUDE_SENSITIVITY) {
        return doc.includeSensitivity;
    }
    if (id == ID_MARKER) {
        return doc.markerOn;
    }
    if (id == ID_UNCERTAINTY_BAND) {
        return doc.uncertaintyBand;
    }
    if (id == ID_TIME_CHART_PERMITTIVITY || id == ID_TIME_CHART_LOSS_TANGENT) {
        return (doc.TimeChart().quantity == TimeChartQuantity::LossTangent) ==
               (id == ID_TIME_CHART_LOSS_TANGENT);
    }
    if (id == ID_TIME_CHART_AUTOSCALE) {
        return doc.TimeChart().autoscale;
    }
    for (const auto& c : kChartFormats) {
        if (c.id == id) {
            return doc.CurrentChartFormat() == c.format;
        }
    }
    for (const auto& c : kTableFormats) {
        if (c.id == id) {
            return doc.CurrentTableFormat() == c.format;
        }
    }
    return false;
}

}  // namespace kv
