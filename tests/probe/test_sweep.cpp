// The engine's defaults, frequency list, instrument limits, sweep set-up and read-back, and the
// "Set Frequency" command.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "probe/CProbeEngine.h"
#include "probe/FrequencyList.h"
#include "probe/Units.h"
#include "support/FakeDriver.h"
#include "support/ScriptedEngineUi.h"

using namespace kv;
using kv::test::FakeDriver;
using kv::test::ScriptedEngineUi;

namespace {

// The operator and the analyzer outlive the engine that points to them.
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
};

std::vector<std::string> Calls(std::initializer_list<const char*> names) {
    return {names.begin(), names.end()};
}

// The "Set Frequency" command as the document runs it: the dialog, then the page taken and sent.
std::optional<SweepVerification> EditFrequency(CProbeEngine& engine) {
    const auto page = engine.EditFrequency();
    if (!page) {
        return std::nullopt;
    }
    engine.TakeSweep(*page);
    return engine.SendSweep();
}

// A filled-in page as the document applies it: checked, then taken and sent.
Outcome SetSweep(CProbeEngine& engine, const FrequencyPage& page, SweepVerification& verification) {
    Outcome outcome = engine.CheckSweep(page);
    if (outcome.Done()) {
        engine.TakeSweep(page);
        verification = engine.SendSweep();
    }
    return outcome;
}

}  // namespace

TEST(EngineDefaults, ConstructorSettingsAndLimits) {
    CProbeEngine e;
    EXPECT_EQ(e.sweep.startValue, 200.0);
    EXPECT_EQ(e.sweep.startUnit, "MHz");
    EXPECT_EQ(e.sweep.stopValue, 20.0);
    EXPECT_EQ(e.sweep.stopUnit, "GHz");
    EXPECT_EQ(e.sweep.numPoints, 51);
    EXPECT_EQ(e.sweep.sweepType, SweepKind::Linear);
    EXPECT_TRUE(e.setChartScale);
    EXPECT_FALSE(e.calibrated);
    EXPECT_EQ(e.instrumentName, "");
    EXPECT_EQ(e.calSettings.calibrationType, CalibrationType::AirShortWater);
    EXPECT_EQ(e.calSettings.refreshStandard, 0);
    EXPECT_EQ(e.calSettings.probeType, 1);
    EXPECT_EQ(e.calSettings.waterTemperature, 25.0);
    EXPECT_FALSE(e.calSettings.physicalCorrection);
    EXPECT_EQ(e.calSettings.stdLabel[0], "Air");
    EXPECT_EQ(e.calSettings.stdLabel[1], "Short");
    EXPECT_EQ(e.calSettings.stdLabel[2], "Water");
    EXPECT_EQ(e.calSettings.stdEo[1], 1e10);
    EXPECT_EQ(e.calSettings.stdTau[2], 9.3e-12);
    // Limits before an instrument is asked.
    EXPECT_EQ(e.minFrequency, 2e8);
    EXPECT_EQ(e.maxFrequency, 2e10);
    EXPECT_EQ(e.minPoints, 3);
    EXPECT_EQ(e.maxPoints, 1601);
    // The coefficients of the default probe "KV47310B/C" are loaded.
    EXPECT_EQ(e.model.apertureScale, 3.83253203443e-12);
    EXPECT_EQ(e.model.apertureCoefficients[0], 1.08724393913);
    EXPECT_EQ(e.model.frequencyScale, 1.0);
    EXPECT_EQ(e.model.coefficientScale, 1.0);
    EXPECT_TRUE(e.frequencies.empty());
    EXPECT_TRUE(e.errorTracking.empty());
}

TEST(EngineDefaults, AttachingADriverReadsItsName) {
    ScriptedEngineUi ui;
    FakeDriver driver;
    CProbeEngine e;
    e.instrumentName = "OLD";
    e.SetDriver(&driver);
    EXPECT_EQ(driver.calls, Calls({"Initialize", "GetInstrumentName"}));
    EXPECT_EQ(e.instrumentName, "FAKE ANALYZER 1");
    e.SetDriver(nullptr);
    EXPECT_EQ(e.instrumentName, "");
    EXPECT_EQ(e.Driver(), nullptr);

    // The name record holds 200 characters: a longer answer is cut there.
    driver.name = std::string(205, 'N');
    e.SetDriver(&driver);
    EXPECT_EQ(e.instrumentName, std::string(200, 'N'));
}

