#pragma once

// A scripted operator for the probe engine: records every message box, prompt and window text,
// and answers from scripts. With no script, message boxes answer their first button (OK, Yes,
// Retry) and prompts are continued at the first pump. Needs the probe layer only.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "probe/EngineUi.h"

namespace kv::test {

struct RecordedMessage {
    std::string text;
    std::string caption;
    Buttons buttons;
    Icon icon;
};

class ScriptedEngineUi;

class ScriptedMeasureDlg : public CMeasureDlg {
public:
    explicit ScriptedMeasureDlg(ScriptedEngineUi& ui) : ui_(ui) {}
    ~ScriptedMeasureDlg() override;
    std::vector<std::string> texts;  // every text line shown, in order

protected:
    void OnChanged() override;

private:
    ScriptedEngineUi& ui_;
};

class ScriptedPromptDlg : public CPromptDlg {
public:
    explicit ScriptedPromptDlg(ScriptedEngineUi& ui) : ui_(ui) {}
    ~ScriptedPromptDlg() override;

protected:
    void OnChanged() override;

private:
    ScriptedEngineUi& ui_;
};

// What the operator does at a prompt of the measure window.
enum class PromptAction { Continue, Abort, ContinueAndAbort, Wait };

class ScriptedEngineUi : public EngineUi {
public:
    // ---- scripts ----
    std::deque<Answer> answers;                         // message box answers, in order
    std::deque<PromptAction> promptActions;             // one per prompt; default Continue
    std::deque<bool> frequencyPageAnswers;              // EditFrequencyPage results; default OK
    std::function<void(FrequencyPage&)> editFrequency;  // changes the page before OK
    bool cancelWaitAfterPumps = false;  // press Cancel of the wait window at the next pump
    int quitAfterPumps = -1;            // request quit after this many pumps (-1 never)
    std::function<void()> onPump;       // what the operator does meanwhile, at every pump

    // ---- records ----
    std::vector<RecordedMessage> messages;
    std::vector<std::string> prompts;    // every text shown in a measure window
    std::vector<std::string> waitTexts;  // every "text|caption" shown in a wait window
    std::vector<FrequencyPage> frequencyPagesShown;
    int beeps = 0;
    int pumps = 0;
    int waitCursorDepth = 0;

    // The texts of all recorded messages.
    std::vector<std::string> MessageTexts() const;

    // ---- EngineUi ----
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
