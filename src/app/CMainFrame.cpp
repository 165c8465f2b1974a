#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "app/ApplicationCommands.h"
#include "app/CPlot.h"
#include "app/CTable.h"
#include "app/CTimeChart.h"
#include "app/HelpWindow.h"
#include "app/KeyboardLocks.h"
#include "app/QtOperatorUi.h"
#include "app/RecentFileList.h"
#include "app/TextConversion.h"
#include "app/TimeChartDialogs.h"
#include "app/TimeChartSettingsStore.h"
#include "app/ToolbarIcons.h"
#include "app/ViewOutputs.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandTable.h"
#include "instrument/PrintableText.h"

namespace kv {

namespace {

constexpr const char* kIndicatorTexts[] = {"CAP", "NUM", "SCRL"};

QList<QKeySequence> Shortcuts(const char* text) {
    QList<QKeySequence> keys;
    for (const QString& part :
         QString::fromLatin1(text).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        keys << QKeySequence::fromString(part.trimmed(), QKeySequence::PortableText);
    }
    return keys;
}

bool IsInside(const QWidget* widget, const QWidget* ancestor) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w == ancestor) {
            return true;
        }
    }
    return false;
}

}  // namespace

CMainFrame::Busy::Busy(CMainFrame& frame) : frame_(frame) {
    ++frame_.busy_;
}

CMainFrame::Busy::~Busy() {
    if (--frame_.busy_ == 0 && frame_.closePending_) {
        // The window was closed while the operation waited: close it now that it has returned.
        frame_.closePending_ = false;
        QTimer::singleShot(0, &frame_, &QWidget::close);
    }
}

CMainFrame::CMainFrame(CKv4731xDoc& doc, QtOperatorUi* ui, ApplicationCommands* app,
                       QWidget* parent)
    : QMainWindow(parent), doc_(doc), ui_(ui), app_(app) {
    setObjectName(QStringLiteral("CMainFrame"));
    setAcceptDrops(true);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateSplitter();
    outputs_ = std::make_unique<ViewOutputs>(doc_, chart_, table_, this);
    outputs_->SetTimeChart(timeChart_);
    if (ui_ != nullptr) {
        ui_->SetViewOutputs(outputs_.get());
        ui_->SetStatusSink([this](const QString& text) { messagePane_->setText(text); });
        ui_->SetCommandStateSink([this] { UpdateCommandStates(); });
        ui_->SetSeriesSinks([this](bool running) { ShowSeriesRunning(running); },
                            [this](const QString& text) { seriesPane_->setText(text); });
    }
    // The document's plain registration (no fonts, no formats): the frame hears every update of
    // the views and keeps the instrument pane current.
    doc_.RegisterView(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    qApp->installEventFilter(this);
    UpdateIndicators();
    UpdateInstrumentPane();
    UpdateCommandStates();
    UpdateTitle();
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(1024, 700);
}

CMainFrame::~CMainFrame() {
    if (ui_ != nullptr) {
        ui_->SetViewOutputs(nullptr);
        ui_->SetStatusSink({});
        ui_->SetCommandStateSink({});
        ui_->SetSeriesSinks({}, {});
    }
    doc_.UnregisterView(this);
    qApp->removeEventFilter(this);
}

// ------------------------------------------------------------------------------ construction

void CMainFrame::CreateActions() {
    for (const CommandInfo& info : Commands()) {
        auto* action = new QAction(this);
        QString text = QString::fromLatin1(info.menuText);
        if (text.isEmpty()) {
            text = QString::fromLatin1(info.toolTip);
        }
        action->setText(text);
        action->setToolTip(QString::fromLatin1(info.toolTip));
        action->setStatusTip(QString::fromLatin1(info.toolTip));
        action->setShortcuts(Shortcuts(info.shortcuts));
        action->setCheckable(info.checkable);
        action->setData(info.id);
        action->setObjectName(QStringLiteral("command%1").arg(info.id));
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { DispatchCommand(id); });
        // In the window itself too, so that the accelerators work whatever bars are shown.
        addAction(action);
        actions_[info.id] = action;
    }
    for (int id : ToolbarButtons()) {
        if (id != 0) {
            if (QAction* action = Action(id)) {
                action->setIcon(ToolbarIcon(id));
                // Menus show check marks, not the toolbar's pictures.
                action->setIconVisibleInMenu(false);
            }
        }
    }
}