TEST(FrequencyList, LinearSweep) {
    CProbeEngine e;
    e.sweep.startValue = 1;
    e.sweep.startUnit = "GHz";
    e.sweep.stopValue = 2;
    e.sweep.stopUnit = "GHz";
    e.sweep.numPoints = 3;
    e.BuildFrequencyList();
    EXPECT_EQ(e.frequencies, (std::vector<double>{1e9, 1.5e9, 2e9}));

    e.sweep.numPoints = 1;
    e.BuildFrequencyList();
    EXPECT_EQ(e.frequencies, (std::vector<double>{1e9}));

    e.sweep.numPoints = 0;
    e.BuildFrequencyList();
    EXPECT_TRUE(e.frequencies.empty());
    e.sweep.numPoints = -4;
    e.BuildFrequencyList();
    EXPECT_TRUE(e.frequencies.empty());

    // Any other sweep kind gives no list at all (and replaces the old one).
    e.sweep.numPoints = 3;
    e.BuildFrequencyList();
    e.sweep.sweepType = static_cast<SweepKind>(2);
    e.BuildFrequencyList();
    EXPECT_TRUE(e.frequencies.empty());

    // A unit text that is not one of the three scaled units counts as hertz.
    e.sweep.sweepType = SweepKind::Linear;
    e.sweep.startValue = 300;
    e.sweep.startUnit = "kHz";
    e.sweep.stopValue = 500;
    e.sweep.stopUnit = "Hz";
    e.BuildFrequencyList();
    EXPECT_EQ(e.frequencies, (std::vector<double>{300, 400, 500}));
}

TEST(FrequencyList, LogSweepTenSegments) {
    CProbeEngine e;
    e.sweep.sweepType = SweepKind::Logarithmic;
    e.sweep.numPoints = 51;
    e.BuildFrequencyList();
    ASSERT_EQ(e.frequencies.size(), 51u);
    for (int s = 0; s < 10; ++s) {
        // Segment s runs from 200 MHz * 10^(0.2 s) to 200 MHz * 10^(0.2 (s + 1)).
        const double lo = 2e8 * std::pow(10.0, 0.2 * s);
        const double hi = 2e8 * std::pow(10.0, 0.2 * (s + 1));
        for (int j = 0; j < 5; ++j) {
            const double expected = lo + j * (hi - lo) / 5;
            EXPECT_NEAR(e.frequencies[5 * s + j], expected, expected * 1e-12)
                << "segment " << s << " point " << j;
        }
    }
    EXPECT_EQ(e.frequencies.back(), 2e10);
    for (std::size_t i = 1; i < e.frequencies.size(); ++i) {
        EXPECT_LT(e.frequencies[i - 1], e.frequencies[i]);
    }

    // 10 k + 1 points, k = (n - 1) / 10.
    e.sweep.numPoints = 55;
    e.BuildFrequencyList();
    EXPECT_EQ(e.frequencies.size(), 51u);
    e.sweep.numPoints = 11;
    e.BuildFrequencyList();
    ASSERT_EQ(e.frequencies.size(), 11u);
    EXPECT_NEAR(e.frequencies[1], 2e8 * std::pow(10.0, 0.2), 1e-3);

    // Below 11 points only the stop frequency remains.
    for (int n : {5, 10, 1, 0}) {
        e.sweep.numPoints = n;
        e.BuildFrequencyList();
        EXPECT_EQ(e.frequencies, (std::vector<double>{2e10})) << n << " points";
    }
}

TEST(FrequencyList, StartAndStopInHertz) {
    CProbeEngine e;
    EXPECT_EQ(e.StartHz(), 2e8);
    EXPECT_EQ(e.StopHz(), 2e10);
    e.SetStart(1.5e10);
    EXPECT_DOUBLE_EQ(e.sweep.startValue, 15.0);
    EXPECT_EQ(e.sweep.startUnit, "GHz");
    e.SetStart(4.5e7);
    EXPECT_DOUBLE_EQ(e.sweep.startValue, 45.0);
    EXPECT_EQ(e.sweep.startUnit, "MHz");
    e.SetStop(300.0);
    EXPECT_EQ(e.sweep.stopValue, 300.0);
    EXPECT_EQ(e.sweep.stopUnit, "Hz");
    e.SetStop(3e5);
    EXPECT_DOUBLE_EQ(e.sweep.stopValue, 300.0);
    EXPECT_EQ(e.sweep.stopUnit, "KHz");
    EXPECT_DOUBLE_EQ(e.StopHz(), 3e5);
}

// A sweep made from hertz is the one the engine keeps after SetStart and SetStop, values scaled
// into their units, so a list made from it is the engine's to the last bit.
TEST(FrequencyList, SweepBetweenIsTheEnginesSweep) {
    const Sweep s = SweepBetween(4.5e7, 2.0000025e9, 21, SweepKind::Logarithmic);
    EXPECT_EQ(s.startUnit, "MHz");
    EXPECT_EQ(s.stopUnit, "GHz");
    CProbeEngine e;
    e.SetStart(4.5e7);
    e.SetStop(2.0000025e9);
    e.SetNumPoints(21);
    e.SetSweepType(SweepKind::Logarithmic);
    e.BuildFrequencyList();
    EXPECT_EQ(s, e.sweep);
    EXPECT_EQ(FrequencyList(s), e.frequencies);
}

