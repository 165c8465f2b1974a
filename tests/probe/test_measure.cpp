// Sample measurement by the operator and by the external trigger, and what the engine does after
// a setup file was read into it.

#include <gtest/gtest.h>

#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "probe/CProbeEngine.h"
#include "support/FakeDriver.h"
#include "support/ScriptedEngineUi.h"

using namespace kv;
using kv::test::PromptAction;
using kv::test::ScriptedEngineUi;

namespace {

using Names = std::vector<std::string>;

// A fake analyzer that lets a test look at the windows while the engine waits on it.
class WatchedDriver : public kv::test::FakeDriver {
public:
    std::function<void()> onTriggerPoll;
    std::function<void()> onEndOperatorResponse;
    int PollExternalTrigger() override {
        const int r = FakeDriver::PollExternalTrigger();
        if (onTriggerPoll) {
            onTriggerPoll();
        }
        return r;
    }
    int EndOperatorResponse() override {
        if (onEndOperatorResponse) {
            onEndOperatorResponse();
        }
        return FakeDriver::EndOperatorResponse();
    }
};

struct Bench {
    ScriptedEngineUi ui;
    WatchedDriver driver;
    CProbeEngine engine;

    explicit Bench(bool withDriver = true) {
        engine.SetUi(&ui);
        if (withDriver) {
            engine.SetDriver(&driver);
        }
        engine.sweep.numPoints = 5;
        engine.SetupInstrument();
        engine.HideWait();
        engine.calibrated = true;
        driver.calls.clear();
        ui.waitTexts.clear();
        engine.result.permittivity = {{5, 5}};
    }
    // A sample of permittivity eps (e' - j e'') at the probe, read through ideal error terms.
    void Sample(CComplex eps) {
        driver.reflection = [this, eps](double f, int) { return engine.model.Reflection(f, eps); };
    }
    Names CallsOnePollEach() const {
        Names out;
        for (const auto& c : driver.calls) {
            if (c.rfind("Poll", 0) == 0 && !out.empty() && out.back() == c) {
                continue;
            }
            out.push_back(c);
        }
        return out;
    }
};

void ExpectDataUntouched(const Bench& b) {
    ASSERT_EQ(b.engine.result.permittivity.size(), 1u);
    EXPECT_EQ(b.engine.result.permittivity[0].re, 5.0);
    EXPECT_TRUE(b.engine.result.frequencies.empty());
}

}  // namespace

TEST(Measure, RefusedWithoutACalibration) {
    Bench b;
    b.engine.calibrated = false;
    b.engine.Measure();
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text,
              "A calibration must be performed before a measurement can be made.");
    EXPECT_EQ(b.ui.messages[0].caption, "Measure Menu");
    EXPECT_EQ(b.ui.messages[0].icon, Icon::Stop);
    EXPECT_TRUE(b.driver.calls.empty());
    EXPECT_TRUE(b.ui.prompts.empty());
    ExpectDataUntouched(b);

    // The same refusal for the external trigger.
    b.ui.messages.clear();
    b.engine.MeasureOnTrigger();
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].caption, "Measure Menu");
    EXPECT_TRUE(b.ui.waitTexts.empty());
    EXPECT_TRUE(b.driver.calls.empty());
}

TEST(Measure, SampleBecomesTheDataTrace) {
    Bench b;
    b.Sample({20.0, -5.0});
    int rangeAtEnd = -1;
    int positionAtEnd = -1;
    std::string textAtEnd;
    b.driver.onEndOperatorResponse = [&] {
        ASSERT_NE(b.ui.measure, nullptr);
        rangeAtEnd = b.ui.measure->ProgressRange();
        positionAtEnd = b.ui.measure->ProgressPosition();
        textAtEnd = b.ui.measure->Text();
    };
    EXPECT_TRUE(b.engine.Measure().Done());

    EXPECT_EQ(b.CallsOnePollEach(),
              (Names{"ShowTitle", "ShowMessage", "ArmOperatorResponse", "EndSequence",
                     "PollOperatorResponse", "AcknowledgeContinue", "MeasureTrace", "ShowMessage",
                     "EndOperatorResponse", "ClearMessage", "EndSequence"}));
    EXPECT_EQ(b.driver.titles, (Names{"Measuring sample..."}));
    EXPECT_EQ(b.driver.shownMessages, (Names{"Insert probe into sample.", "Computing Values..."}));
    EXPECT_EQ(b.ui.prompts, (Names{"Insert probe into sample."}));
    EXPECT_EQ(rangeAtEnd, 2);
    EXPECT_EQ(positionAtEnd, 1);
    EXPECT_EQ(textAtEnd, "Computing Values...");
    EXPECT_EQ(b.ui.measure, nullptr);
    EXPECT_TRUE(b.ui.messages.empty());

    EXPECT_EQ(b.engine.result.frequencies, b.engine.frequencies);
    ASSERT_EQ(b.engine.result.permittivity.size(), 5u);
    ASSERT_EQ(b.engine.sampleMeasured.size(), 5u);
    ASSERT_EQ(b.engine.result.sensitivity.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        // The trace holds e'' positive for a lossy sample.
        EXPECT_NEAR(b.engine.result.permittivity[i].re, 20.0, 1e-3) << i;
        EXPECT_NEAR(b.engine.result.permittivity[i].im, 5.0, 1e-3) << i;
        EXPECT_GT(b.engine.result.sensitivity[i], 0.0);
        EXPECT_LT(b.engine.result.sensitivity[i], 9999.0);
    }
    EXPECT_TRUE(b.engine.calibrated);
}

