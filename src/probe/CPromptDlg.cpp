#include "probe/CPromptDlg.h"

namespace kv {

void CPromptDlg::Show(const std::string& text, const std::string& caption) {
    text_ = text;
    caption_ = caption;
    visible_ = true;
    OnChanged();
}

void CPromptDlg::RevealCancel() {
    cancelShown_ = true;
    OnChanged();
}

void CPromptDlg::PressCancel() {
    cancelled_ = true;
}

void CPromptDlg::Close() {
    if (visible_) {
        visible_ = false;
        OnClosed();
    }
}

}  // namespace kv