TEST(InstrumentLimits, ReadInOrderAndFittedToTheProbeBand) {
    Bench b;
    b.driver.minFrequency = 45e6;
    b.driver.maxFrequency = 50e9;
    b.driver.maxPoints = 801;
    b.engine.minPoints = 7;
    b.engine.ReadInstrumentLimits();
    EXPECT_EQ(b.driver.calls,
              Calls({"BeginLimitQuery", "GetMaxPoints", "GetMinFrequency", "GetMaxFrequency"}));
    EXPECT_EQ(b.engine.minPoints, 3);
    EXPECT_EQ(b.engine.maxPoints, 801);
    EXPECT_EQ(b.engine.minFrequency, 45e6);
    EXPECT_EQ(b.engine.maxFrequency, 50e9);

    b.engine.sweep.numPoints = 3;
    b.engine.FitSweepToInstrument();
    EXPECT_EQ(b.engine.sweep.startValue, 200.0);
    EXPECT_EQ(b.engine.sweep.startUnit, "MHz");
    EXPECT_EQ(b.engine.sweep.stopValue, 20.0);
    EXPECT_EQ(b.engine.sweep.stopUnit, "GHz");
    EXPECT_EQ(b.engine.frequencies, (std::vector<double>{2e8, 1.01e10, 2e10}));

    b.engine.minFrequency = 3e5;
    b.engine.maxFrequency = 3e9;
    b.engine.FitSweepToInstrument();
    EXPECT_EQ(b.engine.sweep.startValue, 200.0);
    EXPECT_EQ(b.engine.sweep.startUnit, "MHz");
    EXPECT_DOUBLE_EQ(b.engine.sweep.stopValue, 3.0);
    EXPECT_EQ(b.engine.sweep.stopUnit, "GHz");

    // Limits that bound no sweep are not taken: a highest frequency of 0 Hz, one point.
    b.driver.maxFrequency = 0.0;
    b.driver.maxPoints = 1;
    b.engine.ReadInstrumentLimits();
    EXPECT_EQ(b.engine.minFrequency, 3e5);
    EXPECT_EQ(b.engine.maxFrequency, 3e9);
    EXPECT_EQ(b.engine.maxPoints, 801);

    // Without a driver only the point minimum is set.
    CProbeEngine alone;
    alone.minPoints = 9;
    alone.ReadInstrumentLimits();
    EXPECT_EQ(alone.minPoints, 3);
    EXPECT_EQ(alone.maxPoints, 1601);
}

TEST(InstrumentLimits, PrepareInstrumentPresetsReadsAndFits) {
    Bench b;
    b.driver.minFrequency = 3e5;
    b.driver.maxFrequency = 3e9;
    const CProbeEngine::Preparation prepared = b.engine.PrepareInstrument();
    EXPECT_EQ(b.driver.calls, Calls({"Initialize", "Preset", "BeginLimitQuery", "GetMaxPoints",
                                     "GetMinFrequency", "GetMaxFrequency"}));
    EXPECT_EQ(b.ui.waitTexts,
              (std::vector<std::string>{"Setting up instrument.|FAKE ANALYZER 1",
                                        "Presetting the analyzer.|FAKE ANALYZER 1",
                                        "Reading the analyzer's limits.|FAKE ANALYZER 1"}));
    EXPECT_EQ(b.ui.wait, nullptr);  // closed again
    EXPECT_TRUE(prepared.preset);
    EXPECT_TRUE(prepared.fitted);
    EXPECT_EQ(Printf("%g %s,%g %s", b.engine.sweep.startValue, b.engine.sweep.startUnit.c_str(),
                     b.engine.sweep.stopValue, b.engine.sweep.stopUnit.c_str()),
              "200 MHz,3 GHz");
    EXPECT_EQ(b.engine.frequencies.size(), 51u);
    EXPECT_EQ(b.engine.frequencies.back(), 3e9);

    // An analyzer that fails to initialise is left alone.
    Bench failing;
    failing.driver.results["Initialize"] = 5;
    const CProbeEngine::Preparation alone = failing.engine.PrepareInstrument();
    EXPECT_EQ(failing.driver.calls, Calls({"Initialize"}));
    EXPECT_TRUE(alone.preset);
    EXPECT_FALSE(alone.fitted);

    // A wait window already up belongs to the caller and stays, showing the steps.
    Bench nested;
    nested.engine.ShowWait("Busy", "Caller");
    nested.engine.PrepareInstrument();
    ASSERT_NE(nested.ui.wait, nullptr);
    EXPECT_EQ(nested.ui.wait->Text(), "Reading the analyzer's limits.");
    nested.engine.HideWait();
    EXPECT_EQ(nested.ui.wait, nullptr);

    // Without a driver nothing happens at all.
    Bench none(false);
    EXPECT_FALSE(none.engine.PrepareInstrument().fitted);
    EXPECT_TRUE(none.ui.waitTexts.empty());
}