void CMainFrame::CreateMenus() {
    for (const MenuInfo& info : MainMenus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(info.title));
        for (int id : info.items) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == kRecentFilesEntry) {
                fileMenu_ = menu;
                recentPlaceholder_ = menu->addAction(QStringLiteral("Recent File"));
                recentPlaceholder_->setEnabled(false);
            } else if (QAction* action = Action(id)) {
                menu->addAction(action);
            }
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            if (menu == fileMenu_) {
                RebuildRecentFiles();
            }
            UpdateCommandStates();
        });
    }
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(16, 16));
    for (int id : ToolbarButtons()) {
        if (id == 0) {
            toolBar_->addSeparator();
        } else if (QAction* action = Action(id)) {
            toolBar_->addAction(action);
        }
    }
}

void CMainFrame::CreateStatusBar() {
    messagePane_ = new QLabel(QStringLiteral("Ready"), this);
    messagePane_->setObjectName(QStringLiteral("messagePane"));
    statusBar()->addWidget(messagePane_, 1);
    // A running series: its progress and Stop, shown only while it runs.
    seriesPane_ = new QLabel(this);
    seriesPane_->setObjectName(QStringLiteral("seriesPane"));
    seriesPane_->setVisible(false);
    statusBar()->addPermanentWidget(seriesPane_);
    stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
    stopButton_->setObjectName(QStringLiteral("stopSeries"));
    stopButton_->setToolTip(QStringLiteral("End the series after the sweep in progress (Esc)"));
    stopButton_->setVisible(false);
    connect(stopButton_, &QPushButton::clicked, this, [this] { DispatchCommand(ID_STOP_SERIES); });
    statusBar()->addPermanentWidget(stopButton_);
    instrumentPane_ = new QLabel(this);
    instrumentPane_->setObjectName(QStringLiteral("instrumentPane"));
    instrumentPane_->setFrameShape(QFrame::Panel);
    instrumentPane_->setFrameShadow(QFrame::Sunken);
    instrumentPane_->setAlignment(Qt::AlignCenter);
    statusBar()->addPermanentWidget(instrumentPane_);
    for (const char* text : kIndicatorTexts) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QLatin1String(text));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        statusBar()->addPermanentWidget(pane);
        indicators_.push_back(pane);
    }
    tipWatch_.setInterval(kTipWatchMs);
    connect(&tipWatch_, &QTimer::timeout, this, &CMainFrame::ClearStaleStatusTip);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            tipWatch_.stop();
        } else if (!tipWatch_.isActive()) {
            tipWatch_.start();
        }
    });
}

void CMainFrame::ShowSeriesRunning(bool running) {
    if (running) {
        seriesPane_->setText(QStringLiteral("Measuring continuously"));
    }
    seriesPane_->setVisible(running);
    stopButton_->setVisible(running);
    stopButton_->setEnabled(running);
}

