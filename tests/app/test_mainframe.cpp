// The main window: caption, menus, toolbar, accelerators, status bar, view modes, command routing
// to the document and the frame, the table's keys and clicks, and the first show.

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/ApplicationCommands.h"
#include "app/CMainFrame.h"
#include "app/CPlot.h"
#include "app/CTable.h"
#include "app/HelpWindow.h"
#include "app/QtOperatorUi.h"
#include "app/TimeChartDialogs.h"
#include "doc/CGpibSelectDlg.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "persist/ProfileStore.h"
#include "render/TableRender.h"
#include "support/FakeDriver.h"
#include "support/FakeRegistry.h"
#include "support/GoldenSession.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = folder + "/47310.dft";
        frame = std::make_unique<CMainFrame>(*doc, nullptr, nullptr);
        frame->resize(1000, 600);
    }
    void TearDown() override {
        frame.reset();
        doc.reset();
    }

    // Shows the window and lets the first show run (it connects the fake analyzer).
    void Show() {
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        Settle(50);
        ASSERT_TRUE(frame->ViewsShown());
    }

    // The Data trace valid and displayed over the current sweep, e' falling from 80 to 30.
    void FillDataTrace() {
        CTrace& data = doc->Trace(kDataTrace);
        const int n = doc->ViewPointCount();
        data.frequencies = doc->Engine().frequencies;
        data.permittivity.clear();
        for (int i = 0; i < n; ++i) {
            data.permittivity.push_back(CComplex(80.0 - 50.0 * i / (n - 1), 10.0));
        }
        data.valid = true;
        data.displayed = true;
    }

    bool Checked(int id) const { return frame->Action(id)->isChecked(); }

    std::string folder;
    ScriptedUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

std::vector<std::string> MenuTexts(QMenu* menu) {
    std::vector<std::string> texts;
    for (QAction* a : menu->actions()) {
        texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    }
    return texts;
}

TEST_F(MainFrameTest, CaptionNamesTheProgramAndTheSetupFile) {
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - Tarvel Technologies 47310c");
    EXPECT_FALSE(frame->isWindowModified());

    doc->SetPathName(folder + "/run1.tst");
    doc->SetModified(true);
    frame->UpdateTitle();
    EXPECT_EQ(frame->windowTitle().toStdString(), "run1.tst[*] - Tarvel Technologies 47310c");
    EXPECT_TRUE(frame->isWindowModified());
}

