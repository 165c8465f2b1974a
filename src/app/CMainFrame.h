#pragma once

// The main window: menu bar, toolbar and accelerators built from the command table, the status bar
// with its message and lock-key panes, and the splitter with the chart (left) and the table
// (right). Every command goes through DispatchCommand: active view, document, frame,
// application; the first that handles it wins. The status bar names the connected instrument; the
// frame follows the document's view updates for it.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "doc/CKv4731xDoc.h"

class QLabel;
class QPushButton;
class QMenu;
class QSettings;
class QSplitter;
class QToolBar;

namespace kv {

class ApplicationCommands;
class CPlot;
class CTable;
class CTimeChart;
class HelpWindow;
class QtOperatorUi;
class ViewOutputs;

class CMainFrame : public QMainWindow, public DocumentView {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Tarvel Technologies 47310c";

    // `ui` may be null (a scripted operator) and so may `app` (no application commands).
    CMainFrame(CKv4731xDoc& doc, QtOperatorUi* ui, ApplicationCommands* app,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The routing chain; false when nobody took the command.
    bool DispatchCommand(int id);
    // Check marks and enabled state of every action, from the document and the frame.
    void UpdateCommandStates();
    // "<document> - Tarvel Technologies 47310c", marked when the setup is modified.
    void UpdateTitle();

    enum class ViewMode { ChartOnly, TableOnly, ChartAndTable };

    // Runs an operation of the application (opening a dropped or recent file) as a command runs:
    // a close of the window meanwhile waits until it returns.
    template <typename F>
    void RunOperation(F&& operation) {
        Busy busy(*this);
        operation();
    }

    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return toolBar_; }
    CPlot* Chart() const { return chart_; }
    CTable* Table() const { return table_; }
    // The time chart, below the chart and the table; shown when its settings say so.
    CTimeChart* TimeChart() const { return timeChart_; }
    // The program's settings, which keep the time chart's settings from now on (null: none).
    void SetSettings(QSettings* settings);
    QSplitter* Splitter() const { return splitter_; }
    QWidget* ActiveView() const { return activeView_; }
    void SetActiveView(QWidget* view);
    // Width of the frame that marks the active pane, in pixels.
    static constexpr int kActivePaneFrame = 2;
    QLabel* MessagePane() const { return messagePane_; }
    QLabel* IndicatorPane(int index) const { return indicators_[static_cast<std::size_t>(index)]; }
    // The instrument pane's width in average characters; a longer text is shortened.
    static constexpr int kInstrumentPaneChars = 48;
    // How often the fly-by help checks that the mouse is still over its button.
    static constexpr int kTipWatchMs = 150;
    // How many times the fly-by help has checked so far.
    int StatusTipChecks() const { return tipChecks_; }
    // The identification text of the connected instrument, or "No instrument".
    QLabel* InstrumentPane() const { return instrumentPane_; }
    // The status bar's progress of a running series and its Stop button.
    QLabel* SeriesPane() const { return seriesPane_; }
    QPushButton* StopButton() const { return stopButton_; }
    void UpdateInstrumentPane();
    // The document changed: its instrument may have changed too.
    void OnDocumentUpdate(UpdateHint hint) override;
    HelpWindow* Help() const;
    // The first-show step ran (the instrument was connected and the defaults read).
    bool ViewsShown() const { return viewsShown_; }
    // An operation runs and may wait for the operator or the analyzer: only the commands that
    // are available during a wait run, and no file is opened.
    bool Waiting() const { return busy_ > 0 || doc_.Busy(); }
    // Prints, previews, copies and exports of the views.
    ViewOutputs& Outputs() { return *outputs_; }
    // Below this size the chart's axis labels would run into each other.
    static constexpr int kMinimumWidth = 760;
    static constexpr int kMinimumHeight = 520;

signals:
    // The first-show step has run: the application may now open the file it was started with.
    void viewsShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Busy {
    public:
        explicit Busy(CMainFrame& frame);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        CMainFrame& frame_;
    };

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ShowSeriesRunning(bool running);
    void CreateSplitter();
    void RebuildRecentFiles();
    bool RouteToView(int id);
    bool OnFrameCommand(int id);
    void SetViewMode(ViewMode mode);
    void ApplyViewMode();
    void ShowHelp();
    void UpdateIndicators();
    void ClearStaleStatusTip();
    void OnFocusChanged(QWidget* now);
    void MarkActivePane();
    void NextPane(int direction);
    // The time chart follows its settings: shown or hidden, and kept in the program's settings.
    void SyncTimeChart();
    void ChooseTimeChartFrequencies();
    void SetTimeChartScale();

    CKv4731xDoc& doc_;
    QtOperatorUi* ui_;
    ApplicationCommands* app_;
    std::map<int, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    std::vector<QAction*> recentActions_;
    QToolBar* toolBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* instrumentPane_ = nullptr;
    QLabel* seriesPane_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    // Watches the fly-by help while it is shown (see ClearStaleStatusTip).
    QTimer tipWatch_;
    int tipChecks_ = 0;
    std::vector<QLabel*> indicators_;
    QSplitter* splitter_ = nullptr;
    CPlot* chart_ = nullptr;
    CTable* table_ = nullptr;
    QSplitter* viewSplitter_ = nullptr;  // the chart and table above, the time chart below
    CTimeChart* timeChart_ = nullptr;
    QSettings* settings_ = nullptr;
    TimeChartSettings savedTimeChart_;
    QWidget* activeView_ = nullptr;
    QPointer<HelpWindow> help_;
    std::unique_ptr<ViewOutputs> outputs_;
    ViewMode mode_ = ViewMode::ChartAndTable;
    int busy_ = 0;
    bool closePending_ = false;
    bool firstShowQueued_ = false;
    bool viewsShown_ = false;
};

}  // namespace kv