void CMainFrame::CreateSplitter() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->setChildrenCollapsible(false);
    chart_ = new CPlot(doc_, ui_, splitter_);
    table_ = new CTable(doc_, ui_, splitter_);
    chart_->SetTable(table_);
    splitter_->addWidget(chart_);
    splitter_->addWidget(table_);
    viewSplitter_ = new QSplitter(Qt::Vertical, this);
    viewSplitter_->setObjectName(QStringLiteral("viewSplitter"));
    viewSplitter_->setChildrenCollapsible(false);
    viewSplitter_->addWidget(splitter_);
    timeChart_ = new CTimeChart(doc_, viewSplitter_);
    viewSplitter_->addWidget(timeChart_);
    viewSplitter_->setStretchFactor(0, 3);
    viewSplitter_->setStretchFactor(1, 2);
    timeChart_->setVisible(doc_.TimeChart().shown);
    // The time chart's menu is its context menu too.
    timeChart_->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const MenuInfo& info : MainMenus()) {
        if (std::find(info.items.begin(), info.items.end(), ID_TIME_CHART_FREQUENCIES) ==
            info.items.end()) {
            continue;
        }
        for (int id : info.items) {
            if (id == 0) {
                auto* separator = new QAction(timeChart_);
                separator->setSeparator(true);
                timeChart_->addAction(separator);
            } else if (QAction* action = Action(id)) {
                timeChart_->addAction(action);
            }
        }
    }
    setCentralWidget(viewSplitter_);
    splitter_->installEventFilter(this);
    activeView_ = chart_;
    MarkActivePane();
    mode_ = ViewMode::ChartAndTable;
    ApplyViewMode();
}

// ------------------------------------------------------------------------------ routing

QAction* CMainFrame::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::DispatchCommand(int id) {
    if (Waiting() && !AvailableDuringWait(id)) {
        return true;  // refused until the waiting operation ends (its action is disabled)
    }
    if (!Waiting()) {
        // A finished operation's status text stays until the next command.
        messagePane_->setText(QStringLiteral("Ready"));
    }
    bool handled = false;
    {
        Busy busy(*this);
        handled = RouteToView(id) || RunDocumentCommand(doc_, id) || OnFrameCommand(id) ||
                  (app_ != nullptr && app_->OnAppCommand(id));
        if (!handled) {
            const CommandInfo* info = FindCommand(id);
            handled = info != nullptr && info->target == CommandTarget::None;
        }
    }
    // "GPIB/Instrument" and opening a setup may have changed the instrument.
    UpdateInstrumentPane();
    UpdateCommandStates();
    UpdateTitle();
    return handled;
}

bool CMainFrame::RouteToView(int id) {
    switch (id) {
        case ID_EDIT_COPY:
            // The chart pane copies the chart; anything else copies the table.
            if (activeView_ == timeChart_) {
                if (!outputs_->CopyTimeChart()) {
                    QMessageBox::warning(
                        this, QStringLiteral("Copy"),
                        QStringLiteral("The clipboard did not take the time chart."));
                }
                return true;
            }
            return RunDocumentCommand(doc_, activeView_ == chart_ ? ID_COPY_CHART : ID_COPY_TABLE);
        default:
            return false;
    }
}

bool CMainFrame::OnFrameCommand(int id) {
    switch (id) {
        case ID_VIEW_TOOLBAR:
            toolBar_->setVisible(!toolBar_->isVisibleTo(this));
            return true;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(!statusBar()->isVisibleTo(this));
            return true;
        case ID_VIEW_CHART_ONLY:
            SetViewMode(ViewMode::ChartOnly);
            return true;
        case ID_VIEW_TABLE_ONLY:
            SetViewMode(ViewMode::TableOnly);
            return true;
        case ID_VIEW_CHART_AND_TABLE:
            SetViewMode(ViewMode::ChartAndTable);
            return true;
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
            NextPane(id == ID_NEXT_PANE ? 1 : -1);
            return true;
        case ID_VIEW_TIME_CHART: {
            TimeChartSettings settings = doc_.TimeChart();
            settings.shown = !settings.shown;
            doc_.SetTimeChart(settings);
            if (settings.shown) {
                SetActiveView(timeChart_);
            }
            return true;
        }
        case ID_TIME_CHART_FREQUENCIES:
            ChooseTimeChartFrequencies();
            return true;
        case ID_TIME_CHART_SET_SCALE:
            SetTimeChartScale();
            return true;
        case ID_HELP_FINDER:
        case ID_HELP:
        case ID_CONTEXT_HELP:
            ShowHelp();
            return true;
        case ID_FILE_PRINT:
            // Print prints the active pane.
            return RunDocumentCommand(doc_, activeView_ == table_       ? ID_PRINT_TABLE
                                            : activeView_ == timeChart_ ? ID_PRINT_TIME_CHART
                                                                        : ID_PRINT_CHART);
        default:
            return false;
    }
}

void CMainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : actions_) {
        CommandState state;
        const CommandInfo* info = FindCommand(id);
        if (QueryDocumentCommand(doc_, id, state)) {
            // The document's answer.
        } else if (info != nullptr && info->target == CommandTarget::None) {
            state.enabled = false;
        } else {
            state.enabled = !Waiting() || AvailableDuringWait(id);
            switch (id) {
                case ID_VIEW_TOOLBAR:
                    state.checked = toolBar_->isVisibleTo(this);
                    break;
                case ID_VIEW_STATUS_BAR:
                    state.checked = statusBar()->isVisibleTo(this);
                    break;
                case ID_VIEW_CHART_ONLY:
                    state.checked = mode_ == ViewMode::ChartOnly;
                    break;
                case ID_VIEW_TABLE_ONLY:
                    state.checked = mode_ == ViewMode::TableOnly;
                    break;
                case ID_VIEW_CHART_AND_TABLE:
                    state.checked = mode_ == ViewMode::ChartAndTable;
                    break;
                case ID_VIEW_TIME_CHART:
                    state.checked = doc_.TimeChart().shown;
                    break;
                default:
                    break;
            }
        }
        action->setEnabled(state.enabled);
        if (action->isCheckable()) {
            action->setChecked(state.checked);
        }
    }
}

void CMainFrame::UpdateTitle() {
    const std::string& path = doc_.PathName();
    const QString name =
        path.empty() ? QStringLiteral("Untitled") : QFileInfo(PathFromCore(path)).fileName();
    setWindowTitle(name + QStringLiteral("[*] - ") + QLatin1String(kTitle));
    setWindowModified(doc_.IsModified());
}

// ------------------------------------------------------------------------------ panes

void CMainFrame::SetViewMode(ViewMode mode) {
    mode_ = mode;
    ApplyViewMode();
    if (mode == ViewMode::ChartOnly) {
        SetActiveView(chart_);
    } else if (mode == ViewMode::TableOnly) {
        SetActiveView(table_);
    }
}

void CMainFrame::ApplyViewMode() {
    const int width = qMax(0, splitter_->width());
    const bool chart = mode_ != ViewMode::TableOnly;
    const bool table = mode_ != ViewMode::ChartOnly;
    if (chart_->isHidden() == chart || table_->isHidden() == table) {
        chart_->setVisible(chart);
        table_->setVisible(table);
        // The splitter lays the panes out at once, not at its next layout pass.
        splitter_->refresh();
    }
    switch (mode_) {
        case ViewMode::ChartOnly:
            splitter_->setSizes({width, 0});
            break;
        case ViewMode::TableOnly:
            splitter_->setSizes({0, width});
            break;
        case ViewMode::ChartAndTable:
            splitter_->setSizes({width / 2, width - width / 2});
            break;
    }
}