TEST(Measure, AirReadsAsOne) {
    Bench b;
    b.Sample({1.0, 0.0});
    b.engine.Measure();
    for (const CComplex& e : b.engine.result.permittivity) {
        EXPECT_NEAR(e.re, 1.0, 1e-3);
        EXPECT_NEAR(e.im, 0.0, 1e-3);
    }
}

TEST(Measure, AbortAtThePromptChangesNothing) {
    Bench b;
    b.engine.sampleMeasured = {{8, 8}};
    b.engine.result.sensitivity = {3.0};
    b.ui.promptActions = {PromptAction::Abort};
    b.engine.Measure();
    EXPECT_EQ(b.driver.Count("MeasureTrace"), 0);
    EXPECT_EQ(b.driver.calls.back(), "ClearMessage");
    EXPECT_EQ(b.driver.Count("EndOperatorResponse"), 1);
    ASSERT_EQ(b.engine.sampleMeasured.size(), 1u);
    EXPECT_EQ(b.engine.sampleMeasured[0].re, 8.0);
    EXPECT_EQ(b.engine.result.sensitivity, (std::vector<double>{3.0}));
    ExpectDataUntouched(b);
}

TEST(Measure, AFailedReadingChangesNothingAndSaysWhy) {
    // By command: the prompt closes as after an abort, then the driver's text.
    Bench b;
    b.engine.sampleMeasured = {{8, 8}};
    b.engine.result.sensitivity = {3.0};
    b.Sample({20.0, -5.0});
    b.driver.results["MeasureTrace"] = 1;
    b.driver.errorText = "Timeout: no answer within 10 s.";
    b.engine.Measure();
    EXPECT_EQ(b.driver.CallsSince("MeasureTrace"),
              (Names{"MeasureTrace", "EndOperatorResponse", "ClearMessage"}));
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Timeout: no answer within 10 s.");
    EXPECT_EQ(b.ui.messages[0].caption, "Measure Menu");
    EXPECT_EQ(b.ui.measure, nullptr);
    ASSERT_EQ(b.engine.sampleMeasured.size(), 1u);
    EXPECT_EQ(b.engine.sampleMeasured[0].re, 8.0);
    EXPECT_EQ(b.engine.result.sensitivity, (std::vector<double>{3.0}));
    ExpectDataUntouched(b);

    // By the external trigger: the sweep it started cannot be read; no text of the driver's own.
    Bench t;
    t.Sample({20.0, -5.0});
    t.driver.results["ReadTrace"] = 1;
    t.engine.MeasureOnTrigger();
    EXPECT_EQ(t.driver.CallsSince("ReadTrace"), (Names{"ReadTrace"}));
    EXPECT_EQ(t.ui.MessageTexts(), (Names{"The analyzer did not return a measurement."}));
    EXPECT_EQ(t.ui.messages[0].caption, "Measure Menu");
    EXPECT_EQ(t.ui.wait, nullptr);
    EXPECT_TRUE(t.engine.sampleMeasured.empty());
    ExpectDataUntouched(t);
}