TEST_F(MainFrameTest, MenusListEveryCommandInOrder) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"&File",
         {"&Open Setup File...\tCtrl+O",
          "&Save Setup File\tCtrl+S",
          "Save Setup File  &As...",
          "-",
          "Open Data File...",
          "Save Data File...",
          "Include Sensitivity Data",
          "-",
          "Print Chart",
          "Print Chart Preview",
          "Print Table",
          "Print Table Preview",
          "Printer Setup...",
          "-",
          "Export Chart...",
          "Export Table...",
          "Export Touchstone...",
          "-",
          "Recent File",
          "-",
          "E&xit"}},
        {"&Edit", {"Copy the chart", "&Copy the table\tCtrl+C", "-", "Include Sensitivity Data"}},
        {"&View",
         {"&Toolbar", "&Status Bar", "-", "&Chart only", "Table only", "Chart and Table", "-",
          "T&ime Chart"}},
        {"&Calibration",
         {"Set Frequency", "Configure Cal...", "-", "Perform Cal...", "Refresh Cal...",
          "Characterise Probe..."}},
        {"&Measure",
         {"Trigger measurement...", "Arm external trigger", "-", "Measure Continuously..."}},
        {"C&hart",
         {"e'", "e''", "Loss tangent e", "Cole - Cole", "-", "Autoscale ", "Set scale..", "Default",
          "-", "Marker"}},
        {"&Table", {"real and imaginary", "real and tan d"}},
        {"T&ime Chart",
         {"e' and e''", "Loss tangent e''/e'", "-", "Add Marker Frequency", "Frequencies...", "-",
          "Autoscale", "Set Scale...", "-", "Print Time Chart", "Print Time Chart Preview",
          "Export Time Chart..."}},
        {"&Display",
         {"Data->Memory...", "Memory->Data...", "Traces Displayed...", "Trace Math...", "-",
          "All of the above...", "-", "Reference Liquid...", "-", "Uncertainty Band", "Budget..."}},
        {"&Preferences",
         {"Title...", "Sub Title...", "Time and Date...", "Parameter fonts...", "Scale font...",
          "Grid...", "Table font", "-", "Data ...", "Memory 1...", "Memory 2...", "Memory 3...",
          "-", "GPIB/Instrument", "-", "Save as default", "Reset defaults", "-",
          "Display options..."}},
        {"&Help", {"&Help Topics", "-", "&About 47310..."}},
    };
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QAction* menu = menus[static_cast<int>(i)];
        EXPECT_EQ(menu->text().toStdString(), expected[i].first);
        ASSERT_NE(menu->menu(), nullptr);
        EXPECT_EQ(MenuTexts(menu->menu()), expected[i].second) << expected[i].first;
    }
    // With no file used yet the list's place shows a greyed "Recent File".
    QMenu* file = menus[0]->menu();
    emit file->aboutToShow();
    EXPECT_FALSE(file->actions()[18]->isEnabled());
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithTheirTips) {
    const std::vector<std::string> expected = {"Open Setup File",
                                               "Open Data File",
                                               "|",
                                               "Save Setup File As",
                                               "Save Data File",
                                               "|",
                                               "Copy the chart",
                                               "Copy the table",
                                               "|",
                                               "Print Chart",
                                               "Print Table",
                                               "|",
                                               "Perform Cal",
                                               "|",
                                               "Chart and Table",
                                               "Chart only",
                                               "Table only",
                                               "|",
                                               "Trigger measurement",
                                               "Measure Continuously",
                                               "|",
                                               "e'",
                                               "e''",
                                               "Loss tangent e",
                                               "Cole-Cole",
                                               "|",
                                               "Autoscale",
                                               "Set verticle axis",
                                               "Set horizonal axis",
                                               "|",
                                               "real and imaginary",
                                               "real and tan d",
                                               "|",
                                               "Data->Memory",
                                               "Trace Math",
                                               "Traces Displayed",
                                               "|",
                                               "About"};
    std::vector<std::string> tips;
    for (QAction* a : frame->ToolBar()->actions()) {
        tips.push_back(a->isSeparator() ? "|" : a->toolTip().toStdString());
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
        }
    }
    EXPECT_EQ(tips, expected);
    // The toolbar's copy button is the chart copy of Ctrl+C.
    EXPECT_EQ(frame->ToolBar()->actions()[6]->data().toInt(), ID_EDIT_COPY);
}

TEST_F(MainFrameTest, AcceleratorsOfTheCommandTable) {
    const auto keys = [this](int id) {
        QStringList list;
        for (const QKeySequence& k : frame->Action(id)->shortcuts()) {
            list << k.toString(QKeySequence::PortableText);
        }
        return list.join(QLatin1Char(';')).toStdString();
    };
    EXPECT_EQ(keys(ID_FILE_NEW), "Ctrl+N");
    EXPECT_EQ(keys(ID_FILE_OPEN), "Ctrl+O");
    EXPECT_EQ(keys(ID_FILE_SAVE), "Ctrl+S");
    EXPECT_EQ(keys(ID_FILE_PRINT), "Ctrl+P");
    EXPECT_EQ(keys(ID_EDIT_COPY), "Ctrl+C;Ctrl+Ins");
    EXPECT_EQ(keys(ID_EDIT_UNDO), "Ctrl+Z;Alt+Backspace");
    EXPECT_EQ(keys(ID_EDIT_CUT), "Ctrl+X;Shift+Del");
    EXPECT_EQ(keys(ID_EDIT_PASTE), "Ctrl+V;Shift+Ins");
    EXPECT_EQ(keys(ID_NEXT_PANE), "F6");
    EXPECT_EQ(keys(ID_PREV_PANE), "Shift+F6");
    EXPECT_EQ(keys(ID_HELP), "F1");
    EXPECT_EQ(keys(ID_CONTEXT_HELP), "Shift+F1");
    // The accelerators work whatever bar is shown: every action is the window's own too.
    EXPECT_TRUE(frame->actions().contains(frame->Action(ID_EDIT_COPY)));
    EXPECT_TRUE(frame->actions().contains(frame->Action(ID_NEXT_PANE)));
}

TEST_F(MainFrameTest, StatusBarHasMessageAndLockPanes) {
    EXPECT_EQ(frame->MessagePane()->text().toStdString(), "Ready");
    EXPECT_EQ(frame->IndicatorPane(0)->objectName().toStdString(), "CAP");
    EXPECT_EQ(frame->IndicatorPane(1)->objectName().toStdString(), "NUM");
    EXPECT_EQ(frame->IndicatorPane(2)->objectName().toStdString(), "SCRL");
    // The offscreen platform cannot tell the lock keys: the panes stay blank.
    EXPECT_TRUE(frame->IndicatorPane(0)->text().isEmpty());
}

