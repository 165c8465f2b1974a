#include "support/ScriptedUi.h"

#include "display/ScaleSheet.h"

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

std::vector<std::string> ScriptedUi::MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) {
        out.push_back(m.text);
    }
    return out;
}

Answer ScriptedUi::Message(const std::string& text, const std::string& caption, Buttons buttons,
                           Icon icon) {
    messages.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        case Buttons::RetryCancel:
            return Answer::Retry;
    }
    return Answer::Ok;
}

void ScriptedUi::OnMeasureChanged() {
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

void ScriptedUi::PumpMessages() {
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

std::unique_ptr<CMeasureDlg> ScriptedUi::CreateMeasureDlg() {
    auto dlg = std::make_unique<ScriptedMeasureDlg>(*this);
    measure = dlg.get();
    lastPromptText_.clear();
    return dlg;
}

std::unique_ptr<CPromptDlg> ScriptedUi::CreatePromptDlg() {
    auto dlg = std::make_unique<ScriptedPromptDlg>(*this);
    wait = dlg.get();
    return dlg;
}

bool ScriptedUi::EditFrequencyPage(FrequencyPage& page) {
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

bool ScriptedUi::RunGpibSelect(CGpibSelectDlg& dialog) {
    ++gpibSelectRuns;
    if (gpibSelect) {
        return gpibSelect(dialog);
    }
    return true;
}

int ScriptedUi::ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) {
    traceChoiceCaptions.push_back(caption);
    traceChoiceEnabled.push_back(enabled);
    if (traceChoices.empty()) {
        return -1;
    }
    const int c = traceChoices.front();
    traceChoices.pop_front();
    return c;
}

std::optional<std::string> ScriptedUi::GetOpenFileName(const FileDialogRequest&) {
    ++fileDialogs;
    if (openFileNames.empty()) {
        return std::nullopt;
    }
    auto name = openFileNames.front();
    openFileNames.pop_front();
    return name;
}

std::optional<std::string> ScriptedUi::GetSaveFileName(const FileDialogRequest&) {
    ++fileDialogs;
    if (saveFileNames.empty()) {
        return std::nullopt;
    }
    auto name = saveFileNames.front();
    saveFileNames.pop_front();
    return name;
}

bool ScriptedUi::EditScaleSheet(ScaleSheet& sheet, int& page) {
    ++scaleSheetRuns;
    if (scaleSheet) {
        return scaleSheet(sheet, page);
    }
    return false;
}

}  // namespace kv::test
