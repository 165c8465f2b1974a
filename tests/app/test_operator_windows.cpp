// The operator windows of the prompt loops and the message boxes of the Qt operator seam.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "AppTestSupport.h"
#include "app/MeasureWindow.h"
#include "app/PromptWindow.h"
#include "app/QtOperatorUi.h"

namespace kv::test {
namespace {

TEST(MeasureWindowTest, OkShowsThePendingTextAndAbortCloses) {
    QtOperatorUi ui;
    std::unique_ptr<CMeasureDlg> dlg = ui.CreateMeasureDlg();
    auto* window = dynamic_cast<MeasureWindow*>(dlg.get());
    ASSERT_NE(window, nullptr);
    dlg->Create();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Measure");
    EXPECT_EQ(window->OkButton()->text().toStdString(), "OK");
    EXPECT_EQ(window->AbortButton()->text().toStdString(), "Abort");
    EXPECT_TRUE(window->OkButton()->isEnabled());
    EXPECT_TRUE(window->AbortButton()->isEnabled());
    EXPECT_FALSE(window->ProgressBar()->isVisible());
    EXPECT_TRUE(window->TextLabel()->alignment() & Qt::AlignHCenter);

    dlg->SetText("Insert probe into sample.");
    dlg->SetPendingText("Measuring sample...");
    EXPECT_EQ(window->TextLabel()->text().toStdString(), "Insert probe into sample.");

    QTest::mouseClick(window->OkButton(), Qt::LeftButton);
    EXPECT_EQ(window->TextLabel()->text().toStdString(), "Measuring sample...");
    EXPECT_FALSE(window->OkButton()->isEnabled());
    EXPECT_TRUE(window->AbortButton()->isEnabled());
    EXPECT_TRUE(dlg->TakeOk());
    EXPECT_FALSE(dlg->TakeOk());
    EXPECT_FALSE(dlg->TakeAbort());

    dlg->StartProgress(3, 1);
    dlg->ResetProgress();
    EXPECT_TRUE(window->ProgressBar()->isVisible());
    EXPECT_EQ(window->ProgressBar()->maximum(), 3);
    dlg->StepProgress();
    EXPECT_EQ(window->ProgressBar()->value(), 1);
    dlg->SetText("Computing Values...");
    EXPECT_EQ(window->TextLabel()->text().toStdString(), "Computing Values...");

    QTest::mouseClick(window->AbortButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dlg->TakeAbort());
    EXPECT_TRUE(dlg->Closed());
}

TEST(MeasureWindowTest, EnterContinuesAndNeverAborts) {
    QtOperatorUi ui;
    std::unique_ptr<CMeasureDlg> dlg = ui.CreateMeasureDlg();
    auto* window = dynamic_cast<MeasureWindow*>(dlg.get());
    dlg->Create();
    dlg->SetText("Connect the shorting block to the probe.");
    dlg->SetPendingText("Measuring short...");
    EXPECT_TRUE(window->OkButton()->isDefault());
    EXPECT_FALSE(window->AbortButton()->autoDefault());
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(dlg->TakeOk());
    // OK is greyed now: Enter does nothing until the next prompt.
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(dlg->TakeOk());
    EXPECT_FALSE(dlg->TakeAbort());
    EXPECT_TRUE(window->isVisible());
}

TEST(MeasureWindowTest, EscapeAbortsTheWait) {
    QtOperatorUi ui;
    std::unique_ptr<CMeasureDlg> dlg = ui.CreateMeasureDlg();
    auto* window = dynamic_cast<MeasureWindow*>(dlg.get());
    dlg->Create();
    dlg->SetText("Leave the probe open in air.");
    dlg->SetPendingText("Measuring air...");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dlg->TakeAbort());
    EXPECT_FALSE(dlg->TakeOk());
}

TEST(PromptWindowTest, TextCaptionAndTheHiddenCancel) {
    QtOperatorUi ui;
    std::unique_ptr<CPromptDlg> dlg = ui.CreatePromptDlg();
    auto* window = dynamic_cast<PromptWindow*>(dlg.get());
    ASSERT_NE(window, nullptr);
    dlg->Show("Setting up Instrument", "FAKE ANALYZER 1");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "FAKE ANALYZER 1");
    EXPECT_EQ(window->TextLabel()->text().toStdString(), "Setting up Instrument");
    EXPECT_FALSE(window->CancelButton()->isVisible());
    // Before Cancel is offered, Escape does not cancel.
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(dlg->Cancelled());
    EXPECT_TRUE(window->isVisible());

