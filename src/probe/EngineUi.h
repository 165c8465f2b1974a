#pragma once

// What the probe engine needs from a person: message boxes, the beep, the wait cursor, the message
// pump, the two operator windows and the "Set Frequency" page. The document's OperatorUi extends
// this with everything else; the Qt front end, the terminal front end and the tests implement it.

#include <memory>
#include <string>

#include "probe/CMeasureDlg.h"
#include "probe/CPromptDlg.h"
#include "probe/FrequencyPage.h"

namespace kv {

enum class Buttons { Ok, OkCancel, YesNo, RetryCancel, YesNoCancel };
enum class Icon { None, Information, Warning, Stop, Question };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// The first button of each set: the default one (OK, Yes, Retry), and the answer given when a box
// cannot be shown.
constexpr Answer FirstAnswer(Buttons buttons) {
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

// The answer nobody at the program gives (a terminal run with --yes, an engine without an
// operator): the one that lets the run go on where going on is safe, or end, and never the one
// that repeats a step. OK to OK and to OK/Cancel, No to a question, Cancel to Retry/Cancel.
constexpr Answer UnattendedAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::No;
        case Buttons::RetryCancel:
            return Answer::Cancel;
    }
    return Answer::Ok;
}

class EngineUi {
public:
    virtual ~EngineUi() = default;

    // A modal message box; returns the button pressed.
    virtual Answer Message(const std::string& text, const std::string& caption,
                           Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Dispatches pending events and returns when none is left; may wait a few milliseconds so
    // that a polling loop does not keep a core busy.
    virtual void PumpMessages() = 0;
    // True once the operator asked the program to end (closing the main window during a wait):
    // polling loops then end as if aborted.
    virtual bool QuitRequested() const = 0;

    // The two modeless operator windows, shown by their Create/Show calls.
    virtual std::unique_ptr<CMeasureDlg> CreateMeasureDlg() = 0;
    virtual std::unique_ptr<CPromptDlg> CreatePromptDlg() = 0;

    // The property sheet "Calibration" with the "Set Frequency" page. Returns true on OK with the
    // page values as the operator left them, false on Cancel. The page's own leave checks are run
    // by the caller (FrequencyPage::LeaveCheck), which shows the sheet again when they fail.
    virtual bool EditFrequencyPage(FrequencyPage& page) = 0;
};

// Shows the wait cursor for a scope.
class WaitCursor {
public:
    explicit WaitCursor(EngineUi* ui) : ui_(ui) {
        if (ui_ != nullptr) {
            ui_->BeginWaitCursor();
        }
    }
    ~WaitCursor() {
        if (ui_ != nullptr) {
            ui_->EndWaitCursor();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    EngineUi* ui_;
};

}  // namespace kv
