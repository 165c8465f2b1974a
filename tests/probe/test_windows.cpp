// The operator prompt loop and the two operator windows as the engine drives them: texts, progress
// bar, answers on the screen or on the analyzer, abort, quit, and the wait window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/CProbeEngine.h"
#include "support/FakeDriver.h"
#include "support/ScriptedEngineUi.h"

using namespace kv;
using kv::test::FakeDriver;
using kv::test::PromptAction;
using kv::test::ScriptedEngineUi;

namespace {

struct Bench {
    ScriptedEngineUi ui;
    FakeDriver driver;
    CProbeEngine engine;

    explicit Bench(bool withDriver = true) {
        engine.SetUi(&ui);
        if (withDriver) {
            engine.SetDriver(&driver);
        }
        driver.calls.clear();
    }
    // The driver's calls after the first poll, with the polls left out.
    std::vector<std::string> AfterPolls() const {
        std::vector<std::string> out;
        for (const auto& c : driver.CallsSince("PollOperatorResponse")) {
            if (c != "PollOperatorResponse") {
                out.push_back(c);
            }
        }
        return out;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST(PromptWindow, PromptShowsTextsOnScreenAndAnalyzer) {
    Bench b;
    b.engine.operatorResponse = 1;
    b.engine.Prompt("Leave the probe open in air.", "Measuring air.", 4);
    ASSERT_NE(b.ui.measure, nullptr);
    EXPECT_EQ(b.ui.measure->Text(), "Leave the probe open in air.");
    EXPECT_EQ(b.ui.measure->PendingText(), "Measuring air.");
    EXPECT_TRUE(b.ui.measure->OkEnabled());
    EXPECT_TRUE(b.ui.measure->AbortEnabled());
    EXPECT_TRUE(b.ui.measure->ProgressVisible());
    EXPECT_EQ(b.ui.measure->ProgressRange(), 4);
    EXPECT_EQ(b.ui.measure->ProgressPosition(), 0);
    EXPECT_EQ(b.engine.operatorResponse, 0);
    EXPECT_EQ(b.driver.calls,
              (Names{"ShowTitle", "ShowMessage", "ArmOperatorResponse", "EndSequence"}));
    EXPECT_EQ(b.driver.titles, (Names{"Measuring air."}));
    EXPECT_EQ(b.driver.shownMessages, (Names{"Leave the probe open in air."}));
    EXPECT_EQ(b.ui.beeps, 1);
    EXPECT_EQ(b.ui.prompts, (Names{"Leave the probe open in air."}));
}

TEST(PromptWindow, ProgressOverACalibrationSequence) {
    // Prompt with 4 steps, two further prompts and two status texts: 0, 1, 2, 3, 4.
    Bench b;
    b.engine.Prompt("one", "Measuring one", 4);
    ASSERT_TRUE(b.engine.WaitForOperator());
    CMeasureDlg* window = b.ui.measure;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Text(), "Measuring one");  // switched to its measuring state
    EXPECT_FALSE(window->OkEnabled());
    b.engine.Prompt("two", "Measuring two", 0);
    EXPECT_EQ(b.ui.measure, window);  // the same window goes on
    EXPECT_EQ(window->ProgressPosition(), 1);
    ASSERT_TRUE(b.engine.WaitForOperator());
    b.engine.Prompt("three", "Measuring three", 0);
    ASSERT_TRUE(b.engine.WaitForOperator());
    EXPECT_EQ(window->ProgressPosition(), 2);
    b.driver.calls.clear();
    b.engine.ShowStatus("Computing Calibration...");
    EXPECT_EQ(window->Text(), "Computing Calibration...");
    EXPECT_EQ(window->ProgressPosition(), 3);
    b.engine.ShowStatus("Downloading Calibration...");
    EXPECT_EQ(window->ProgressPosition(), 4);
    EXPECT_EQ(b.driver.calls, (Names{"ShowMessage", "ShowMessage"}));
    EXPECT_EQ(b.driver.shownMessages.back(), "Downloading Calibration...");
    EXPECT_EQ(b.ui.prompts, (Names{"one", "two", "three"}));
    EXPECT_EQ(b.ui.beeps, 3);

    b.driver.calls.clear();
    b.engine.EndPrompt();
    EXPECT_EQ(b.ui.measure, nullptr);
    EXPECT_EQ(b.driver.calls, (Names{"ClearMessage"}));
}

TEST(PromptWindow, ContinueOnScreenOrOnAnalyzer) {
    Bench screen;
    screen.engine.Prompt("p", "m", 2);
    EXPECT_TRUE(screen.engine.WaitForOperator());
    EXPECT_EQ(screen.engine.operatorResponse, 1);
    EXPECT_EQ(screen.AfterPolls(), (Names{"AcknowledgeContinue"}));

    // The operator presses the analyzer's continue key after two empty polls.
    Bench analyzer;
    analyzer.ui.promptActions = {PromptAction::Wait};
    analyzer.driver.operatorResponses = {0, 0, 1};
    analyzer.engine.Prompt("p", "m", 2);
    EXPECT_TRUE(analyzer.engine.WaitForOperator());
    EXPECT_EQ(analyzer.driver.Count("PollOperatorResponse"), 3);
    EXPECT_GE(analyzer.ui.pumps, 3);
    ASSERT_NE(analyzer.ui.measure, nullptr);
    EXPECT_EQ(analyzer.ui.measure->Text(), "m");
    EXPECT_EQ(analyzer.AfterPolls(), (Names{"AcknowledgeContinue"}));
}

TEST(PromptWindow, AbortOnScreenOrOnAnalyzerEndsThePrompt) {
    const Names abortTail{"EndOperatorResponse", "ClearMessage"};

    Bench screen;
    screen.ui.promptActions = {PromptAction::Abort};
    screen.engine.Prompt("p", "m", 2);
    EXPECT_FALSE(screen.engine.WaitForOperator());
    EXPECT_EQ(screen.engine.operatorResponse, -1);
    EXPECT_EQ(screen.ui.measure, nullptr);
    EXPECT_EQ(screen.AfterPolls(), abortTail);

    Bench analyzer;
    analyzer.ui.promptActions = {PromptAction::Wait};
    analyzer.driver.operatorResponses = {0, -1};
    analyzer.engine.Prompt("p", "m", 2);
    EXPECT_FALSE(analyzer.engine.WaitForOperator());
    EXPECT_EQ(analyzer.ui.measure, nullptr);
    EXPECT_EQ(analyzer.AfterPolls(), abortTail);

    // OK and Abort within one pass: Abort is examined last and wins.
    Bench both;
    both.ui.promptActions = {PromptAction::ContinueAndAbort};
    both.engine.Prompt("p", "m", 2);
    EXPECT_FALSE(both.engine.WaitForOperator());
    EXPECT_EQ(both.AfterPolls(), abortTail);
    EXPECT_EQ(both.driver.Count("AcknowledgeContinue"), 0);

    // A poll answer outside 0, 1, -1 is no continue: the operation ends without measuring.
    Bench odd;
    odd.ui.promptActions = {PromptAction::Wait};
    odd.driver.operatorResponses = {2};
    odd.engine.Prompt("p", "m", 2);
    EXPECT_FALSE(odd.engine.WaitForOperator());
    EXPECT_EQ(odd.engine.operatorResponse, -1);
    EXPECT_EQ(odd.AfterPolls(), abortTail);
    EXPECT_EQ(odd.ui.measure, nullptr);
}

TEST(PromptWindow, ClosingTheProgramEndsTheWait) {
    Bench b;
    b.ui.promptActions = {PromptAction::Wait};
    b.ui.quitAfterPumps = 5;
    b.engine.Prompt("p", "m", 2);
    EXPECT_FALSE(b.engine.WaitForOperator());
    EXPECT_EQ(b.ui.pumps, 5);
    EXPECT_EQ(b.AfterPolls(), (Names{"EndOperatorResponse", "ClearMessage"}));
    EXPECT_EQ(b.ui.measure, nullptr);
}

TEST(PromptWindow, WithoutDriverOrOperator) {
    // The operator alone can continue.
    Bench screenOnly(false);
    screenOnly.engine.Prompt("p", "m", 2);
    EXPECT_TRUE(screenOnly.engine.WaitForOperator());

    // Nobody to answer: the wait ends at once as an abort instead of hanging.
    CProbeEngine alone;
    alone.Prompt("p", "m", 2);
    EXPECT_FALSE(alone.WaitForOperator());
    EXPECT_EQ(alone.operatorResponse, -1);

    // The analyzer alone can answer too.
    FakeDriver driver;
    driver.operatorResponses = {0, 1};
    CProbeEngine headless;
    headless.SetDriver(&driver);
    headless.Prompt("p", "m", 2);
    EXPECT_TRUE(headless.WaitForOperator());
    headless.ShowStatus("Computing Values...");
    EXPECT_EQ(driver.shownMessages.back(), "Computing Values...");
}

TEST(WaitWindow, ShowReusesAndHideCloses) {
    Bench b;
    b.engine.HideWait();  // nothing up: harmless
    b.engine.ShowWait("Waiting for external trigger.", "External Trigger");
    ASSERT_NE(b.ui.wait, nullptr);
    CPromptDlg* window = b.ui.wait;
    EXPECT_TRUE(window->Visible());
    EXPECT_FALSE(window->CancelShown());
    EXPECT_EQ(b.ui.pumps, 1);
    b.engine.ShowWait("Computing Values...", "External Trigger");
    EXPECT_EQ(b.ui.wait, window);
    EXPECT_EQ(b.ui.pumps, 2);
    EXPECT_EQ(b.ui.waitTexts, (Names{"Waiting for external trigger.|External Trigger",
                                     "Computing Values...|External Trigger"}));
    b.engine.HideWait();
    EXPECT_EQ(b.ui.wait, nullptr);

    // Without an operator interface nothing is shown and nothing breaks.
    CProbeEngine alone;
    alone.ShowWait("a", "b");
    alone.HideWait();
}