TEST_F(MainFrameTest, StatusBarNamesTheConnectedInstrument) {
    QLabel* pane = frame->InstrumentPane();
    ASSERT_NE(pane, nullptr);
    // Among the permanent panes, just before CAP, NUM and SCRL.
    EXPECT_EQ(pane->parentWidget(), frame->IndicatorPane(0)->parentWidget());
    EXPECT_EQ(pane->text().toStdString(), "No instrument");

    Show();
    EXPECT_EQ(pane->text().toStdString(), "FAKE ANALYZER 1");
    EXPECT_LT(pane->geometry().right(), frame->IndicatorPane(0)->geometry().left());

    // "GPIB/Instrument" with another address connects the analyzer found there.
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->name = "FAKE ANALYZER 2";
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        dialog.instrumentAddress = "17";
        return true;
    };
    ASSERT_TRUE(frame->DispatchCommand(ID_GPIB_INSTRUMENT));
    EXPECT_EQ(doc->CurrentInstrumentName(), "FAKE ANALYZER 2");
    EXPECT_EQ(pane->text().toStdString(), "FAKE ANALYZER 2");

    // Any update of the views shows the document's current instrument; a long identification
    // text is shortened in the pane and given whole as its tool tip.
    const std::string longName =
        "FAKE ANALYZER, SERIAL 0123456789, FIRMWARE REVISION 7.74.02 " + std::string(100, 'X');
    doc->Engine().instrumentName = longName + "\r\n";
    doc->UpdateAllViews();
    EXPECT_EQ(pane->toolTip().toStdString(), longName);
    EXPECT_TRUE(pane->text().endsWith(QChar(0x2026)));
    EXPECT_TRUE(longName.rfind(pane->text().chopped(1).toStdString(), 0) == 0);
    Settle(20);
    EXPECT_LT(pane->width(), frame->width() / 2);
    doc->Engine().instrumentName.clear();
    doc->UpdateAllViews();
    EXPECT_EQ(pane->text().toStdString(), "No instrument");
    EXPECT_TRUE(pane->toolTip().isEmpty());
}

TEST_F(MainFrameTest, FlyByHelpGivesWayToReadyOnceTheMouseIsElsewhere) {
    Show();
    QWidget* button = frame->ToolBar()->widgetForAction(frame->Action(ID_TRIGGER_MEASUREMENT));
    ASSERT_NE(button, nullptr);
    ASSERT_EQ(button->statusTip().toStdString(), "Trigger measurement");
    QStatusBar* bar = frame->statusBar();
    // The help has been checked twice more since now (whatever the time that took).
    auto WatchedTwice = [this] {
        const int checks = frame->StatusTipChecks();
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame->StatusTipChecks() >= checks + 2; }, 10000));
    };

    // The mouse over the button shows its help, and the help stays while the mouse does.
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    bar->showMessage(button->statusTip());
    WatchedTwice();
    EXPECT_EQ(bar->currentMessage().toStdString(), "Trigger measurement");
    EXPECT_FALSE(frame->MessagePane()->isVisible());

    // The command ran (no calibration yet: the measurement was refused with a message), and the
    // button was entered again behind the message box but never told that the mouse left it for
    // the chart: the help is stale, and the message pane reads "Ready" again.
    frame->DispatchCommand(ID_TRIGGER_MEASUREMENT);
    QCursor::setPos(frame->Chart()->mapToGlobal(frame->Chart()->rect().center()));
    Settle(30);
    bar->showMessage(button->statusTip());
    EXPECT_TRUE(QTest::qWaitFor([bar] { return bar->currentMessage().isEmpty(); }, 10000));
    EXPECT_TRUE(frame->MessagePane()->isVisible());
    EXPECT_EQ(frame->MessagePane()->text().toStdString(), "Ready");

    // An open menu keeps the help of the item the keyboard chose, wherever the mouse is.
    QMenu* measure = frame->menuBar()->actions().at(4)->menu();
    ASSERT_NE(measure, nullptr);
    ASSERT_EQ(measure->title().toStdString(), "&Measure");
    measure->popup(frame->mapToGlobal(QPoint(300, 60)));
    Settle(30);
    bar->showMessage(QStringLiteral("Trigger measurement"));
    WatchedTwice();
    EXPECT_EQ(bar->currentMessage().toStdString(), "Trigger measurement");
    measure->hide();
}

