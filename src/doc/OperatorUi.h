#pragma once

// Everything the document and the engine need from a person. The Qt front end shows real windows,
// the terminal front end prints and reads, and the tests script the answers; so every rule of the
// program, its message texts and captions included, can be checked without a display.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "display/BudgetSheet.h"
#include "display/DisplaySheets.h"
#include "doc/MeasurementSeries.h"
#include "instrument/IComponentSettings.h"
#include "probe/CalibrationSheet.h"
#include "probe/EngineUi.h"
#include "probefit/ProbeFit.h"

namespace kv {

class CGpibSelectDlg;
struct ScaleSheet;

// A check box a save dialog shows below the file name: its text, whether it can be changed, and
// its state (as the operator left it on OK).
struct FileDialogOption {
    std::string text;
    bool enabled = true;
    bool checked = false;
};

struct FileDialogRequest {
    std::string caption;
    std::string filter;            // e.g. "kv4731x Files (*.prn)|*.prn|All Files (*.*)|*.*||"
    std::string defaultExtension;  // without the dot
    std::string fileName;          // proposed name
};

// The dialog "Characterise Probe": the liquid (one of `liquids`, by its full name), its temperature
// (Celsius) and the name to save the probe under. `offered` says, for each liquid, at which
// temperatures it is offered, and `defaultTemperatures` is the temperature to propose when the
// operator chooses it.
struct CharacterisePage {
    std::vector<std::string> liquids;
    std::vector<std::string> offered;
    std::vector<double> defaultTemperatures;
    int liquid = 0;
    double temperature = 25.0;
    std::string name;
};

// The result of a characterisation as its dialog shows it: the rows of label and value, and the
// points of the fit for the chart of the measured liquid against the liquid's model.
struct CharacterisationReport {
    std::string title;
    std::vector<std::pair<std::string, std::string>> rows;
    std::vector<FitPoint> curve;
};

inline constexpr const char* kDiscardCalibrationText =
    "This discards the current calibration. Continue?";
inline constexpr const char* kDiscardCalibrationCaption = "Calibration";

class OperatorUi : public EngineUi {
public:
    // Asked before a step gives up the calibration in force; true to go on. An unattended
    // terminal run goes on.
    virtual bool ConfirmDiscardCalibration() {
        return Message(kDiscardCalibrationText, kDiscardCalibrationCaption, Buttons::YesNo,
                       Icon::Question) == Answer::Yes;
    }

    // The selection dialog "Select GPIB Card / Instrument", run modally on the model; true on OK.
    virtual bool RunGpibSelect(CGpibSelectDlg& dialog) = 0;

    // The trace-choice dialog: caption set by the caller, no button selected at first, buttons
    // of disabled traces greyed. Returns the chosen trace (0 Data, 1 to 3 Memory 1 to 3), or -1
    // for Cancel or OK with nothing chosen.
    virtual int ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) = 0;

    // File dialogs; nullopt on Cancel. The save dialog asks before overwriting.
    virtual std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) = 0;
    // The save dialog with a check box; a front end without one leaves the option as it is.
    virtual std::optional<std::string> GetSaveFileNameWithOption(const FileDialogRequest& request,
                                                                 FileDialogOption& option) {
        (void)option;
        return GetSaveFileName(request);
    }

    // The "Scale" sheet with its horizontal (page 0) and vertical (page 1) page, on `page`; true on
    // OK with the values and the active page as the operator left them.
    virtual bool EditScaleSheet(ScaleSheet& sheet, int& page) = 0;

    // The sheet "Calibration" with the pages "Calibration type" (page 0) and "User Defined
    // Standards" (page 1), on `page`; true on OK with the values and the active page.
    virtual bool EditCalibrationSheet(CalibrationSheet& sheet, int& page) {
        (void)sheet;
        (void)page;
        return false;
    }

    // The page of an analyzer component's own settings, built from their description, with the
    // stored values in `value`; true on OK with the values as the operator left them (each one
    // checked against its description). False when the front end has no such page.
    virtual bool EditComponentSettings(const std::string& title,
                                       std::vector<SettingDescription>& settings) {
        (void)title;
        (void)settings;
        return false;
    }

    // The dialog "Characterise Probe" with `page` as it stands; true on OK with the values as the
    // operator left them (checked by the caller).
    virtual bool AskCharacterisation(CharacterisePage& page) {
        (void)page;
        return false;
    }
    // The result of a characterisation; true for Save, false for Cancel.
    virtual bool ShowCharacterisation(const CharacterisationReport& report) {
        (void)report;
        return false;
    }

    // The "Uncertainty Budget" window of one point, shown until the operator closes it.
    virtual void ShowBudget(const BudgetSheet& sheet) { (void)sheet; }
    // The dialog "Measure Continuously" on `page`; true on Start with the values as the operator
    // left them (checked by the caller).
    virtual bool AskSeries(SeriesPage& page) {
        (void)page;
        return false;
    }
    // A series began (true) or ended: the front end offers its Stop (and Esc) meanwhile.
    virtual void SeriesRunningChanged(bool running) { (void)running; }
    // After each record of a series.
    virtual void ShowSeriesProgress(const SeriesProgress& progress) { (void)progress; }
    // True when whoever runs the front end asked the series to end after the sweep in progress
    // (the terminal's Ctrl-C).
    virtual bool SeriesStopRequested() const { return false; }

    // The most-recently-used list of the front end (8 entries).
    virtual void AddRecentFile(const std::string& path) = 0;

    // The sheet "Display" with its pages data to memory, traces displayed and trace math, on
    // `page`; true on OK with the values and the active page.
    virtual bool EditDisplaySheet(DisplaySheet& sheet, int& page) = 0;
    // The sheet "Display options" with its eleven pages, or only the four trace pages when
    // `sheet.tracesOnly`, on `page` (an index of the eleven); true on OK with the values and the
    // active page.
    virtual bool EditDisplayOptions(DisplayOptionsSheet& sheet, int& page) = 0;

    // Printing and preview of a view through the front end's print dialog (one page for the
    // chart; the table paginated), and the printer's page set-up.
    virtual void PrintView(ViewKind view, bool preview) = 0;
    virtual void PrinterSetup() = 0;
    // The clipboard: the chart as a picture, or a text. False when the clipboard does not hold
    // the data afterwards.
    virtual bool CopyChartToClipboard() = 0;
    virtual bool CopyTextToClipboard(const std::string& text) = 0;
    // Writes a view to a picture or document file, the kind chosen by the file's extension;
    // returns an empty text on success, else what went wrong.
    virtual std::string ExportView(ViewKind view, const std::string& path) = 0;

    // A text in the status bar that says what a finished operation did; it stays until the next
    // command. Status texts, like "Ready" and the commands' fly-by help, end without a full stop.
    virtual void ShowStatusText(const std::string& text) = 0;

    // The document began or ended a command: which commands are available changed (see
    // CKv4731xDoc::Busy), and menus and toolbar should show it now.
    virtual void CommandStatesChanged() {}
};

}  // namespace kv
