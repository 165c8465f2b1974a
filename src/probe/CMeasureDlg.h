#pragma once

// The "Measure" operator window: a text line, OK and Abort, and a progress bar. This class holds
// the window's state and rules; a front end derives from it to show the state (OnChanged) and to
// take the window away (OnClosed). Owned by the probe engine while a prompt sequence runs.

#include <string>

namespace kv {

class CMeasureDlg {
public:
    virtual ~CMeasureDlg() = default;

    // Shown once on creation: OK and Abort enabled, progress bar hidden.
    void Create();
    void SetText(const std::string& text);
    // The text shown once OK is pressed; also enables OK and Abort.
    void SetPendingText(const std::string& text);
    void StartProgress(int range, int step);
    void ResetProgress();
    void StepProgress();
    // OK (by the operator, or by the engine when the analyzer's continue key was pressed).
    void PressOk();
    // Abort (by the operator, or by the engine when the analyzer reported an abort); closes the
    // window.
    void PressAbort();
    // Each returns its flag and clears it.
    bool TakeOk();
    bool TakeAbort();
    // Whether Abort was pressed and not yet taken.
    bool AbortPressed() const { return abortPressed_; }

    const std::string& Text() const { return text_; }
    const std::string& PendingText() const { return pendingText_; }
    bool OkEnabled() const { return okEnabled_; }
    bool AbortEnabled() const { return abortEnabled_; }
    bool ProgressVisible() const { return progressVisible_; }
    int ProgressRange() const { return progressRange_; }
    int ProgressPosition() const { return progressPosition_; }
    bool Closed() const { return closed_; }

protected:
    // The front end re-reads the state.
    virtual void OnChanged() {}
    // The window goes away (after Abort).
    virtual void OnClosed() {}

private:
    std::string text_;
    std::string pendingText_;
    bool okPressed_ = false;
    bool abortPressed_ = false;
    bool okEnabled_ = true;
    bool abortEnabled_ = true;
    bool progressVisible_ = false;
    int progressRange_ = 0;
    int progressStep_ = 1;
    int progressPosition_ = 0;
    bool closed_ = false;
};

}  // namespace kv