TEST_F(MainFrameTest, ChartFormatCommandsMoveTheCheckMark) {
    // The chart view's registration chose e' and real and imaginary.
    EXPECT_TRUE(Checked(ID_FORMAT_E1));
    EXPECT_TRUE(Checked(ID_TABLE_REAL_IMAG));
    EXPECT_FALSE(doc->IsModified());

    EXPECT_TRUE(frame->DispatchCommand(ID_FORMAT_COLE_COLE));
    EXPECT_TRUE(Checked(ID_FORMAT_COLE_COLE));
    EXPECT_FALSE(Checked(ID_FORMAT_E1));
    EXPECT_FALSE(Checked(ID_FORMAT_E2));
    EXPECT_EQ(doc->CurrentChartFormat(), ChartFormat::ColeCole);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(frame->isWindowModified());

    // Through the menu action: choosing the current format keeps its mark and changes nothing.
    doc->SetModified(false);
    frame->Action(ID_FORMAT_COLE_COLE)->trigger();
    EXPECT_TRUE(Checked(ID_FORMAT_COLE_COLE));
    EXPECT_FALSE(doc->IsModified());

    frame->Action(ID_TABLE_REAL_TAN)->trigger();
    EXPECT_TRUE(Checked(ID_TABLE_REAL_TAN));
    EXPECT_FALSE(Checked(ID_TABLE_REAL_IMAG));
    EXPECT_EQ(doc->CurrentTableFormat(), TableFormat::RealTangent);
}

TEST_F(MainFrameTest, IncludeSensitivityChecksBothItems) {
    frame->Action(ID_EDIT_INCLUDE_SENSITIVITY)->trigger();
    EXPECT_TRUE(doc->includeSensitivity);
    EXPECT_TRUE(Checked(ID_FILE_INCLUDE_SENSITIVITY));
    EXPECT_TRUE(Checked(ID_EDIT_INCLUDE_SENSITIVITY));
    frame->Action(ID_FILE_INCLUDE_SENSITIVITY)->trigger();
    EXPECT_FALSE(Checked(ID_FILE_INCLUDE_SENSITIVITY));
    EXPECT_FALSE(Checked(ID_EDIT_INCLUDE_SENSITIVITY));
}

TEST_F(MainFrameTest, InstrumentCommandsWithoutAnAnalyzerSaySo) {
    // Not shown: no instrument was connected.
    ASSERT_FALSE(doc->HasInstrument());
    EXPECT_TRUE(frame->DispatchCommand(ID_PERFORM_CAL));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "This function requires an instrument.");
    EXPECT_EQ(ui.messages[0].caption, "Instrument");
    EXPECT_FALSE(doc->IsModified());

    frame->Action(ID_TRIGGER_MEASUREMENT)->trigger();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "This function requires an instrument.");
    // The measurement command marks the setup modified before it finds no analyzer.
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(MainFrameTest, CommandsWithoutAHandlerAreRefused) {
    EXPECT_FALSE(frame->DispatchCommand(12345));
    // Undo, cut and paste have keys but nothing to do: accepted, greyed.
    EXPECT_TRUE(frame->DispatchCommand(ID_EDIT_UNDO));
    EXPECT_FALSE(frame->Action(ID_EDIT_PASTE)->isEnabled());
}

TEST_F(MainFrameTest, ViewModesSizeThePanesAndKeepTheirCheckMarks) {
    Show();
    EXPECT_TRUE(Checked(ID_VIEW_CHART_AND_TABLE));
    EXPECT_FALSE(Checked(ID_VIEW_CHART_ONLY));
    EXPECT_FALSE(Checked(ID_VIEW_TABLE_ONLY));
    EXPECT_LE(std::abs(frame->Chart()->width() - frame->Table()->width()),
              frame->Splitter()->handleWidth() + 1);

    frame->DispatchCommand(ID_VIEW_TABLE_ONLY);
    EXPECT_TRUE(Checked(ID_VIEW_TABLE_ONLY));
    EXPECT_FALSE(Checked(ID_VIEW_CHART_AND_TABLE));
    EXPECT_FALSE(frame->Chart()->isVisible());
    EXPECT_EQ(frame->Table()->width(), frame->Splitter()->width());
    EXPECT_EQ(frame->ActiveView(), frame->Table());

    // Resizing keeps the chart hidden and the table over the whole width.
    frame->resize(1300, 650);
    Settle(30);
    EXPECT_FALSE(frame->Chart()->isVisible());
    EXPECT_EQ(frame->Table()->width(), frame->Splitter()->width());
    EXPECT_TRUE(Checked(ID_VIEW_TABLE_ONLY));

    frame->Action(ID_VIEW_CHART_ONLY)->trigger();
    EXPECT_TRUE(Checked(ID_VIEW_CHART_ONLY));
    EXPECT_FALSE(Checked(ID_VIEW_TABLE_ONLY));
    EXPECT_FALSE(frame->Table()->isVisible());
    EXPECT_EQ(frame->Chart()->width(), frame->Splitter()->width());
    EXPECT_EQ(frame->ActiveView(), frame->Chart());

    frame->DispatchCommand(ID_VIEW_CHART_AND_TABLE);
    frame->resize(900, 600);
    Settle(30);
    EXPECT_TRUE(frame->Chart()->isVisible());
    EXPECT_TRUE(frame->Table()->isVisible());
    EXPECT_LE(std::abs(frame->Chart()->width() - frame->Table()->width()),
              frame->Splitter()->handleWidth() + 1);
}