TEST(Measure, ArraysFollowAShortLogSweep) {
    // 55 points asked, 51 in the log list until the instrument has been asked: every array
    // has one element per frequency.
    Bench b;
    b.engine.sweep.sweepType = SweepKind::Logarithmic;
    b.engine.sweep.numPoints = 55;
    b.engine.BuildFrequencyList();
    b.driver.frequencyList = b.engine.frequencies;
    ASSERT_EQ(b.engine.frequencies.size(), 51u);
    b.Sample({3.0, -0.1});
    b.engine.Measure();
    EXPECT_EQ(b.engine.sampleMeasured.size(), 51u);
    EXPECT_EQ(b.engine.result.sensitivity.size(), 51u);
    EXPECT_EQ(b.engine.result.permittivity.size(), 51u);
    EXPECT_NEAR(b.engine.result.permittivity[50].re, 3.0, 1e-3);

    // The same for a calibration (with the ideal readings of the standards).
    b.engine.calSettings.calibrationType = CalibrationType::LoadAirShort;
    b.driver.measureCalls = 0;
    b.driver.reflection = [&b](double f, int call) {
        return b.engine.StandardReflection(call + 1, f);
    };
    b.engine.PerformCalibration();
    EXPECT_EQ(b.engine.stdMeasured3.size(), 51u);
    EXPECT_EQ(b.engine.errorTracking.size(), 51u);
    EXPECT_EQ(b.driver.downloaded[0].size(), 51u);
}

TEST(MeasureOnTrigger, InstrumentWithoutTrigger) {
    Bench b;
    b.driver.armTriggerResult = 3;
    b.engine.MeasureOnTrigger();
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "The selected instrument does not support this function.");
    EXPECT_EQ(b.ui.messages[0].caption, "External Trigger");
    EXPECT_EQ(b.ui.messages[0].buttons, Buttons::Ok);
    EXPECT_EQ(b.driver.calls, (Names{"ArmExternalTrigger"}));
    EXPECT_EQ(b.ui.waitTexts, (Names{"Waiting for external trigger.|External Trigger"}));
    EXPECT_EQ(b.ui.wait, nullptr);
    ExpectDataUntouched(b);
}

TEST(MeasureOnTrigger, TriggerFiresAndTheSweepIsRead) {
    Bench b;
    b.Sample({10.0, -2.0});
    b.driver.triggerPolls = {1, 1, 0};
    bool cancelShown = false;
    b.driver.onTriggerPoll = [&] {
        cancelShown = b.ui.wait != nullptr && b.ui.wait->CancelShown();
    };
    b.engine.MeasureOnTrigger();
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(b.driver.calls,
              (Names{"ArmExternalTrigger", "PollExternalTrigger", "PollExternalTrigger",
                     "PollExternalTrigger", "ReadTrace", "EndOperatorResponse", "EndSequence"}));
    EXPECT_EQ(b.ui.waitTexts, (Names{"Waiting for external trigger.|External Trigger",
                                     "Computing Values...|External Trigger"}));
    EXPECT_EQ(b.ui.wait, nullptr);
    EXPECT_EQ(b.ui.measure, nullptr);
    EXPECT_TRUE(b.ui.messages.empty());
    ASSERT_EQ(b.engine.result.permittivity.size(), 5u);
    EXPECT_NEAR(b.engine.result.permittivity[2].re, 10.0, 1e-3);
    EXPECT_NEAR(b.engine.result.permittivity[2].im, 2.0, 1e-3);
    EXPECT_EQ(b.engine.result.frequencies, b.engine.frequencies);
}

TEST(MeasureOnTrigger, CancelWhileTheInstrumentKeepsWaiting) {
    Bench b;
    b.driver.triggerPolls = std::deque<int>(50, 1);
    int polls = 0;
    b.driver.onTriggerPoll = [&] {
        if (++polls == 3) {
            b.ui.cancelWaitAfterPumps = true;  // the operator presses Cancel now
        }
    };
    b.engine.MeasureOnTrigger();
    // Cancel is seen at the poll after the one during which it was pressed.
    EXPECT_EQ(b.driver.Count("PollExternalTrigger"), 4);
    EXPECT_EQ(b.driver.Count("ReadTrace"), 0);
    EXPECT_EQ(b.driver.Count("EndSequence"), 0);
    EXPECT_EQ(b.ui.wait, nullptr);
    EXPECT_TRUE(b.ui.messages.empty());
    ExpectDataUntouched(b);
}

