#include "support/ScriptedEngineUi.h"

namespace kv::test {

ScriptedMeasureDlg::~ScriptedMeasureDlg() {
    if (ui_.measure == this) {
        ui_.measure = nullptr;
    }
}

void ScriptedMeasureDlg::OnChanged() {
    if (texts.empty() || texts.back() != Text()) {
        texts.push_back(Text());
    }
    ui_.OnMeasureChanged();
}

ScriptedPromptDlg::~ScriptedPromptDlg() {
    if (ui_.wait == this) {
        ui_.wait = nullptr;
    }
}

void ScriptedPromptDlg::OnChanged() {
    const std::string entry = Text() + "|" + Caption();
    if (ui_.waitTexts.empty() || ui_.waitTexts.back() != entry) {
        ui_.waitTexts.push_back(entry);
    }
}

std::vector<std::string> ScriptedEngineUi::MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) {
        out.push_back(m.text);
    }
    return out;
}

Answer ScriptedEngineUi::Message(const std::string& text, const std::string& caption,
                                 Buttons buttons, Icon icon) {
    messages.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return FirstAnswer(buttons);
}

void ScriptedEngineUi::OnMeasureChanged() {
    // A new prompt: the operator reads it and acts at the next pump.
    if (measure != nullptr && measure->OkEnabled() && measure->Text() != lastPromptText_ &&
        !measure->PendingText().empty() && measure->Text() != measure->PendingText()) {
        lastPromptText_ = measure->Text();
        prompts.push_back(measure->Text());
        action_ = PromptAction::Continue;
        if (!promptActions.empty()) {
            action_ = promptActions.front();
            promptActions.pop_front();
        }
        pendingAction_ = true;
    }
}

void ScriptedEngineUi::PumpMessages() {
    ++pumps;
    if (onPump) {
        onPump();
    }
    if (quitAfterPumps >= 0 && pumps >= quitAfterPumps) {
        quit_ = true;
    }
    if (cancelWaitAfterPumps && wait != nullptr) {
        wait->PressCancel();
    }
    if (pendingAction_ && measure != nullptr) {
        pendingAction_ = false;
        lastPromptText_.clear();
        switch (action_) {
            case PromptAction::Continue:
                measure->PressOk();
                break;
            case PromptAction::Abort:
                measure->PressAbort();
                break;
            case PromptAction::ContinueAndAbort:
                measure->PressOk();
                measure->PressAbort();
                break;
            case PromptAction::Wait:
                break;
        }
    }
}

std::unique_ptr<CMeasureDlg> ScriptedEngineUi::CreateMeasureDlg() {
    auto dlg = std::make_unique<ScriptedMeasureDlg>(*this);
    measure = dlg.get();
    lastPromptText_.clear();
    return dlg;
}

std::unique_ptr<CPromptDlg> ScriptedEngineUi::CreatePromptDlg() {
    auto dlg = std::make_unique<ScriptedPromptDlg>(*this);
    wait = dlg.get();
    return dlg;
}

bool ScriptedEngineUi::EditFrequencyPage(FrequencyPage& page) {
    frequencyPagesShown.push_back(page);
    bool ok = true;
    if (!frequencyPageAnswers.empty()) {
        ok = frequencyPageAnswers.front();
        frequencyPageAnswers.pop_front();
    }
    if (ok && editFrequency) {
        editFrequency(page);
    }
    return ok;
}

}  // namespace kv::test