TEST_F(MainFrameTest, NextPaneMovesBetweenTheTwoPanes) {
    Show();
    frame->SetActiveView(frame->Chart());
    frame->DispatchCommand(ID_NEXT_PANE);
    EXPECT_EQ(frame->ActiveView(), frame->Table());
    // The active pane is framed in the highlight colour, the other in the window's colour.
    auto frameColour = [](QWidget* pane) {
        auto* f = qobject_cast<QFrame*>(pane);
        EXPECT_EQ(f->frameShape(), QFrame::Box);
        EXPECT_EQ(f->lineWidth(), CMainFrame::kActivePaneFrame);
        return f->palette().color(QPalette::WindowText);
    };
    const QPalette palette = frame->palette();
    EXPECT_EQ(frameColour(frame->Table()), palette.color(QPalette::Highlight));
    EXPECT_EQ(frameColour(frame->Chart()), palette.color(QPalette::Window));
    frame->DispatchCommand(ID_PREV_PANE);
    EXPECT_EQ(frame->ActiveView(), frame->Chart());
    EXPECT_EQ(frameColour(frame->Chart()), palette.color(QPalette::Highlight));
    // A click on the table marks it too.
    QTest::mouseClick(frame->Table()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(frame->ActiveView(), frame->Table());
    EXPECT_EQ(frameColour(frame->Table()), palette.color(QPalette::Highlight));
    EXPECT_EQ(frameColour(frame->Chart()), palette.color(QPalette::Window));
    // With one pane there is no other to go to.
    frame->DispatchCommand(ID_VIEW_TABLE_ONLY);
    frame->DispatchCommand(ID_NEXT_PANE);
    EXPECT_EQ(frame->ActiveView(), frame->Table());
}

TEST_F(MainFrameTest, ToolbarAndStatusBarShowAndHide) {
    Show();
    EXPECT_TRUE(Checked(ID_VIEW_TOOLBAR));
    frame->DispatchCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    EXPECT_FALSE(Checked(ID_VIEW_TOOLBAR));
    frame->DispatchCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(Checked(ID_VIEW_STATUS_BAR));
    frame->DispatchCommand(ID_VIEW_TOOLBAR);
    frame->DispatchCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_TRUE(Checked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(Checked(ID_VIEW_STATUS_BAR));
}

TEST_F(MainFrameTest, FirstShowConnectsOnceAndSecondShowPassesThrough) {
    int shown = 0;
    QObject::connect(frame.get(), &CMainFrame::viewsShown, [&shown] { ++shown; });
    Show();
    EXPECT_TRUE(doc->firstShowDone);
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    EXPECT_TRUE(doc->HasInstrument());
    EXPECT_EQ(shown, 1);

    frame->hide();
    frame->show();
    Settle(30);
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    EXPECT_EQ(registry.creations, 1);
    EXPECT_EQ(shown, 1);
}

TEST_F(MainFrameTest, TableKeysMoveTheMarkerAndScrollToIt) {
    frame->resize(900, 300);
    Show();
    const int last = doc->ViewPointCount() - 1;
    ASSERT_GT(last, 10);
    frame->Table()->setFocus();
    QTest::keyClick(frame->Table(), Qt::Key_End);
    EXPECT_EQ(doc->markerPosition, last);
    EXPECT_GT(frame->Table()->verticalScrollBar()->value(), 0);
    QTest::keyClick(frame->Table(), Qt::Key_Down);
    EXPECT_EQ(doc->markerPosition, last);
    QTest::keyClick(frame->Table(), Qt::Key_Home);
    EXPECT_EQ(doc->markerPosition, 0);
    EXPECT_EQ(frame->Table()->verticalScrollBar()->value(), 0);
    QTest::keyClick(frame->Table(), Qt::Key_Up);
    EXPECT_EQ(doc->markerPosition, 0);
    // The chart hands its keys to the table.
    QTest::keyClick(frame->Chart(), Qt::Key_Down);
    QTest::keyClick(frame->Chart(), Qt::Key_Down);
    EXPECT_EQ(doc->markerPosition, 2);
    // The keys move the marker without turning it on.
    EXPECT_FALSE(doc->markerOn);

    // Page Down scrolls by the screen's height, not by a row.
    QTest::keyClick(frame->Table(), Qt::Key_Home);
    QTest::keyClick(frame->Table(), Qt::Key_PageDown);
    EXPECT_EQ(frame->Table()->verticalScrollBar()->value(),
              std::min(frame->Table()->ScreenResolution().height(),
                       frame->Table()->verticalScrollBar()->maximum()));
    QTest::keyClick(frame->Table(), Qt::Key_PageUp);
    EXPECT_EQ(frame->Table()->verticalScrollBar()->value(), 0);
}

TEST_F(MainFrameTest, ClicksPlaceTheMarkerOnlyOverAShownTrace) {
    Show();
    QWidget* table = frame->Table()->viewport();
    QWidget* chart = frame->Chart()->viewport();
    QTest::mouseClick(table, Qt::LeftButton, {}, QPoint(60, table->height() / 2));
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(chart->width() / 2, chart->height() / 2));
    EXPECT_FALSE(doc->markerOn);

    FillDataTrace();
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(chart->width() / 2, chart->height() / 2));
    EXPECT_TRUE(doc->markerOn);
    // About the middle of the sweep.
    EXPECT_NEAR(doc->markerPosition, doc->ViewPointCount() / 2, doc->ViewPointCount() / 5);
    emit frame->menuBar()->actions()[5]->menu()->aboutToShow();
    EXPECT_TRUE(Checked(ID_MARKER));

    // Table rows: the row under the click; the column titles give -1 (no row marked).
    TableSurface surface =
        TableSurface::Screen(QPoint(0, 0), table->size(), frame->Table()->ScreenResolution());
    surface.deviceFont = frame->Table()->font();
    const TableLayout layout = TableLayoutFor(*doc, surface);
    frame->Table()->verticalScrollBar()->setValue(0);
    QTest::mouseClick(table, Qt::LeftButton, {}, QPoint(60, layout.RowY(3) + 1));
    EXPECT_EQ(doc->markerPosition, 3);
    // A click in the table moves the marker where the operator looks: no scrolling.
    EXPECT_EQ(frame->Table()->verticalScrollBar()->value(), 0);
    QTest::mouseClick(table, Qt::LeftButton, {}, QPoint(60, layout.ColumnTitleY() + 1));
    EXPECT_EQ(doc->markerPosition, -1);
}