TEST(InstrumentSetup, SendsTheListAndKeepsTheWaitWindow) {
    Bench b;
    b.engine.sweep.sweepType = SweepKind::Logarithmic;
    b.engine.sweep.numPoints = 21;
    b.engine.SetupInstrument();
    EXPECT_EQ(b.driver.calls, Calls({"SetFrequencyList"}));
    EXPECT_EQ(b.driver.frequencyList, b.engine.frequencies);
    EXPECT_EQ(b.driver.frequencyList.size(), 21u);
    EXPECT_EQ(b.driver.sweepTypeSent, 1);
    ASSERT_NE(b.ui.wait, nullptr);
    EXPECT_EQ(b.ui.wait->Text(), "Setting up Instrument");
    EXPECT_EQ(b.ui.wait->Caption(), "FAKE ANALYZER 1");
    EXPECT_EQ(b.ui.waitCursorDepth, 0);
}

TEST(InstrumentSetup, ReadBackThatMatches) {
    Bench b;
    b.engine.SetupInstrument();
    b.driver.calls.clear();
    const SweepVerification matched = b.engine.VerifyInstrumentSetup(kSetupChangedMessage);
    EXPECT_TRUE(matched.accepted);
    EXPECT_FALSE(matched.adopted);
    EXPECT_EQ(b.driver.calls,
              Calls({"GetStartFrequency", "GetStopFrequency", "GetNumberOfPoints"}));
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.wait, nullptr);

    // Differences are truncated to whole hertz: 1.9 Hz still matches, 2 Hz does not.
    Bench near;
    near.driver.reportStartOffset = -1.9;
    near.engine.SetupInstrument();
    near.engine.calibrated = true;
    near.engine.VerifyInstrumentSetup(kSetupChangedMessage);
    EXPECT_TRUE(near.ui.messages.empty());
    EXPECT_TRUE(near.engine.calibrated);

    // Without a driver the engine finds its own values.
    Bench none(false);
    none.engine.VerifyInstrumentSetup(kSetupChangedMessage);
    EXPECT_TRUE(none.ui.messages.empty());
    EXPECT_EQ(none.engine.frequencies.size(), 51u);
}

TEST(InstrumentSetup, AdoptsThePointCountTheInstrumentChose) {
    Bench b;
    b.engine.sweep.numPoints = 200;
    b.engine.calibrated = true;
    b.engine.SetupInstrument();
    b.driver.reportPoints = 201;
    b.driver.calls.clear();
    const SweepVerification result = b.engine.VerifyInstrumentSetup(kSetupChangedMessage);

    EXPECT_EQ(b.engine.sweep.numPoints, 201);
    EXPECT_EQ(b.engine.frequencies.size(), 201u);
    EXPECT_EQ(b.driver.frequencyList.size(), 201u);
    EXPECT_EQ(b.engine.frequencies.front(), 2e8);
    EXPECT_EQ(b.engine.frequencies.back(), 2e10);
    EXPECT_EQ(b.driver.calls, Calls({"GetStartFrequency", "GetStopFrequency", "GetNumberOfPoints",
                                     "SetFrequencyList", "GetStartFrequency", "GetStopFrequency",
                                     "GetNumberOfPoints"}));
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "The setup has been changed by the instrument.");
    EXPECT_EQ(b.ui.messages[0].caption, "FAKE ANALYZER 1");
    EXPECT_EQ(b.ui.messages[0].buttons, Buttons::Ok);
    // The sweep the engine took is handed back for the document.
    EXPECT_TRUE(result.accepted);
    ASSERT_TRUE(result.adopted);
    EXPECT_EQ(result.adopted->StartHz(), 200000000.0);
    EXPECT_EQ(result.adopted->StopHz(), 20000000000.0);
    EXPECT_EQ(result.adopted->numPoints, 201);
    EXPECT_EQ(result.adopted->sweepType, SweepKind::Linear);
    EXPECT_EQ(*result.adopted, b.engine.sweep);
    // The error terms were made for the old sweep.
    EXPECT_FALSE(b.engine.calibrated);
    EXPECT_EQ(b.ui.wait, nullptr);
}

TEST(InstrumentSetup, GivesUpAfterFourAttempts) {
    Bench b;
    b.driver.reportStartOffset = 1000.0;  // the instrument always starts 1 kHz higher
    b.engine.SetupInstrument();
    b.driver.calls.clear();
    const SweepVerification result = b.engine.VerifyInstrumentSetup("Changed.");

    // Never accepted, and the sweep handed back is the last one taken.
    EXPECT_FALSE(result.accepted);
    ASSERT_TRUE(result.adopted);
    EXPECT_EQ(*result.adopted, b.engine.sweep);
    EXPECT_EQ(b.driver.Count("GetStartFrequency"), 4);
    EXPECT_EQ(b.driver.Count("SetFrequencyList"), 4);
    // Four adoptions of 1 kHz each.
    EXPECT_NEAR(b.engine.StartHz(), 2e8 + 4000.0, 1e-3);
    EXPECT_EQ(b.ui.MessageTexts(),
              (std::vector<std::string>{"Changed.",
                                        "Could not set the instrument to the desired settings."}));
    EXPECT_EQ(b.ui.messages[1].caption, "FAKE ANALYZER 1");
    EXPECT_EQ(b.ui.wait, nullptr);
}