TEST(MeasureOnTrigger, FailingPollQuitAndNoDriver) {
    Bench failing;
    failing.driver.triggerPolls = {1, 2};
    failing.engine.MeasureOnTrigger();
    EXPECT_EQ(failing.driver.Count("PollExternalTrigger"), 2);
    EXPECT_EQ(failing.driver.Count("ReadTrace"), 0);
    EXPECT_EQ(failing.ui.wait, nullptr);
    ExpectDataUntouched(failing);

    // Closing the program while waiting counts as Cancel.
    Bench quitting;
    quitting.driver.triggerPolls = std::deque<int>(50, 1);
    quitting.ui.quitAfterPumps = 4;
    quitting.engine.MeasureOnTrigger();
    EXPECT_LE(quitting.driver.Count("PollExternalTrigger"), 4);
    EXPECT_EQ(quitting.driver.Count("ReadTrace"), 0);
    ExpectDataUntouched(quitting);

    Bench none(false);
    EXPECT_FALSE(none.engine.WaitForTrigger());
    none.engine.MeasureOnTrigger();
    EXPECT_EQ(none.ui.wait, nullptr);
    ExpectDataUntouched(none);
}

TEST(SetupFile, SameInstrumentGetsItsCalibrationBack) {
    Bench b;
    b.engine.calState[0] = 0x11;
    b.engine.calState[49999] = 0x22;
    b.engine.calStateSize = 50000;
    b.engine.errorDirectivity = {{0.1, 0}, {0.2, 0}};
    b.engine.errorSourceMatch = {{0.3, 0}, {0.4, 0}};
    b.engine.errorTracking = {{0.5, 0}, {0.6, 0}};
    b.engine.AfterLoad("FAKE ANALYZER 1");
    EXPECT_EQ(b.driver.calls,
              (Names{"RestoreCalibrationState", "DownloadCalibration", "EndSequence"}));
    EXPECT_EQ(b.driver.restoredState[0], 0x11);
    EXPECT_EQ(b.driver.restoredState[49999], 0x22);
    EXPECT_EQ(b.driver.restoredSize, 50000);
    ASSERT_EQ(b.driver.downloaded[2].size(), 2u);
    EXPECT_EQ(b.driver.downloaded[0][1].re, 0.2);
    EXPECT_EQ(b.driver.downloaded[1][0].re, 0.3);
    EXPECT_EQ(b.driver.downloaded[2][1].re, 0.6);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.engine.calibrated);

    // A measurement can follow at once.
    EXPECT_TRUE(b.engine.Measure().Done());
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.engine.result.frequencies, b.engine.frequencies);

    // A block length beyond the 50000-byte block (a damaged file) is never handed on.
    Bench damaged;
    damaged.engine.calStateSize = 60000;
    damaged.engine.AfterLoad("FAKE ANALYZER 1");
    EXPECT_EQ(damaged.driver.restoredSize, 50000);
}

TEST(SetupFile, CalibrationOfAnotherInstrumentIsDropped) {
    Bench b;
    b.driver.savedSize = 0;
    b.engine.AfterLoad("OTHER ANALYZER 2");
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "The calibration belongs to OTHER ANALYZER 2.");
    EXPECT_EQ(b.ui.messages[0].caption, "Opening Setup File");
    EXPECT_EQ(b.ui.messages[0].buttons, Buttons::Ok);
    EXPECT_FALSE(b.engine.calibrated);
    EXPECT_EQ(b.driver.calls, (Names{"SetFrequencyList", "GetStartFrequency", "GetStopFrequency",
                                     "GetNumberOfPoints", "EndSequence"}));
    EXPECT_EQ(b.driver.frequencyList, b.engine.frequencies);
    EXPECT_EQ(b.ui.wait, nullptr);

    // The name is compared exactly: a longer name that starts the same is another instrument.
    Bench prefix;
    prefix.engine.AfterLoad("FAKE ANALYZER");
    EXPECT_EQ(prefix.ui.MessageTexts(), (Names{"The calibration belongs to FAKE ANALYZER."}));
    Bench lower;
    lower.engine.AfterLoad("fake analyzer 1");
    EXPECT_FALSE(lower.engine.calibrated);

    // Without an instrument a calibration always belongs to another one.
    Bench none(false);
    none.engine.AfterLoad("FAKE ANALYZER 1");
    EXPECT_EQ(none.ui.MessageTexts(), (Names{"The calibration belongs to FAKE ANALYZER 1."}));
    EXPECT_FALSE(none.engine.calibrated);
}