// Every command either is disabled or acts: a window or message through the operator seam, a
// change of the document or of the frame, the clipboard, a print or export request, or (for the
// application's commands) the application is asked.
TEST_F(MainFrameTest, NoCommandIsEnabledThatDoesNothing) {
    // The application takes only its own commands: a command of the document, the frame or a
    // view that reached it would have found no handler.
    struct RecordingApp : ApplicationCommands {
        bool OnAppCommand(int id) override {
            const CommandInfo* info = FindCommand(id);
            if (info == nullptr || info->target != CommandTarget::Application) {
                return false;
            }
            asked.push_back(id);
            return true;
        }
        QStringList RecentFiles() const override { return {}; }
        void OpenRecentFile(int) override {}
        void OpenDocumentFile(const QString&) override {}
        std::vector<int> asked;
    } app;
    frame.reset();
    frame = std::make_unique<CMainFrame>(*doc, nullptr, &app);
    frame->resize(1000, 600);
    Show();
    FillDataTrace();
    // With its uncertainty, so that the band and the budget have something to act on.
    CTrace& data = doc->Trace(kDataTrace);
    data.uncertaintyE1.assign(data.permittivity.size(), 0.5);
    data.uncertaintyE2.assign(data.permittivity.size(), 0.25);
    doc->Engine().result = {
        data.frequencies, data.permittivity, {}, data.uncertaintyE1, data.uncertaintyE2};
    registry.driver->reflection = [this](double f, int call) {
        return doc->Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    const std::string image = folder + "/walk.tst";
    auto imageBytes = [&] {
        EXPECT_TRUE(doc->StoreSetupFile(image));
        std::ifstream in(image, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto seam = [&] {
        return std::vector<std::size_t>{ui.messages.size(),
                                        ui.printRequests.size(),
                                        ui.exports.size(),
                                        ui.statusTexts.size(),
                                        ui.prompts.size(),
                                        ui.frequencyPagesShown.size(),
                                        ui.traceChoiceCaptions.size(),
                                        static_cast<std::size_t>(ui.displaySheetRuns),
                                        static_cast<std::size_t>(ui.displayOptionsRuns),
                                        static_cast<std::size_t>(ui.fileDialogs),
                                        static_cast<std::size_t>(ui.scaleSheetRuns),
                                        static_cast<std::size_t>(ui.calibrationSheetRuns),
                                        static_cast<std::size_t>(ui.gpibSelectRuns),
                                        static_cast<std::size_t>(ui.componentSettingsRuns),
                                        static_cast<std::size_t>(ui.characterisePageRuns),
                                        static_cast<std::size_t>(ui.seriesPageRuns),
                                        static_cast<std::size_t>(ui.chartCopies),
                                        ui.clipboardText.size(),
                                        ui.budgets.size()};
    };
    auto frameState = [&] {
        std::string s;
        for (QAction* a : frame->actions()) {
            s += a->isChecked() ? '1' : '0';
        }
        s += frame->ToolBar()->isVisibleTo(frame.get()) ? 'T' : 't';
        s += frame->statusBar()->isVisibleTo(frame.get()) ? 'S' : 's';
        s += frame->Chart()->isVisibleTo(frame.get()) ? 'C' : 'c';
        s += frame->Table()->isVisibleTo(frame.get()) ? 'B' : 'b';
        s += frame->ActiveView() == frame->Chart() ? 'A' : 'a';
        s += frame->Help() != nullptr && frame->Help()->isVisible() ? 'H' : 'h';
        // The time chart's settings (the program's, not the setup's).
        const TimeChartSettings& t = doc->TimeChart();
        for (double v : {t.frequencies[0], t.frequencies[1], t.frequencies[2], t.frequencies[3],
                         t.scale.timeMin, t.scale.timeMax, t.scale.valueMin, t.scale.valueMax}) {
            s += std::to_string(v) + ' ';
        }
        return s;
    };
    int disabled = 0;
    for (const CommandInfo& info : Commands()) {
        QAction* action = frame->Action(info.id);
        ASSERT_NE(action, nullptr) << info.id;
        frame->UpdateCommandStates();
        if (!action->isEnabled()) {
            ++disabled;
            continue;
        }
        if (frame->Help() != nullptr) {
            frame->Help()->close();
        }
        // A setting that "Reset defaults" gives back.
        doc->title.text = "walk " + std::to_string(info.id);
        doc->SetModified(false);
        const bool wasChecked = action->isChecked();
        // The time chart's own dialogs: a frequency typed, a limit raised.
        if (info.id == ID_TIME_CHART_FREQUENCIES) {
            OnNextModal<TimeChartFrequenciesDialog>([](TimeChartFrequenciesDialog* d) {
                d->Entry(1)->setText(QStringLiteral("2 GHz"));
                d->accept();
            });
        } else if (info.id == ID_TIME_CHART_SET_SCALE) {
            OnNextModal<TimeChartScaleDialog>([](TimeChartScaleDialog* d) {
                d->Entry(3)->setText(QStringLiteral("1e6"));
                d->accept();
            });
        }
        auto dispatch = [&] {
            const std::string before = imageBytes();
            const auto seamBefore = seam();
            const std::string frameBefore = frameState();
            const std::size_t appBefore = app.asked.size();
            EXPECT_TRUE(frame->DispatchCommand(info.id)) << info.id;
            Settle(5);
            frame->UpdateCommandStates();
            return doc->IsModified() || imageBytes() != before || seam() != seamBefore ||
                   frameState() != frameBefore || app.asked.size() != appBefore;
        };
        bool acted = dispatch();
        if (!acted && wasChecked) {
            // An item of a group that was already checked: another command of the group takes
            // the check mark away, and the command must set it again.
            for (const CommandInfo& other : Commands()) {
                QAction* o = frame->Action(other.id);
                if (other.id == info.id || o == nullptr || !o->isCheckable() || !o->isEnabled()) {
                    continue;
                }
                frame->DispatchCommand(other.id);
                Settle(5);
                frame->UpdateCommandStates();
                if (!action->isChecked()) {
                    break;
                }
            }
            ASSERT_FALSE(action->isChecked()) << "nothing unchecks command " << info.id;
            doc->SetModified(false);
            acted = dispatch() && action->isChecked();
        }
        EXPECT_TRUE(acted) << "command " << info.id << " \"" << info.menuText << "\" did nothing";
    }
    // Undo, cut, paste and the embedded server's trigger have nothing to do here, there is no
    // sample reflection to export as a Touchstone file, and no series for Stop to end.
    EXPECT_EQ(disabled, 6);
}

TEST_F(MainFrameTest, StatusTextOfAFinishedOperationStaysUntilTheNextCommand) {
    // The window's own operator, so that the document's status texts reach the message pane.
    QtOperatorUi windows;
    CKv4731xDoc document(windows, registry, profile);
    document.defaultsPath = folder + "/kept.dft";
    CMainFrame window(document, &windows, nullptr);
    EXPECT_EQ(window.minimumWidth(), CMainFrame::kMinimumWidth);
    EXPECT_EQ(window.minimumHeight(), CMainFrame::kMinimumHeight);
    window.DispatchCommand(ID_SAVE_AS_DEFAULT);
    const QString saved = QString::fromStdString("Defaults saved to " + folder + "/kept.dft");
    EXPECT_EQ(window.MessagePane()->text(), saved);
    // The fly-by help of a button passes over it and leaves it as it was.
    window.statusBar()->showMessage(QStringLiteral("Open Setup File"));
    window.statusBar()->clearMessage();
    EXPECT_EQ(window.MessagePane()->text(), saved);
    window.DispatchCommand(ID_FORMAT_E2);
    EXPECT_EQ(window.MessagePane()->text(), QStringLiteral("Ready"));
}

TEST(MainFrameQuit, ClosingDuringAnOperationEndsItsWaitAndClosesAfterwards) {
    QtOperatorUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    // A remembered selection: the first show connects without asking.
    profile.values[kProfileCardClsid] = kFakeCardClsid;
    profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
    CKv4731xDoc doc(ui, registry, profile);
    doc.defaultsPath = TempFolder("quit") + "/47310.dft";
    CMainFrame frame(doc, &ui, nullptr);
    ui.SetMainWindow(&frame);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    Settle(50);
    ASSERT_TRUE(frame.ViewsShown());
    ASSERT_FALSE(doc.IsModified());

    bool quitSeen = false;
    frame.RunOperation([&] {
        frame.close();
        quitSeen = ui.QuitRequested();
        // The operation goes on; the window stays until it returns.
        EXPECT_TRUE(frame.isVisible());
    });
    EXPECT_TRUE(quitSeen);
    Settle(30);
    EXPECT_FALSE(frame.isVisible());
}

TEST(MainFramePaint, CorrectionsOfAPaintAreToldOnceAfterIt) {
    QtOperatorUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    profile.values[kProfileCardClsid] = kFakeCardClsid;
    profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
    CKv4731xDoc doc(ui, registry, profile);
    doc.defaultsPath = TempFolder("paint") + "/47310.dft";
    CMainFrame frame(doc, &ui, nullptr);
    ui.SetMainWindow(&frame);
    MessageBoxAnswerer answerer;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    Settle(50);
    ASSERT_TRUE(answerer.boxes.empty());

    // A logarithmic vertical axis from 0 cannot be drawn: the paint corrects it and says so.
    doc.CurrentChart().yLog = 1;
    doc.CurrentChart().current.yMin = 0.0;
    doc.UpdateAllViews();
    Settle(100);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    EXPECT_EQ(answerer.boxes[0].caption, "Chart");
    EXPECT_EQ(answerer.boxes[0].text,
              "Zero or negitive values not allowed in log scale.  Minimum value of verticle "
              "scale set to 1");
    EXPECT_EQ(doc.CurrentChart().current.yMin, 1.0);
    EXPECT_EQ(ui.DeferredMessageCount(), 0);
}

// The window writes the same files as the document alone, byte for byte: its views (fonts, the
// chart's line width, the formats they select) leave nothing of their own in a stored file.
TEST_F(MainFrameTest, MenusWriteTheGoldenFilesByteForByte) {
    Show();
    RunGoldenSession(*doc, *registry.driver, ui, folder, [this](int id) {
        QAction* action = frame->Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_TRUE(action->isEnabled()) << id;
        action->trigger();
    });
    ExpectGoldenFiles(folder, std::string(KV_SOURCE_DIR) + "/tests/data/golden");
}

}  // namespace
}  // namespace kv::test