// An analyzer whose sweep could not be set reports one that is no sweep (a stop of 0 Hz below the
// start), or cannot report its sweep at all: nothing of it is taken.
TEST(InstrumentSetup, AnUnusableOrUnreadSweepIsNeverTaken) {
    for (const bool unread : {false, true}) {
        Bench b;
        b.engine.calibrated = true;
        b.engine.SetupInstrument();
        const Sweep before = b.engine.sweep;
        if (unread) {
            b.driver.reportStartOffset = 1000.0;
            b.driver.results["GetStopFrequency"] = 1;
        } else {
            b.driver.reportStopHz = 0.0;
        }
        const SweepVerification result = b.engine.VerifyInstrumentSetup("Changed.");
        EXPECT_FALSE(result.accepted) << unread;
        EXPECT_FALSE(result.adopted) << unread;
        EXPECT_EQ(b.engine.sweep, before) << unread;
        EXPECT_TRUE(b.engine.calibrated) << unread;
        EXPECT_EQ(b.driver.Count("GetStartFrequency"), 1) << unread;
        EXPECT_EQ(
            b.ui.MessageTexts(),
            (std::vector<std::string>{"Could not set the instrument to the desired settings."}))
            << unread;
    }
}

TEST(ValidateFrequency, LimitsInOrderWithTheirTexts) {
    Bench b;  // limits 200 MHz .. 20 GHz, 3 .. 1601 points
    FrequencyPage page;
    EXPECT_FALSE(b.engine.ValidateFrequency(page));  // both limits themselves pass
    page.sweep.numPoints = 3;
    EXPECT_FALSE(b.engine.ValidateFrequency(page));
    page.sweep.numPoints = 1601;
    EXPECT_FALSE(b.engine.ValidateFrequency(page));
    EXPECT_TRUE(b.ui.messages.empty());

    struct Case {
        double start;
        const char* startUnit;
        double stop;
        const char* stopUnit;
        int points;
        const char* text;
    };
    const Case cases[] = {
        {199.9, "MHz", 1, "GHz", 51, "The start frequency must be greater than 200. MHz"},
        {25, "GHz", 30, "GHz", 51, "The start frequency must be less than 20. GHz"},
        {200, "MHz", 100, "MHz", 51, "The stop frequency must be greater than 200. MHz"},
        {200, "MHz", 20.5, "GHz", 51, "The stop frequency must be less than 20. GHz"},
        {1, "GHz", 2, "GHz", 2, "The number of points must be greater than 3"},
        {1, "GHz", 2, "GHz", 1602, "The number of points must be less than 1601"},
        // Only the first failure is reported.
        {100, "MHz", 30, "GHz", 0, "The start frequency must be greater than 200. MHz"},
        // An unknown unit counts as hertz.
        {1.5e8, "Mhz", 1, "GHz", 51, "The start frequency must be greater than 200. MHz"},
    };
    for (const auto& c : cases) {
        b.ui.messages.clear();
        page.sweep.startValue = c.start;
        page.sweep.startUnit = c.startUnit;
        page.sweep.stopValue = c.stop;
        page.sweep.stopUnit = c.stopUnit;
        page.sweep.numPoints = c.points;
        EXPECT_TRUE(b.engine.ValidateFrequency(page)) << c.text;
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.text;
        EXPECT_EQ(b.ui.messages[0].text, c.text);
        EXPECT_EQ(b.ui.messages[0].caption, "Frequency out of range");
        EXPECT_EQ(b.ui.messages[0].buttons, Buttons::Ok);
    }

    // Limits read from an instrument are formatted the same way.
    b.engine.minFrequency = 3e5;
    b.engine.maxPoints = 801;
    b.ui.messages.clear();
    page = FrequencyPage();
    page.sweep.startValue = 100;
    page.sweep.startUnit = "KHz";
    EXPECT_TRUE(b.engine.ValidateFrequency(page));
    EXPECT_EQ(b.ui.MessageTexts(),
              (std::vector<std::string>{"The start frequency must be greater than 300. KHz"}));
    b.ui.messages.clear();
    page = FrequencyPage();
    page.sweep.numPoints = 802;
    EXPECT_TRUE(b.engine.ValidateFrequency(page));
    EXPECT_EQ(b.ui.MessageTexts(),
              (std::vector<std::string>{"The number of points must be less than 801"}));
}

TEST(EditFrequency, CancelChangesNothing) {
    Bench b;
    b.engine.calibrated = true;
    b.engine.sweep.numPoints = 101;
    b.ui.frequencyPageAnswers = {false};
    EXPECT_FALSE(EditFrequency(b.engine));
    EXPECT_TRUE(b.engine.calibrated);
    EXPECT_EQ(b.engine.sweep.numPoints, 101);
    ASSERT_EQ(b.ui.frequencyPagesShown.size(), 1u);
    EXPECT_EQ(b.ui.frequencyPagesShown[0].sweep.numPoints, 101);
    EXPECT_EQ(b.driver.calls, Calls({"QueryLogSweepSupport"}));
}

