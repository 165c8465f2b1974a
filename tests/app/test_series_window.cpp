// A series in the window: the status bar's progress and Stop while it runs, Stop and Esc ending it
// after the sweep in progress.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "AppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/QtOperatorUi.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "support/FakeRegistry.h"

namespace kv::test {
namespace {

TEST(SeriesWindow, StopAndEscEndTheSeriesAfterTheSweepInProgress) {
    QtOperatorUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    profile.values[kProfileCardClsid] = kFakeCardClsid;
    profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
    CKv4731xDoc doc(ui, registry, profile);
    doc.defaultsPath = TempFolder("series") + "/47310.dft";
    CMainFrame frame(doc, &ui, nullptr);
    ui.SetMainWindow(&frame);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    Settle(50);
    ASSERT_TRUE(doc.HasInstrument());
    doc.Engine().calibrated = true;
    EXPECT_EQ(frame.Action(ID_STOP_SERIES)->shortcut(), QKeySequence(Qt::Key_Escape));

    // Stop pressed in the second sweep (the button), then in a second series Esc's command.
    for (const bool button : {true, false}) {
        SCOPED_TRACE(button ? "Stop" : "Esc");
        int sweeps = 0;
        bool shownWhileRunning = false;
        QString progress;
        registry.driver->onCall = [&](const std::string& op) {
            if (op != "MeasureTrace" || ++sweeps != 2) {
                return;
            }
            shownWhileRunning = frame.StopButton()->isVisibleTo(&frame) &&
                                frame.SeriesPane()->isVisibleTo(&frame) &&
                                !frame.Action(ID_PERFORM_CAL)->isEnabled() &&
                                frame.Action(ID_STOP_SERIES)->isEnabled();
            progress = frame.SeriesPane()->text();
            if (button) {
                frame.StopButton()->click();
            } else {
                frame.Action(ID_STOP_SERIES)->trigger();
            }
        };
        EXPECT_TRUE(doc.MeasureSeries({0.0, 0, 0.0, ""}).Done());
        registry.driver->onCall = nullptr;
        EXPECT_EQ(doc.SeriesRecords(), 2);
        EXPECT_TRUE(shownWhileRunning);
        EXPECT_TRUE(progress.startsWith(QStringLiteral("1 measurement, 00:00:0")))
            << progress.toStdString();
        EXPECT_FALSE(frame.StopButton()->isVisibleTo(&frame));
        EXPECT_EQ(frame.MessagePane()->text(), QStringLiteral("Series ended after 2 measurements"));
    }
}

}  // namespace
}  // namespace kv::test
