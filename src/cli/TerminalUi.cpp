#include "cli/TerminalUi.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <utility>

#include "cli/CliOptions.h"
#include "doc/CGpibSelectDlg.h"

namespace kv {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
    // Counted: the first one ends a series after the sweep in progress, a second one that sweep.
    if (gInterrupted < 2) {
        gInterrupted = gInterrupted + 1;
    }
}

}  // namespace

// The measure window: every new text line is printed; the operator continues with Enter.
class TerminalUi::MeasureWindow : public CMeasureDlg {
public:
    explicit MeasureWindow(TerminalUi& ui) : ui_(ui) {}
    ~MeasureWindow() override {
        if (ui_.measure_ == this) {
            ui_.measure_ = nullptr;
        }
    }
    // True while a prompt waits for the operator.
    bool Waiting() const { return OkEnabled() && !PendingText().empty() && !Closed(); }

protected:
    void OnChanged() override {
        if (Text() != shown_) {
            shown_ = Text();
            if (!shown_.empty()) {
                const bool prompt =
                    OkEnabled() && !PendingText().empty() && Text() != PendingText();
                if (prompt && !ui_.unattended_) {
                    std::fprintf(ui_.err_, "%s  [Enter continues, a + Enter aborts]\n",
                                 shown_.c_str());
                } else {
                    std::fprintf(ui_.err_, "%s\n", shown_.c_str());
                }
                std::fflush(ui_.err_);
            }
        }
    }

private:
    TerminalUi& ui_;
    std::string shown_;
};

class TerminalUi::WaitWindow : public CPromptDlg {
public:
    explicit WaitWindow(TerminalUi& ui) : ui_(ui) {}

protected:
    void OnChanged() override {
        const std::string line = Caption() + ": " + Text();
        if (line != shown_) {
            shown_ = line;
            std::fprintf(ui_.err_, "%s\n", line.c_str());
            std::fflush(ui_.err_);
        }
    }

private:
    TerminalUi& ui_;
    std::string shown_;
};

TerminalUi::TerminalUi(bool unattended, std::FILE* err)
    : unattended_(unattended || ::isatty(STDIN_FILENO) == 0), err_(err) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

bool TerminalUi::QuitRequested() const {
    return gInterrupted > (seriesRunning_ ? 1 : 0);
}

bool TerminalUi::SeriesStopRequested() const {
    return Interrupted();
}

bool TerminalUi::Interrupted() {
    return gInterrupted != 0;
}

std::optional<std::string> TerminalUi::PollLine() {
    if (stdinClosed_) {
        return std::nullopt;
    }
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    // A short wait keeps a polling loop from occupying a core.
    if (::poll(&fd, 1, 20) <= 0) {
        return std::nullopt;
    }
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        stdinClosed_ = true;
        return std::string();
    }
    pendingInput_.append(buffer, static_cast<std::size_t>(n));
    const auto end = pendingInput_.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = pendingInput_.substr(0, end);
    pendingInput_.erase(0, end + 1);
    return line;
}

std::string TerminalUi::ReadAnswer() {
    for (;;) {
        if (QuitRequested()) {
            return {};
        }
        if (auto line = PollLine()) {
            return Lower(*line);
        }
        if (stdinClosed_) {
            return {};
        }
    }
}

Answer TerminalUi::Message(const std::string& text, const std::string& caption, Buttons buttons,
                           Icon) {
    std::fprintf(err_, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(err_);
    if (unattended_ || buttons == Buttons::Ok) {
        return UnattendedAnswer(buttons);
    }
    // Enter gives the unattended answer.
    const char* choices = "";
    switch (buttons) {
        case Buttons::Ok:
            break;
        case Buttons::OkCancel:
            choices = "[Enter = OK, c = Cancel] ";
            break;
        case Buttons::YesNo:
            choices = "[y = Yes, Enter = No] ";
            break;
        case Buttons::RetryCancel:
            choices = "[r = Retry, Enter = Cancel] ";
            break;
        case Buttons::YesNoCancel:
            choices = "[y = Yes, Enter = No, c = Cancel] ";
            break;
    }
    std::fprintf(err_, "%s", choices);
    std::fflush(err_);
    const std::string a = ReadAnswer();
    const bool yes = a == "y" || a == "yes";
    const bool cancel = a == "c" || a == "cancel";
    switch (buttons) {
        case Buttons::OkCancel:
            return cancel ? Answer::Cancel : UnattendedAnswer(buttons);
        case Buttons::YesNo:
            return yes ? Answer::Yes : UnattendedAnswer(buttons);
        case Buttons::RetryCancel:
            return a == "r" || a == "retry" ? Answer::Retry : UnattendedAnswer(buttons);
        case Buttons::YesNoCancel:
            return yes ? Answer::Yes : cancel ? Answer::Cancel : UnattendedAnswer(buttons);
        case Buttons::Ok:
            break;
    }
    return UnattendedAnswer(buttons);
}

bool TerminalUi::ConfirmDiscardCalibration() {
    if (unattended_) {
        std::fprintf(err_, "%s: %s Yes\n", kDiscardCalibrationCaption, kDiscardCalibrationText);
        std::fflush(err_);
        return true;
    }
    return OperatorUi::ConfirmDiscardCalibration();
}

void TerminalUi::PumpMessages() {
    if (measure_ == nullptr || !measure_->Waiting()) {
        if (unattended_ || stdinClosed_) {
            ::usleep(2000);
        } else {
            PollLine();  // drop what was typed outside a prompt, and wait a little
        }
        return;
    }
    if (unattended_) {
        measure_->PressOk();
        return;
    }
    if (auto line = PollLine()) {
        const std::string a = Lower(*line);
        if (a == "a" || a == "abort") {
            measure_->PressAbort();
        } else {
            measure_->PressOk();
        }
    } else if (stdinClosed_) {
        measure_->PressOk();
    }
}

std::unique_ptr<CMeasureDlg> TerminalUi::CreateMeasureDlg() {
    auto window = std::make_unique<MeasureWindow>(*this);
    measure_ = window.get();
    return window;
}

std::unique_ptr<CPromptDlg> TerminalUi::CreatePromptDlg() {
    return std::make_unique<WaitWindow>(*this);
}

bool TerminalUi::RunGpibSelect(CGpibSelectDlg&) {
    // The terminal front end chooses the components before it connects; a selection asked for
    // here (after a failed connection) keeps the preselection.
    return true;
}

std::string TerminalUi::ExportView(ViewKind, const std::string& path) {
    return "The terminal front end writes pictures with --chart and --table, not " + path + ".";
}

}  // namespace kv
