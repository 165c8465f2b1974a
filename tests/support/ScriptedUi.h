#pragma once

// A scripted operator for tests: records every message box, prompt and window text, and answers
// from scripts. With no script, message boxes answer their first button (OK, Yes, Retry): an
// operator who agrees to everything, unlike a run without one (UnattendedAnswer). Prompts are
// continued at the first pump.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "doc/OperatorUi.h"

namespace kv::test {

struct RecordedMessage {
    std::string text;
    std::string caption;
    Buttons buttons;
    Icon icon;
};

class ScriptedUi;

class ScriptedMeasureDlg : public CMeasureDlg {
public:
    explicit ScriptedMeasureDlg(ScriptedUi& ui) : ui_(ui) {}
    ~ScriptedMeasureDlg() override;
    std::vector<std::string> texts;  // every text line shown, in order

protected:
    void OnChanged() override;

private:
    ScriptedUi& ui_;
};

class ScriptedPromptDlg : public CPromptDlg {
public:
    explicit ScriptedPromptDlg(ScriptedUi& ui) : ui_(ui) {}
    ~ScriptedPromptDlg() override;

protected:
    void OnChanged() override;

private:
    ScriptedUi& ui_;
};

// What the operator does at a prompt of the measure window.
enum class PromptAction { Continue, Abort, ContinueAndAbort, Wait };

class ScriptedUi : public OperatorUi {
public:
    // ---- scripts ----
    std::deque<Answer> answers;                         // message box answers, in order
    std::deque<PromptAction> promptActions;             // one per prompt; default Continue
    std::deque<bool> frequencyPageAnswers;              // EditFrequencyPage results; default OK
    std::function<void(FrequencyPage&)> editFrequency;  // changes the page before OK
    std::deque<int> traceChoices;                       // ChooseTrace results; default -1
    std::deque<std::optional<std::string>> openFileNames;
    std::deque<std::optional<std::string>> saveFileNames;
    std::function<bool(CGpibSelectDlg&)> gpibSelect;    // default: OK with the preselection
    std::function<bool(ScaleSheet&, int&)> scaleSheet;  // default: Cancel
    std::function<bool(CalibrationSheet&, int&)> calibrationSheet;   // default: Cancel
    std::function<bool(DisplaySheet&, int&)> displaySheet;           // default: Cancel
    std::function<bool(DisplayOptionsSheet&, int&)> displayOptions;  // default: Cancel
    bool clipboardWorks = true;                                      // what the clipboard answers
    std::string exportError;                                         // what ExportView answers
    bool cancelWaitAfterPumps = false;  // press Cancel of the wait window at the next pump
    int quitAfterPumps = -1;            // request quit after this many pumps (-1 never)
    std::function<void()> onPump;       // what the operator does meanwhile, at every pump

    // ---- records ----
    std::vector<RecordedMessage> messages;
    std::vector<std::string> prompts;    // every text shown in a measure window
    std::vector<std::string> waitTexts;  // every "text|caption" shown in a wait window
    std::vector<std::string> traceChoiceCaptions;
    std::vector<std::array<bool, 4>> traceChoiceEnabled;
    std::vector<std::string> recentFiles;
    std::vector<FrequencyPage> frequencyPagesShown;
    int beeps = 0;
    int pumps = 0;
    int waitCursorDepth = 0;
    int gpibSelectRuns = 0;
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
    int commandStateChanges = 0;

    // The texts of all recorded messages.
    std::vector<std::string> MessageTexts() const;

    // ---- OperatorUi ----
    Answer Message(const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon) override;
    void Beep() override { ++beeps; }
    void BeginWaitCursor() override { ++waitCursorDepth; }
    void EndWaitCursor() override { --waitCursorDepth; }
    void PumpMessages() override;
    bool QuitRequested() const override { return quit_; }
    std::unique_ptr<CMeasureDlg> CreateMeasureDlg() override;
    std::unique_ptr<CPromptDlg> CreatePromptDlg() override;
    bool EditFrequencyPage(FrequencyPage& page) override;
    bool RunGpibSelect(CGpibSelectDlg& dialog) override;
    int ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) override;
    std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) override;
    bool EditScaleSheet(ScaleSheet& sheet, int& page) override;
    bool EditCalibrationSheet(CalibrationSheet& sheet, int& page) override {
        ++calibrationSheetRuns;
        return calibrationSheet ? calibrationSheet(sheet, page) : false;
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

    // Internal: the live windows.
    ScriptedMeasureDlg* measure = nullptr;
    ScriptedPromptDlg* wait = nullptr;

private:
    void OnMeasureChanged();
    friend class ScriptedMeasureDlg;
    bool quit_ = false;
    std::string lastPromptText_;
    bool pendingAction_ = false;
    PromptAction action_ = PromptAction::Continue;
};

}  // namespace kv::test