    dlg->RevealCancel();
    EXPECT_TRUE(window->CancelButton()->isVisible());
    EXPECT_TRUE(window->CancelButton()->isEnabled());
    EXPECT_EQ(window->CancelButton()->text().toStdString(), "Cancel");
    QTest::mouseClick(window->CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg->Cancelled());
    dlg->Close();
    EXPECT_FALSE(window->isVisible());
}

TEST(QtMessagesTest, ButtonsAndAnswers) {
    QtOperatorUi ui;
    {
        MessageBoxAnswerer answerer({QMessageBox::No});
        EXPECT_EQ(ui.Message("Instrument found text", "Instrument found.", Buttons::YesNo,
                             Icon::Question),
                  Answer::No);
        ASSERT_EQ(answerer.boxes.size(), 1u);
        EXPECT_EQ(answerer.boxes[0].caption, "Instrument found.");
        EXPECT_EQ(answerer.boxes[0].text, "Instrument found text");
    }
    {
        MessageBoxAnswerer answerer({QMessageBox::Retry});
        EXPECT_EQ(ui.Message("The selected instrument could not be initialized",
                             "IEEE 488 Interface", Buttons::RetryCancel, Icon::Warning),
                  Answer::Retry);
    }
    {
        MessageBoxAnswerer answerer({QMessageBox::Cancel});
        EXPECT_EQ(ui.Message("Save changes?", "", Buttons::YesNoCancel, Icon::Question),
                  Answer::Cancel);
        // A box without a caption is captioned with the program's title.
        EXPECT_EQ(answerer.boxes.at(0).caption, "Tarvel Technologies 47310C");
    }
    {
        MessageBoxAnswerer answerer({QMessageBox::Ok});
        EXPECT_EQ(
            ui.Message("Improper file type.", "Reading data file", Buttons::OkCancel, Icon::None),
            Answer::Ok);
    }
}

TEST(QtMessagesTest, MessagesOfAPaintAreShownAfterIt) {
    QtOperatorUi ui;
    MessageBoxAnswerer answerer;
    {
        QtOperatorUi::PaintScope scope(&ui);
        EXPECT_EQ(ui.Message("Reference trace is not valid. Math functions turned off.", "Display",
                             Buttons::Ok, Icon::None),
                  Answer::Ok);
        EXPECT_EQ(ui.DeferredMessageCount(), 1);
        EXPECT_TRUE(answerer.boxes.empty());
    }
    Settle(100);
    EXPECT_EQ(ui.DeferredMessageCount(), 0);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    EXPECT_EQ(answerer.boxes[0].text, "Reference trace is not valid. Math functions turned off.");
    EXPECT_EQ(answerer.boxes[0].caption, "Display");
}

TEST(QtPumpTest, DeliversPendingEventsAndRestoresTheCursor) {
    QtOperatorUi ui;
    bool delivered = false;
    QTimer::singleShot(0, [&delivered] { delivered = true; });
    ui.PumpMessages();
    EXPECT_TRUE(delivered);

    ui.BeginWaitCursor();
    ui.BeginWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.EndWaitCursor();
    ui.EndWaitCursor();
    ui.EndWaitCursor();  // one too many is harmless
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);

    EXPECT_FALSE(ui.QuitRequested());
    ui.RequestQuit();
    EXPECT_TRUE(ui.QuitRequested());
    ui.ClearQuitRequest();
    EXPECT_FALSE(ui.QuitRequested());
}

}  // namespace
}  // namespace kv::test
