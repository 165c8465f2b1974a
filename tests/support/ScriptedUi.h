#pragma once

// A scripted operator for the document: the engine's scripted operator (ScriptedEngineUi) with
// the document's dialogs, file names, printing and clipboard scripted and recorded as well. With
// no script, message boxes answer their first button (OK, Yes, Retry): an operator who agrees to
// everything, unlike a run without one (UnattendedAnswer).

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "doc/OperatorUi.h"
#include "support/ScriptedEngineUi.h"

namespace kv::test {

class ScriptedUi : public ScriptedEngineUi, public OperatorUi {
public:
    // ---- scripts ----
    std::deque<int> traceChoices;  // ChooseTrace results; default -1
    std::deque<std::optional<std::string>> openFileNames;
    std::deque<std::optional<std::string>> saveFileNames;
    std::deque<bool> saveOptionAnswers;  // the save dialog's check box on OK; default: as offered
    std::function<bool(CGpibSelectDlg&)> gpibSelect;  // default: OK with the preselection
    // The settings page of an analyzer component; default: Cancel.
    std::function<bool(const std::string&, std::vector<SettingDescription>&)> componentSettings;
    std::function<bool(ScaleSheet&, int&)> scaleSheet;               // default: Cancel
    std::function<bool(CalibrationSheet&, int&)> calibrationSheet;   // default: Cancel
    std::function<bool(DisplaySheet&, int&)> displaySheet;           // default: Cancel
    std::function<bool(DisplayOptionsSheet&, int&)> displayOptions;  // default: Cancel
    // The dialog "Characterise Probe" (default: Cancel) and its result (default: Cancel).
    std::function<bool(CharacterisePage&)> characterisePage;
    std::deque<bool> characterisationAnswers;
    int characterisePageRuns = 0;
    std::vector<CharacterisationReport> characterisationReports;
    // The dialog "Measure Continuously" (default: Cancel), and what a series showed.
    std::function<bool(SeriesPage&)> seriesPage;
    int seriesPageRuns = 0;
    std::vector<bool> seriesRunning;
    std::vector<SeriesProgress> seriesProgress;
    bool clipboardWorks = true;  // what the clipboard answers
    std::string exportError;     // what ExportView answers

    // ---- records ----
    std::vector<FileDialogOption> saveOptions;  // the check boxes the save dialogs offered
    std::vector<BudgetSheet> budgets;           // the budget windows shown
    std::vector<std::string> traceChoiceCaptions;
    std::vector<std::array<bool, 4>> traceChoiceEnabled;
    std::vector<std::string> recentFiles;
    int gpibSelectRuns = 0;
    int componentSettingsRuns = 0;
    int displaySheetRuns = 0;
    int fileDialogs = 0;
    int scaleSheetRuns = 0;
    int calibrationSheetRuns = 0;
    int displayOptionsRuns = 0;
    std::vector<std::string> printRequests;  // "chart", "table preview", "setup", ...
    std::vector<std::string> exports;        // "chart|path" or "table|path"
    int chartCopies = 0;
    std::string clipboardText;
    std::vector<std::string> statusTexts;
    // How often the status bar showed `text`.
    int StatusShown(const std::string& text) const {
        return static_cast<int>(std::count(statusTexts.begin(), statusTexts.end(), text));
    }
    int commandStateChanges = 0;

    bool AskSeries(SeriesPage& page) override {
        ++seriesPageRuns;
        return seriesPage && seriesPage(page);
    }
    void SeriesRunningChanged(bool running) override { seriesRunning.push_back(running); }
    void ShowSeriesProgress(const SeriesProgress& progress) override {
        seriesProgress.push_back(progress);
    }

    bool EditComponentSettings(const std::string& title,
                               std::vector<SettingDescription>& settings) override {
        ++componentSettingsRuns;
        return componentSettings && componentSettings(title, settings);
    }

    // ---- EngineUi: the engine's scripts ----
    Answer Message(const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon) override {
        return ScriptedEngineUi::Message(text, caption, buttons, icon);
    }
    void Beep() override { ScriptedEngineUi::Beep(); }
    void BeginWaitCursor() override { ScriptedEngineUi::BeginWaitCursor(); }
    void EndWaitCursor() override { ScriptedEngineUi::EndWaitCursor(); }
    void PumpMessages() override { ScriptedEngineUi::PumpMessages(); }
    bool QuitRequested() const override { return ScriptedEngineUi::QuitRequested(); }
    std::unique_ptr<CMeasureDlg> CreateMeasureDlg() override {
        return ScriptedEngineUi::CreateMeasureDlg();
    }
    std::unique_ptr<CPromptDlg> CreatePromptDlg() override {
        return ScriptedEngineUi::CreatePromptDlg();
    }
    bool EditFrequencyPage(FrequencyPage& page) override {
        return ScriptedEngineUi::EditFrequencyPage(page);
    }

    // ---- OperatorUi ----
    bool RunGpibSelect(CGpibSelectDlg& dialog) override;
    int ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) override;
    std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> GetSaveFileNameWithOption(const FileDialogRequest& request,
                                                         FileDialogOption& option) override {
        saveOptions.push_back(option);
        if (!saveOptionAnswers.empty()) {
            option.checked = saveOptionAnswers.front();
            saveOptionAnswers.pop_front();
        }
        return GetSaveFileName(request);
    }
    void ShowBudget(const BudgetSheet& sheet) override { budgets.push_back(sheet); }
    bool EditScaleSheet(ScaleSheet& sheet, int& page) override;
    bool EditCalibrationSheet(CalibrationSheet& sheet, int& page) override {
        ++calibrationSheetRuns;
        return calibrationSheet ? calibrationSheet(sheet, page) : false;
    }
    bool AskCharacterisation(CharacterisePage& page) override {
        ++characterisePageRuns;
        return characterisePage && characterisePage(page);
    }
    bool ShowCharacterisation(const CharacterisationReport& report) override {
        characterisationReports.push_back(report);
        if (characterisationAnswers.empty()) {
            return false;
        }
        const bool save = characterisationAnswers.front();
        characterisationAnswers.pop_front();
        return save;
    }
    void AddRecentFile(const std::string& path) override { recentFiles.push_back(path); }
    bool EditDisplaySheet(DisplaySheet& sheet, int& page) override {
        ++displaySheetRuns;
        return displaySheet ? displaySheet(sheet, page) : false;
    }
    bool EditDisplayOptions(DisplayOptionsSheet& sheet, int& page) override {
        ++displayOptionsRuns;
        return displayOptions ? displayOptions(sheet, page) : false;
    }
    void PrintView(ViewKind view, bool preview) override {
        printRequests.push_back(std::string(view == ViewKind::Chart ? "chart" : "table") +
                                (preview ? " preview" : ""));
    }
    void PrinterSetup() override { printRequests.push_back("setup"); }
    bool CopyChartToClipboard() override {
        ++chartCopies;
        return clipboardWorks;
    }
    bool CopyTextToClipboard(const std::string& text) override {
        if (clipboardWorks) {
            clipboardText = text;
        }
        return clipboardWorks;
    }
    std::string ExportView(ViewKind view, const std::string& path) override {
        exports.push_back(std::string(view == ViewKind::Chart ? "chart|" : "table|") + path);
        return exportError;
    }
    void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void CommandStatesChanged() override { ++commandStateChanges; }
};

}  // namespace kv::test
