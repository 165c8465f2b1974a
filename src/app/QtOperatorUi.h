#pragma once

// The operator seam with real windows: message boxes, the beep, the wait cursor, the message pump
// of the polling loops, the measure and wait windows, the selection dialog, the trace choice,
// file dialogs and the property sheets.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "doc/OperatorUi.h"

namespace kv {

class GpibSelectDialog;
class ViewOutputs;

class QtOperatorUi : public OperatorUi {
public:
    QtOperatorUi() = default;
    QtOperatorUi(const QtOperatorUi&) = delete;
    QtOperatorUi& operator=(const QtOperatorUi&) = delete;

    // The main window: the windows of the operator are centred on it and modal to it.
    void SetMainWindow(QWidget* window) { main_ = window; }
    // Where AddRecentFile sends the paths (the application's most-recently-used list).
    void SetRecentFileSink(std::function<void(const std::string&)> sink) {
        recentSink_ = std::move(sink);
    }

    // Where prints, previews, copies and exports of the views are made (the main frame's).
    void SetViewOutputs(ViewOutputs* outputs) { outputs_ = outputs; }
    // Where status texts go (the main frame's message pane), and who follows the command
    // states.
    void SetStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }
    void SetCommandStateSink(std::function<void()> sink) { commandStateSink_ = std::move(sink); }
    // Who shows a series: whether it runs (the status bar's Stop), and its progress text.
    void SetSeriesSinks(std::function<void(bool)> running,
                        std::function<void(const QString&)> progress) {
        seriesRunningSink_ = std::move(running);
        seriesProgressSink_ = std::move(progress);
    }

    // The main window was closed while an operation waited: the polling loops end as if
    // aborted, and the window closes once the operation has returned.
    void RequestQuit() { quit_ = true; }
    void ClearQuitRequest() { quit_ = false; }

    // A window cannot open a modal message box in the middle of painting itself: messages asked
    // for while a view paints (the paint-time checks of the chart and the table, which correct
    // the document themselves) are answered with their first button at once and shown right
    // after the paint.
    class PaintScope {
    public:
        explicit PaintScope(QtOperatorUi* ui);
        ~PaintScope();
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;

    private:
        QtOperatorUi* ui_;
    };

    // Number of message boxes waiting to be shown after a paint.
    int DeferredMessageCount() const { return static_cast<int>(deferred_.size()); }
    int WaitCursorDepth() const { return waitDepth_; }

    // ---- EngineUi ----
    Answer Message(const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void PumpMessages() override;
    bool QuitRequested() const override { return quit_; }
    std::unique_ptr<CMeasureDlg> CreateMeasureDlg() override;
    std::unique_ptr<CPromptDlg> CreatePromptDlg() override;
    bool EditFrequencyPage(FrequencyPage& page) override;

    // ---- OperatorUi ----
    bool RunGpibSelect(CGpibSelectDlg& dialog) override;
    bool EditComponentSettings(const std::string& title,
                               std::vector<SettingDescription>& settings) override;
    int ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) override;
    std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> GetSaveFileNameWithOption(const FileDialogRequest& request,
                                                         FileDialogOption& option) override;
    void ShowBudget(const BudgetSheet& sheet) override;
    bool EditScaleSheet(ScaleSheet& sheet, int& page) override;
    bool EditCalibrationSheet(CalibrationSheet& sheet, int& page) override;
    bool AskCharacterisation(CharacterisePage& page) override;
    bool ShowCharacterisation(const CharacterisationReport& report) override;
    void AddRecentFile(const std::string& path) override;
    bool EditDisplaySheet(DisplaySheet& sheet, int& page) override;
    bool EditDisplayOptions(DisplayOptionsSheet& sheet, int& page) override;
    void PrintView(ViewKind view, bool preview) override;
    void PrinterSetup() override;
    bool CopyChartToClipboard() override;
    bool CopyTextToClipboard(const std::string& text) override;
    std::string ExportView(ViewKind view, const std::string& path) override;
    void ShowStatusText(const std::string& text) override;
    void CommandStatesChanged() override;
    bool AskSeries(SeriesPage& page) override;
    void SeriesRunningChanged(bool running) override;
    void ShowSeriesProgress(const SeriesProgress& progress) override;

    // How long one pass of the message pump waits for input when none is pending.
    static constexpr int kPumpWaitMs = 5;

private:
    struct DeferredMessage {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };
    void ShowDeferred();
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save,
                                             FileDialogOption* option = nullptr);

    // Context of the posted calls, so that none outlives this object.
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
    QPointer<QWidget> main_;
    std::function<void(const std::string&)> recentSink_;
    std::function<void(const QString&)> statusSink_;
    std::function<void()> commandStateSink_;
    std::function<void(bool)> seriesRunningSink_;
    std::function<void(const QString&)> seriesProgressSink_;
    ViewOutputs* outputs_ = nullptr;
    QPointer<GpibSelectDialog> activeSelect_;
    std::vector<DeferredMessage> deferred_;
    int painting_ = 0;
    int waitDepth_ = 0;
    bool quit_ = false;
    bool deferredPosted_ = false;
};

}  // namespace kv