TEST(EditFrequency, AcceptedSweepIsStoredSentAndVerified) {
    Bench b;
    b.engine.calibrated = true;
    b.engine.setChartScale = false;
    b.ui.editFrequency = [](FrequencyPage& p) {
        p.sweep.startValue = 1;
        p.sweep.startUnit = "GHz";
        p.sweep.stopValue = 3;
        p.sweep.stopUnit = "GHz";
        p.sweep.numPoints = 5;
        p.sweep.sweepType = SweepKind::Linear;
        p.setChartScale = true;
    };
    EXPECT_TRUE(EditFrequency(b.engine));

    const FrequencyPage& shown = b.ui.frequencyPagesShown.at(0);
    EXPECT_EQ(shown.sweep.startValue, 200.0);
    EXPECT_EQ(shown.sweep.startUnit, "MHz");
    EXPECT_EQ(shown.sweep.stopUnit, "GHz");
    EXPECT_EQ(shown.sweep.numPoints, 51);
    EXPECT_FALSE(shown.setChartScale);
    EXPECT_TRUE(shown.logSweepEnabled);

    EXPECT_FALSE(b.engine.calibrated);
    EXPECT_TRUE(b.engine.setChartScale);
    EXPECT_EQ(b.engine.sweep.startValue, 1.0);
    EXPECT_EQ(b.engine.sweep.startUnit, "GHz");
    EXPECT_EQ(b.engine.sweep.numPoints, 5);
    EXPECT_EQ(b.engine.frequencies, (std::vector<double>{1e9, 1.5e9, 2e9, 2.5e9, 3e9}));
    EXPECT_EQ(b.driver.frequencyList, b.engine.frequencies);
    EXPECT_EQ(b.driver.calls,
              Calls({"QueryLogSweepSupport", "SetFrequencyList", "GetStartFrequency",
                     "GetStopFrequency", "GetNumberOfPoints"}));
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.wait, nullptr);
    EXPECT_EQ(b.ui.waitCursorDepth, 0);

    b.ui.editFrequency = [](FrequencyPage& p) { p.setChartScale = false; };
    EXPECT_TRUE(EditFrequency(b.engine));
    EXPECT_FALSE(b.engine.setChartScale);
}

TEST(EditFrequency, RefusedPagesAreShownAgainAsLeft) {
    Bench b;
    int run = 0;
    b.ui.editFrequency = [&run](FrequencyPage& p) {
        ++run;
        if (run == 1) {
            p.sweep.startValue = 5;  // 5 GHz above a 1 GHz stop: the page refuses
            p.sweep.startUnit = "GHz";
            p.sweep.stopValue = 1;
        } else if (run == 2) {
            p.sweep.startValue = 500;  // now a valid span, but too few points
            p.sweep.startUnit = "MHz";
            p.sweep.stopValue = 800;
            p.sweep.stopUnit = "MHz";
            p.sweep.numPoints = 2;
        } else {
            p.sweep.numPoints = 4;
        }
    };
    EXPECT_TRUE(EditFrequency(b.engine));
    ASSERT_EQ(b.ui.frequencyPagesShown.size(), 3u);
    EXPECT_EQ(b.ui.frequencyPagesShown[1].sweep.startValue, 5.0);
    EXPECT_EQ(b.ui.frequencyPagesShown[1].sweep.stopValue, 1.0);
    EXPECT_EQ(b.ui.frequencyPagesShown[2].sweep.numPoints, 2);
    ASSERT_EQ(b.ui.messages.size(), 2u);
    EXPECT_EQ(b.ui.messages[0].text, "The start frequency must be less than the stop frequency.");
    EXPECT_EQ(b.ui.messages[0].caption, "Setup");
    EXPECT_EQ(b.ui.messages[1].text, "The number of points must be greater than 3");
    EXPECT_EQ(b.ui.messages[1].caption, "Frequency out of range");
    EXPECT_EQ(b.engine.frequencies, (std::vector<double>{5e8, 6e8, 7e8, 8e8}));

    // Cancel after a refusal still changes nothing.
    Bench c;
    c.engine.calibrated = true;
    c.ui.editFrequency = [](FrequencyPage& p) { p.sweep.numPoints = 2000; };
    c.ui.frequencyPageAnswers = {true, false};
    EXPECT_FALSE(EditFrequency(c.engine));
    EXPECT_EQ(c.ui.MessageTexts(),
              (std::vector<std::string>{"The number of points must be less than 1601"}));
    EXPECT_EQ(c.engine.sweep.numPoints, 51);
    EXPECT_TRUE(c.engine.calibrated);
    EXPECT_EQ(c.driver.calls, Calls({"QueryLogSweepSupport"}));
}