TEST(SetupFile, WithoutACalibrationTheSweepIsSentAndVerified) {
    Bench b;
    b.engine.calibrated = false;
    b.engine.sweep.numPoints = 7;
    b.engine.AfterLoad("SOMETHING ELSE");
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.driver.calls, (Names{"SetFrequencyList", "GetStartFrequency", "GetStopFrequency",
                                     "GetNumberOfPoints"}));
    EXPECT_EQ(b.driver.frequencyList.size(), 7u);

    // The instrument changes the sweep: the usual message.
    Bench changed;
    changed.engine.calibrated = false;
    changed.driver.reportPoints = 9;
    changed.engine.AfterLoad("");
    EXPECT_EQ(changed.ui.MessageTexts(), (Names{"The setup has been changed by the instrument."}));
    EXPECT_EQ(changed.engine.sweep.numPoints, 9);

    Bench none(false);
    none.engine.calibrated = false;
    none.engine.AfterLoad("");
    EXPECT_TRUE(none.ui.messages.empty());
    EXPECT_EQ(none.engine.frequencies.size(), 5u);
}

TEST(SetupFile, StoredNameIsACTextOfAtMost200Characters) {
    const std::string name200(200, 'Q');

    // 200 characters without terminator, followed by whatever the caller passed on.
    Bench full;
    full.driver.name = name200;
    full.engine.SetDriver(&full.driver);
    full.driver.calls.clear();
    full.engine.AfterLoad(name200 + "TRAILING BYTES");
    EXPECT_TRUE(full.ui.messages.empty());
    EXPECT_EQ(full.driver.Count("RestoreCalibrationState"), 1);

    // The instrument's name differs in its last character: the message names all 200.
    Bench other;
    other.driver.name = std::string(199, 'Q') + "R";
    other.engine.SetDriver(&other.driver);
    other.engine.AfterLoad(name200);
    EXPECT_EQ(other.ui.MessageTexts(), (Names{"The calibration belongs to " + name200 + "."}));

    // The stored name ends at its terminator; the bytes after it carry no meaning.
    Bench terminated;
    terminated.engine.AfterLoad(std::string("FAKE ANALYZER 1\0junk junk", 25));
    EXPECT_TRUE(terminated.ui.messages.empty());
    EXPECT_TRUE(terminated.engine.calibrated);

    Bench padded;
    padded.engine.AfterLoad(std::string("OTHER") + std::string(195, '\0'));
    EXPECT_EQ(padded.ui.MessageTexts(), (Names{"The calibration belongs to OTHER."}));
}

// Every way a measurement ends, as the operation reports it.
TEST(MeasureOutcome, SaysWhatHappenedAndWhy) {
    using Kind = Outcome::Kind;
    Bench refused;
    refused.engine.calibrated = false;
    for (const Outcome& o : {refused.engine.Measure(), refused.engine.MeasureOnTrigger()}) {
        EXPECT_EQ(o.kind, Kind::Refused);
        EXPECT_EQ(o.why, "A calibration must be performed before a measurement can be made.");
    }

    Bench done;
    done.Sample({20.0, -5.0});
    const Outcome measured = done.engine.Measure();
    EXPECT_EQ(measured.kind, Kind::Done);
    EXPECT_TRUE(measured.why.empty());
    EXPECT_EQ(done.engine.MeasureOnTrigger().kind, Kind::Done);

    Bench aborted;
    aborted.ui.promptActions = {PromptAction::Abort};
    EXPECT_EQ(aborted.engine.Measure().kind, Kind::Aborted);
    aborted.driver.triggerPolls = std::deque<int>(50, 1);
    aborted.ui.cancelWaitAfterPumps = true;
    const Outcome cancelled = aborted.engine.MeasureOnTrigger();
    EXPECT_EQ(cancelled.kind, Kind::Aborted);
    EXPECT_EQ(cancelled.why, "The wait for the external trigger was cancelled.");

    Bench failed;
    failed.driver.results["MeasureTrace"] = 1;
    failed.driver.errorText = "Timeout: no answer within 10 s.";
    const Outcome timeout = failed.engine.Measure();
    EXPECT_EQ(timeout.kind, Kind::Failed);
    EXPECT_EQ(timeout.why, "Timeout: no answer within 10 s.");
    failed.driver.triggerPolls = {1, 2};  // the analyzer reports a failure while waiting
    EXPECT_EQ(failed.engine.MeasureOnTrigger().kind, Kind::Failed);

    // An analyzer without a trigger refuses it; an engine without an analyzer cannot wait.
    Bench noTrigger;
    noTrigger.driver.armTriggerResult = 3;
    const Outcome unsupported = noTrigger.engine.MeasureOnTrigger();
    EXPECT_EQ(unsupported.kind, Kind::Refused);
    EXPECT_EQ(unsupported.why, "The selected instrument does not support this function.");
    Bench none(false);
    EXPECT_EQ(none.engine.WaitForTrigger().kind, Kind::Refused);
}
