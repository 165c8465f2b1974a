#pragma once

// The operator seam on a terminal: message boxes go to standard error as "caption: text", prompts
// are printed and continued with Enter (or "a" and Enter to abort), and an unattended run (--yes,
// or no terminal on standard input) continues at once and answers every question with
// UnattendedAnswer. The terminal front end calls the document's operations with the values of its
// command line, so the dialogs of the menu commands are never asked for here; any that were would
// be cancelled.

#include <cstdio>
#include <optional>
#include <string>

#include "doc/OperatorUi.h"

namespace kv {

class TerminalUi : public OperatorUi {
public:
    TerminalUi(bool unattended, std::FILE* err);

    Answer Message(const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon) override;
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    // An unattended run (--yes) goes on: it answers Yes.
    bool ConfirmDiscardCalibration() override;
    void PumpMessages() override;
    // True once SIGINT or SIGTERM came: every wait ends as if aborted. While a series runs, the
    // first one only ends the series after the sweep in progress (SeriesStopRequested), and a
    // second one ends that sweep's wait too.
    bool QuitRequested() const override;
    bool SeriesStopRequested() const override;
    void SeriesRunningChanged(bool running) override { seriesRunning_ = running; }
    static bool Interrupted();
    std::unique_ptr<CMeasureDlg> CreateMeasureDlg() override;
    std::unique_ptr<CPromptDlg> CreatePromptDlg() override;
    bool EditFrequencyPage(FrequencyPage&) override { return false; }
    bool EditCalibrationSheet(CalibrationSheet&, int&) override { return false; }
    bool RunGpibSelect(CGpibSelectDlg& dialog) override;
    int ChooseTrace(const std::string&, const std::array<bool, 4>&) override { return -1; }
    std::optional<std::string> GetOpenFileName(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> GetSaveFileName(const FileDialogRequest&) override { return {}; }
    bool EditScaleSheet(ScaleSheet&, int&) override { return false; }
    void AddRecentFile(const std::string&) override {}
    // The terminal has no sheets, printer or clipboard: the commands that would use them are
    // never sent from here, and any that were would change nothing.
    bool EditDisplaySheet(DisplaySheet&, int&) override { return false; }
    bool EditDisplayOptions(DisplayOptionsSheet&, int&) override { return false; }
    void PrintView(ViewKind, bool) override {}
    void PrinterSetup() override {}
    bool CopyChartToClipboard() override { return false; }
    bool CopyTextToClipboard(const std::string&) override { return false; }
    std::string ExportView(ViewKind, const std::string&) override;
    void ShowStatusText(const std::string&) override {}

private:
    class MeasureWindow;
    class WaitWindow;
    friend class MeasureWindow;
    friend class WaitWindow;

    // A line typed on standard input since the last call, without waiting long.
    std::optional<std::string> PollLine();
    std::string ReadAnswer();

    bool unattended_;
    std::FILE* err_;
    MeasureWindow* measure_ = nullptr;
    bool stdinClosed_ = false;
    bool seriesRunning_ = false;
    std::string pendingInput_;
};

}  // namespace kv