TEST(EditFrequency, LogSweepOnlyWhereOffered) {
    Bench b;
    b.engine.sweep.sweepType = SweepKind::Logarithmic;
    b.driver.logSweepSupport = 1;
    b.ui.frequencyPageAnswers = {false};
    EditFrequency(b.engine);
    ASSERT_EQ(b.ui.frequencyPagesShown.size(), 1u);
    EXPECT_EQ(b.driver.Count("QueryLogSweepSupport"), 1);
    EXPECT_EQ(b.ui.frequencyPagesShown[0].sweep.sweepType, SweepKind::Linear);
    EXPECT_FALSE(b.ui.frequencyPagesShown[0].logSweepEnabled);

    b.driver.logSweepSupport = 0;
    b.ui.frequencyPageAnswers = {false};
    EditFrequency(b.engine);
    EXPECT_EQ(b.ui.frequencyPagesShown[1].sweep.sweepType, SweepKind::Logarithmic);
    EXPECT_TRUE(b.ui.frequencyPagesShown[1].logSweepEnabled);
}

TEST(EditFrequency, WithoutAnInstrumentTheSweepIsStillStored) {
    Bench b(false);
    b.ui.editFrequency = [](FrequencyPage& p) {
        p.sweep.sweepType = SweepKind::Logarithmic;
        p.sweep.numPoints = 31;
    };
    EXPECT_TRUE(EditFrequency(b.engine));
    EXPECT_EQ(b.engine.sweep.sweepType, SweepKind::Logarithmic);
    EXPECT_EQ(b.engine.frequencies.size(), 31u);
    EXPECT_TRUE(b.ui.messages.empty());
}

// The page's rows become the list and are offered again; a list no rows show (a data file's) is
// kept when the page is left without rows; another kind drops the list.
TEST(EditFrequency, ListRowsSetKeptAndDropped) {
    Bench b(false);
    const std::vector<FrequencySegment> rows{{200e6, 1e9, 81, false}, {1e9, 20e9, 200, true}};
    b.ui.editFrequency = [&rows](FrequencyPage& p) {
        p.sweep.sweepType = SweepKind::List;
        p.segments = rows;
    };
    EXPECT_TRUE(EditFrequency(b.engine));
    ASSERT_EQ(b.engine.sweep.list.size(), 280u);  // 81 + 200 - 1
    EXPECT_EQ(b.engine.sweep.list[1], 210e6);     // 800 MHz / 80
    EXPECT_EQ(b.engine.sweep.list[80], 1e9);
    EXPECT_EQ(b.engine.frequencies, b.engine.sweep.list);

    b.ui.editFrequency = nullptr;
    b.ui.frequencyPageAnswers = {false};
    EXPECT_FALSE(EditFrequency(b.engine));
    EXPECT_EQ(b.ui.frequencyPagesShown.back().segments, rows);

    std::vector<double> file;  // 200 MHz + k^2 100 kHz: 102 runs, more than the page shows
    for (int k = 0; k <= 202; ++k) {
        file.push_back(200e6 + k * k * 1e5);
    }
    b.engine.sweep = ListSweep(file);
    EXPECT_TRUE(EditFrequency(b.engine));
    EXPECT_TRUE(b.ui.frequencyPagesShown.back().segments.empty());
    EXPECT_EQ(b.engine.sweep.list, file);
    EXPECT_TRUE(b.ui.messages.empty());

    b.ui.editFrequency = [](FrequencyPage& p) { p.sweep.sweepType = SweepKind::Linear; };
    EXPECT_TRUE(EditFrequency(b.engine));
    EXPECT_EQ(b.engine.sweep.sweepType, SweepKind::Linear);
    EXPECT_TRUE(b.engine.sweep.list.empty());
    EXPECT_EQ(b.engine.frequencies.size(), 203u);
}

// A filled-in page without the dialog: refused by the page's own check or by the limits with the
// message shown and nothing changed, applied as the command applies it otherwise.
TEST(SetSweep, RefusesOrAppliesAPageWithoutTheDialog) {
    Bench b;
    b.engine.calibrated = true;
    FrequencyPage page = b.engine.CurrentSweepPage();
    b.driver.calls.clear();
    page.sweep.startValue = 5;
    page.sweep.startUnit = "GHz";
    page.sweep.stopValue = 1;
    page.sweep.stopUnit = "GHz";
    SweepVerification verification;
    Outcome o = SetSweep(b.engine, page, verification);
    EXPECT_EQ(o.kind, Outcome::Kind::Refused);
    EXPECT_EQ(o.why, "The start frequency must be less than the stop frequency.");
    page.sweep.startValue = 500;
    page.sweep.startUnit = "MHz";
    page.sweep.numPoints = 2000;
    o = SetSweep(b.engine, page, verification);
    EXPECT_EQ(o.kind, Outcome::Kind::Refused);
    EXPECT_EQ(o.why, "The number of points must be less than 1601");
    EXPECT_EQ(b.ui.MessageTexts(),
              (std::vector<std::string>{"The start frequency must be less than the stop frequency.",
                                        "The number of points must be less than 1601"}));
    EXPECT_TRUE(b.engine.calibrated);
    EXPECT_EQ(b.engine.sweep.numPoints, 51);
    EXPECT_TRUE(b.driver.calls.empty());
    EXPECT_TRUE(b.ui.frequencyPagesShown.empty());

    page.sweep.numPoints = 4;
    page.sweep.stopValue = 800;
    page.sweep.stopUnit = "MHz";
    o = SetSweep(b.engine, page, verification);
    EXPECT_TRUE(o.Done());
    EXPECT_TRUE(verification.accepted);
    EXPECT_FALSE(verification.adopted);
    EXPECT_FALSE(b.engine.calibrated);
    EXPECT_EQ(b.engine.frequencies, (std::vector<double>{5e8, 6e8, 7e8, 8e8}));
    EXPECT_EQ(b.driver.frequencyList, b.engine.frequencies);
}

