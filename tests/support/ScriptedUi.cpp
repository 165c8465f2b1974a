#include "support/ScriptedUi.h"

#include "display/ScaleSheet.h"

namespace kv::test {

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