void CMainFrame::SetActiveView(QWidget* view) {
    if (view != chart_ && view != table_ && view != timeChart_) {
        return;
    }
    activeView_ = view;
    MarkActivePane();
    view->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::MarkActivePane() {
    // A frame in the highlight colour around the pane that Ctrl+C and Ctrl+P act on; the other
    // pane's frame has the window's colour, so that both keep their size.
    for (QFrame* pane : {static_cast<QFrame*>(chart_), static_cast<QFrame*>(table_),
                         static_cast<QFrame*>(timeChart_)}) {
        if (pane == nullptr) {
            continue;
        }
        if (pane->frameShape() != QFrame::Box) {
            pane->setFrameShape(QFrame::Box);
            pane->setFrameShadow(QFrame::Plain);
            pane->setLineWidth(kActivePaneFrame);
        }
        QPalette palette = pane->palette();
        palette.setColor(QPalette::WindowText, pane == activeView_
                                                   ? palette.color(QPalette::Highlight)
                                                   : palette.color(QPalette::Window));
        pane->setPalette(palette);
    }
}

void CMainFrame::NextPane(int direction) {
    // The panes shown, in their order on the screen.
    std::vector<QWidget*> panes;
    if (mode_ != ViewMode::TableOnly) {
        panes.push_back(chart_);
    }
    if (mode_ != ViewMode::ChartOnly) {
        panes.push_back(table_);
    }
    if (doc_.TimeChart().shown) {
        panes.push_back(timeChart_);
    }
    if (panes.size() < 2) {
        return;
    }
    const auto it = std::find(panes.begin(), panes.end(), activeView_);
    const int count = static_cast<int>(panes.size());
    const int at = it == panes.end() ? 0 : static_cast<int>(it - panes.begin());
    SetActiveView(panes[static_cast<std::size_t>((at + direction + count) % count)]);
}

void CMainFrame::OnFocusChanged(QWidget* now) {
    QWidget* const before = activeView_;
    if (IsInside(now, chart_)) {
        activeView_ = chart_;
    } else if (IsInside(now, table_)) {
        activeView_ = table_;
    } else if (IsInside(now, timeChart_)) {
        activeView_ = timeChart_;
    }
    if (activeView_ != before) {
        MarkActivePane();
    }
}

// ------------------------------------------------------------------------------ help, files

HelpWindow* CMainFrame::Help() const {
    return help_;
}

void CMainFrame::ShowHelp() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CMainFrame::RebuildRecentFiles() {
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    const QStringList files = app_ != nullptr ? app_->RecentFiles() : QStringList();
    for (int i = 0; i < files.size() && i < RecentFileList::kSize; ++i) {
        auto* action = new QAction(RecentFileList::MenuText(i, files[i]), this);
        action->setObjectName(QStringLiteral("recent%1").arg(i + 1));
        action->setStatusTip(files[i]);
        connect(action, &QAction::triggered, this, [this, i] {
            if (Waiting()) {
                return;  // no file is opened while an operation waits
            }
            RunOperation([this, i] { app_->OpenRecentFile(i); });
            UpdateCommandStates();
            UpdateTitle();
        });
        fileMenu_->insertAction(recentPlaceholder_, action);
        recentActions_.push_back(action);
    }
    recentPlaceholder_->setVisible(recentActions_.empty());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (paths.isEmpty() || app_ == nullptr || Waiting()) {
        return;  // no file is opened while an operation waits
    }
    event->acceptProposedAction();
    activateWindow();
    for (const QString& path : paths) {
        RunOperation([this, &path] { app_->OpenDocumentFile(path); });
    }
    UpdateCommandStates();
    UpdateTitle();
}

// ------------------------------------------------------------------------------ window events

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShowQueued_) {
        firstShowQueued_ = true;
        // After the window has appeared, so that the selection dialog comes up over it.
        QTimer::singleShot(0, this, [this] {
            {
                Busy busy(*this);
                doc_.OnViewsShown();
            }
            viewsShown_ = true;
            UpdateInstrumentPane();
            UpdateCommandStates();
            UpdateTitle();
            emit viewsShown();
        });
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (busy_ > 0) {
        // An operation is waiting (for the operator or the analyzer): end its wait, and close
        // once it has returned.
        if (ui_ != nullptr) {
            ui_->RequestQuit();
        }
        closePending_ = true;
        event->ignore();
        return;
    }
    if (!doc_.SaveModified()) {
        if (ui_ != nullptr) {
            ui_->ClearQuitRequest();
        }
        event->ignore();
        UpdateTitle();
        return;
    }
    if (help_ != nullptr) {
        help_->close();
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitter_ && event->type() == QEvent::Resize) {
        // The proportions of the panes follow the window.
        ApplyViewMode();
    } else if (event->type() == QEvent::KeyRelease ||
               event->type() == QEvent::ApplicationActivate) {
        UpdateIndicators();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ClearStaleStatusTip() {
    // A button clears its fly-by help when the mouse leaves it, but Qt does not always tell it:
    // after a command that opened a window, the button may have been entered again behind the
    // window and never be left. So the message pane reads "Ready" again as soon as the mouse is
    // seen elsewhere. An open menu keeps the help of its highlighted item, which the keyboard
    // may have chosen wherever the mouse is.
    ++tipChecks_;
    const QString message = statusBar()->currentMessage();
    if (message.isEmpty()) {
        tipWatch_.stop();
        return;
    }
    if (QApplication::activePopupWidget() != nullptr) {
        return;
    }
    for (const QWidget* w = QApplication::widgetAt(QCursor::pos()); w != nullptr;
         w = w->parentWidget()) {
        if (w->statusTip() == message) {
            return;
        }
    }
    statusBar()->clearMessage();
}

void CMainFrame::OnDocumentUpdate(UpdateHint) {
    UpdateInstrumentPane();
    SyncTimeChart();
}

// ------------------------------------------------------------------------------ time chart

void CMainFrame::SetSettings(QSettings* settings) {
    settings_ = settings;
    savedTimeChart_ = doc_.TimeChart();
}

void CMainFrame::SyncTimeChart() {
    if (timeChart_ == nullptr) {
        return;
    }
    const TimeChartSettings& settings = doc_.TimeChart();
    if (timeChart_->isHidden() == settings.shown) {
        timeChart_->setVisible(settings.shown);
        if (!settings.shown && activeView_ == timeChart_) {
            SetActiveView(mode_ == ViewMode::TableOnly ? static_cast<QWidget*>(table_) : chart_);
        }
    }
    if (settings_ != nullptr && !(settings == savedTimeChart_)) {
        SaveTimeChartSettings(*settings_, settings);
        savedTimeChart_ = settings;
    }
}

void CMainFrame::ChooseTimeChartFrequencies() {
    TimeChartFrequenciesDialog dialog(doc_.TimeChart().frequencies, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto frequencies = dialog.Frequencies()) {
        TimeChartSettings settings = doc_.TimeChart();
        settings.frequencies = *frequencies;
        doc_.SetTimeChart(settings);
    }
}

void CMainFrame::SetTimeChartScale() {
    const TimeChartSettings& settings = doc_.TimeChart();
    TimeChartScaleDialog dialog(
        TimeChartLimits(settings, TimeChartCurves(doc_.timeSeries, settings.quantity)), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto bounds = dialog.Bounds()) {
        doc_.SetTimeChartScale(*bounds);
    }
}

void CMainFrame::UpdateInstrumentPane() {
    const std::string name = doc_.CurrentInstrumentName();
    const QString full = name.empty() ? QStringLiteral("No instrument")
                                      : FromCore(PrintableText(ToCore(FromCore(name).trimmed())));
    // An identification text may run to 200 characters: the pane shows the start of a long one
    // and the whole of it as its tool tip, so that the status bar keeps its room.
    const QFontMetrics metrics = instrumentPane_->fontMetrics();
    const QString text =
        metrics.elidedText(full, Qt::ElideRight, metrics.averageCharWidth() * kInstrumentPaneChars);
    // Two long names may shorten alike, so the tool tip follows the full name, not the text.
    if (instrumentPane_->text() != text) {
        instrumentPane_->setText(text);
    }
    const QString tip = text == full ? QString() : full;
    if (instrumentPane_->toolTip() != tip) {
        instrumentPane_->setToolTip(tip);
    }
}

void CMainFrame::UpdateIndicators() {
    const KeyboardLocks locks = KeyboardLocks::Read();
    const bool on[] = {locks.caps, locks.num, locks.scroll};
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        const QString text = locks.known && on[i] ? QLatin1String(kIndicatorTexts[i]) : QString();
        if (indicators_[i]->text() != text) {
            indicators_[i]->setText(text);
        }
    }
}

}  // namespace kv