// A data file's frequency list becomes the sweep: spaced the preferred way when that gives the
// file's list, else the other way; sent to the analyzer uncalibrated and verified.
TEST(AdoptSweepOf, TakesTheSpacingThatGivesTheFilesList) {
    struct Case {
        SweepKind fileKind;
        SweepKind preferred;
        SweepKind taken;
    };
    constexpr SweepKind linear = SweepKind::Linear;
    constexpr SweepKind logarithmic = SweepKind::Logarithmic;
    for (const Case c :
         {Case{linear, linear, linear}, Case{linear, logarithmic, linear},
          Case{logarithmic, linear, logarithmic}, Case{logarithmic, logarithmic, logarithmic}}) {
        SCOPED_TRACE(SweepTypeCode(c.fileKind) * 10 + SweepTypeCode(c.preferred));
        Bench b;
        b.engine.calibrated = true;
        // 21 points from 300 MHz to 3 GHz: the log list's second point lies halfway between
        // 300 MHz and 300 MHz x 10^0.1 (338.84 MHz), the linear list's at 435 MHz.
        const std::vector<double> file = FrequencyList(SweepBetween(3e8, 3e9, 21, c.fileKind));
        b.driver.reportStartHz = 3e8;
        b.driver.reportStopHz = 3e9;
        b.driver.reportPoints = 21;
        const auto v = b.engine.AdoptSweepOf(file, c.preferred);
        ASSERT_TRUE(v);
        EXPECT_TRUE(v->accepted);
        EXPECT_FALSE(v->adopted);
        EXPECT_EQ(b.engine.sweep.sweepType, c.taken);
        EXPECT_EQ(b.engine.frequencies, file);
        EXPECT_NEAR(file[1], c.fileKind == linear ? 4.35e8 : 338838811.8, 1.0);
        EXPECT_EQ(Printf("%g %s,%g %s,%d", b.engine.sweep.startValue,
                         b.engine.sweep.startUnit.c_str(), b.engine.sweep.stopValue,
                         b.engine.sweep.stopUnit.c_str(), b.engine.sweep.numPoints),
                  "300 MHz,3 GHz,21");
        EXPECT_FALSE(b.engine.calibrated);
        EXPECT_EQ(b.driver.frequencyList, file);
        EXPECT_EQ(b.driver.sweepTypeSent, SweepTypeCode(c.taken));
    }
}

// A file's list that is neither the linear nor the logarithmic sweep between its ends is taken as
// a list; an analyzer that sweeps no lists refuses it, and nothing changes.
TEST(AdoptSweepOf, AnyOtherListIsTakenAsAListWhereTheAnalyzerSweepsOne) {
    // 21 points from 200 MHz to 20 GHz in equal ratios of 10^0.1 (the program's logarithmic
    // sweep spaces the points of each tenth linearly).
    std::vector<double> file;
    for (int i = 0; i <= 20; ++i) {
        file.push_back(2e8 * std::pow(10.0, 0.1 * i));
    }
    Bench alone(false);
    const auto taken = alone.engine.AdoptSweepOf(file, SweepKind::Linear);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->accepted);
    EXPECT_EQ(alone.engine.sweep.sweepType, SweepKind::List);
    EXPECT_EQ(alone.engine.frequencies, file);
    EXPECT_EQ(alone.engine.sweep.numPoints, 21);
    EXPECT_EQ(
        Printf("%g %s,%g %s", alone.engine.sweep.startValue, alone.engine.sweep.startUnit.c_str(),
               alone.engine.sweep.stopValue, alone.engine.sweep.stopUnit.c_str()),
        "200 MHz,20 GHz");

    Bench b;
    b.engine.calibrated = true;
    const Sweep before = b.engine.sweep;
    EXPECT_FALSE(b.engine.AdoptSweepOf(file, SweepKind::Linear));
    EXPECT_EQ(b.ui.MessageTexts(),
              (std::vector<std::string>{"The selected instrument sweeps linear and logarithmic "
                                        "sweeps only, not a list of frequencies."}));
    EXPECT_EQ(b.engine.sweep, before);
    EXPECT_TRUE(b.engine.calibrated);
    EXPECT_TRUE(b.driver.calls.empty());
}
