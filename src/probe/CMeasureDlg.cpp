#include "probe/CMeasureDlg.h"

#include <utility>

namespace kv {

void CMeasureDlg::Create() {
    okEnabled_ = true;
    abortEnabled_ = true;
    progressVisible_ = false;
    closed_ = false;
    OnChanged();
}

void CMeasureDlg::SetText(const std::string& text) {
    text_ = text;
    OnChanged();
}

void CMeasureDlg::SetPendingText(const std::string& text) {
    pendingText_ = text;
    okEnabled_ = true;
    abortEnabled_ = true;
    OnChanged();
}

void CMeasureDlg::StartProgress(int range, int step) {
    progressRange_ = range;
    progressStep_ = step;
    progressVisible_ = true;
    OnChanged();
}

void CMeasureDlg::ResetProgress() {
    progressPosition_ = 0;
    OnChanged();
}

void CMeasureDlg::StepProgress() {
    // A progress bar wraps to its start when stepped past its end.
    progressPosition_ += progressStep_;
    if (progressPosition_ > progressRange_) {
        progressPosition_ = 0;
    }
    OnChanged();
}

void CMeasureDlg::PressOk() {
    okEnabled_ = false;
    abortEnabled_ = true;
    text_ = pendingText_;
    okPressed_ = true;
    OnChanged();
}

void CMeasureDlg::PressAbort() {
    abortPressed_ = true;
    if (!closed_) {
        closed_ = true;
        OnClosed();
    }
}

bool CMeasureDlg::TakeOk() {
    return std::exchange(okPressed_, false);
}

bool CMeasureDlg::TakeAbort() {
    return std::exchange(abortPressed_, false);
}

}  // namespace kv
