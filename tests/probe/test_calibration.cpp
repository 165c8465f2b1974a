// Calibration standards, prompt texts, the error-term solution (against closed forms computed
// here with std::complex), the shorting-block check, the calibration and refresh commands.

#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
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

using Cx = std::complex<double>;
using Names = std::vector<std::string>;
using enum CalibrationType;

Cx ToStd(CComplex z) {
    return {z.re, z.im};
}
CComplex FromStd(Cx z) {
    return {z.real(), z.imag()};
}

void ExpectNear(CComplex actual, Cx expected, double tolerance, const std::string& what) {
    EXPECT_NEAR(actual.re, expected.real(), tolerance) << what;
    EXPECT_NEAR(actual.im, expected.imag(), tolerance) << what;
}

// The raw reading M = e00 + e01e10 G / (1 - e11 G) of a one-port with known error terms.
struct ErrorTerms {
    Cx e00;
    Cx e11;
    Cx e01e10;
    Cx Raw(Cx g) const { return e00 + e01e10 * g / (1.0 - e11 * g); }
};

// Terms that change with frequency, so that every point is checked on its own.
ErrorTerms TermsAt(double f) {
    const double x = f / 1e10;
    return {{0.02, 0.01 * x}, {0.05 - 0.01 * x, -0.02}, {0.9 - 0.05 * x, 0.1 + 0.2 * x}};
}

struct Bench {
    ScriptedEngineUi ui;
    FakeDriver driver;
    CProbeEngine engine;

    Bench() {
        engine.SetUi(&ui);
        engine.SetDriver(&driver);
        engine.sweep.numPoints = 5;
        engine.SetupInstrument();
        engine.HideWait();
        driver.calls.clear();
        ui.waitTexts.clear();
    }
    // Standard k (1..3, by measurement call) as the analyzer reads it through TermsAt.
    void SynthesizeStandards() {
        driver.reflection = [this](double f, int call) {
            const int k = call < 3 ? call + 1 : 3;
            return FromStd(TermsAt(f).Raw(ToStd(engine.StandardReflection(k, f))));
        };
    }
    // The driver's calls with each run of polls shown once.
    Names CallsOnePollEach() const {
        Names out;
        for (const auto& c : driver.calls) {
            if (c == "PollOperatorResponse" && !out.empty() && out.back() == c) {
                continue;
            }
            out.push_back(c);
        }
        return out;
    }
};

const Names kPromptCalls{"ShowTitle",   "ShowMessage",          "ArmOperatorResponse",
                         "EndSequence", "PollOperatorResponse", "AcknowledgeContinue"};

Names Join(std::initializer_list<Names> parts) {
    Names out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// The capacitive limit of an aperture in air: y = j Cp c0 f, so Gamma = (1 - jB) / (1 + jB).
Cx AirAtLowFrequency(double f) {
    const double b = 3.83253203443e-12 * 1.08724393913 * f;
    return (1.0 - Cx(0, b)) / (1.0 + Cx(0, b));
}

}  // namespace

TEST(CalibrationTexts, PromptsAndTitlesByType) {
    CProbeEngine e;
    e.calSettings.calibrationType = CalibrationType::LoadAirShort;
    EXPECT_EQ(e.StandardPrompt(1), "Remove the probe and connect a load to the end of the cable.");
    EXPECT_EQ(e.StandardPrompt(2), "Reconnect the probe and leave the probe open in air.");
    EXPECT_EQ(e.StandardPrompt(3), "Connect the shorting block to the probe.");
    EXPECT_EQ(e.StandardTitle(1), "Measuring the load.");
    EXPECT_EQ(e.StandardTitle(2), "Measuring air.");
    EXPECT_EQ(e.StandardTitle(3), "Measuring the shorting block.");

    e.calSettings.calibrationType = CalibrationType::AirShortWater;
    EXPECT_EQ(e.StandardPrompt(1), "Leave the probe open in air.");
    EXPECT_EQ(e.StandardPrompt(2), "Connect the shorting block to the probe.");
    EXPECT_EQ(e.StandardPrompt(3), "Insert the probe into  25.00 C water.");
    EXPECT_EQ(e.StandardTitle(1), "Measuring air.");
    EXPECT_EQ(e.StandardTitle(2), "Measuring the shorting block.");
    EXPECT_EQ(e.StandardTitle(3), "Measuring water.");
    e.calSettings.waterTemperature = 5.5;
    EXPECT_EQ(e.StandardPrompt(3), "Insert the probe into   5.50 C water.");
    e.calSettings.waterTemperature = 100.0;
    EXPECT_EQ(e.StandardPrompt(3), "Insert the probe into 100.00 C water.");
    e.calSettings.waterTemperature = -2.5;
    EXPECT_EQ(e.StandardPrompt(3), "Insert the probe into  -2.50 C water.");

    e.calSettings.calibrationType = CalibrationType::UserStandards;
    e.calSettings.stdLabel = {"Methanol", "", "Saline 0.1 M"};
    EXPECT_EQ(e.StandardPrompt(1), "Insert the probe into Methanol");
    EXPECT_EQ(e.StandardPrompt(2), "Insert the probe into ");
    EXPECT_EQ(e.StandardTitle(2), "Measuring ");
    EXPECT_EQ(e.StandardTitle(3), "Measuring Saline 0.1 M");

    e.calSettings.calibrationType = static_cast<CalibrationType>(3);
    EXPECT_EQ(e.StandardPrompt(1), "");
    EXPECT_EQ(e.StandardTitle(3), "");
    e.calSettings.calibrationType = CalibrationType::AirShortWater;
    EXPECT_EQ(e.StandardPrompt(0), "");
    EXPECT_EQ(e.StandardPrompt(4), "");

    const char* prompts[] = {"Leave the probe open in air.",
                             "Connect the shorting block to the probe.",
                             "Insert the probe in water.", ""};
    const char* titles[] = {"Measuring air.", "Measuring the shorting block.", "Measuring water.",
                            ""};
    for (int r = 0; r < 4; ++r) {
        e.calSettings.refreshStandard = r;
        EXPECT_EQ(e.RefreshStdPrompt(), prompts[r]);
        EXPECT_EQ(e.RefreshStdTitle(), titles[r]);
    }
}

TEST(CalibrationStandards, IdealReflectionsByType) {
    CProbeEngine e;
    const double f = 1e6;  // low enough for the capacitive limit of the aperture
    const Cx air = AirAtLowFrequency(f);

    e.calSettings.calibrationType = CalibrationType::LoadAirShort;
    for (double freq : {2e8, 5e9, 2e10}) {
        EXPECT_EQ(ToStd(e.StandardReflection(1, freq)), Cx(0, 0));
        EXPECT_EQ(ToStd(e.StandardReflection(3, freq)), Cx(-1, 0));
    }
    ExpectNear(e.StandardReflection(2, f), air, 1e-12, "type 0, air");
    // Air depends on frequency through the probe model.
    EXPECT_NE(ToStd(e.StandardReflection(2, 2e8)), ToStd(e.StandardReflection(2, 2e10)));

    e.calSettings.calibrationType = CalibrationType::AirShortWater;
    ExpectNear(e.StandardReflection(1, f), air, 1e-12, "type 1, air");
    EXPECT_EQ(ToStd(e.StandardReflection(2, 3e9)), Cx(-1, 0));

    // At 20 C the water standard is exactly the default third user standard.
    e.calSettings.waterTemperature = 20.0;
    const CComplex water = e.StandardReflection(3, 3e9);
    e.calSettings.calibrationType = CalibrationType::UserStandards;
    const CComplex user3 = e.StandardReflection(3, 3e9);
    EXPECT_EQ(water.re, user3.re);
    EXPECT_EQ(water.im, user3.im);
    EXPECT_LT(CComplex::Abs(water), 1.0);

    // The default user standards: air, and a "short" of permittivity 1e10 close to -1.
    ExpectNear(e.StandardReflection(1, f), air, 1e-12, "user air");
    const CComplex shortish = e.StandardReflection(2, 1e9);
    EXPECT_NEAR(shortish.re, -1.0, 1e-3);
    EXPECT_NEAR(shortish.im, 0.0, 1e-3);

    e.calSettings.calibrationType = static_cast<CalibrationType>(7);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(ToStd(e.StandardReflection(k, 1e9)), Cx(0, 0));
    }
    e.calSettings.calibrationType = CalibrationType::AirShortWater;
    EXPECT_EQ(ToStd(e.StandardReflection(0, 1e9)), Cx(0, 0));
    EXPECT_EQ(ToStd(e.StandardReflection(4, 1e9)), Cx(0, 0));
}

TEST(CalibrationStandards, UserPermittivities) {
    CProbeEngine e;
    // Tau = 0: the static permittivity at every frequency.
    e.calSettings.stdEo[0] = 35.0;
    e.calSettings.stdEinf[0] = 5.0;
    e.calSettings.stdAlpha[0] = 0.1;
    e.calSettings.stdTau[0] = 0.0;
    for (double f : {1e8, 1e9, 2e10}) {
        ExpectNear(e.StandardPermittivity(1, f), Cx(35.0, 0.0), 1e-12, "tau 0");
    }
    // Alpha = 1: Einf + (Eo - Einf) / 2.
    e.calSettings.stdEo[1] = 50.0;
    e.calSettings.stdEinf[1] = 10.0;
    e.calSettings.stdAlpha[1] = 1.0;
    e.calSettings.stdTau[1] = 1e-11;
    ExpectNear(e.StandardPermittivity(2, 3e9), Cx(30.0, 0.0), 1e-12, "alpha 1");
    // A Debye relaxation at w tau = 1: Einf + (Eo - Einf) / (1 + j).
    e.calSettings.stdEo[2] = 80.0;
    e.calSettings.stdEinf[2] = 4.0;
    e.calSettings.stdAlpha[2] = 0.0;
    e.calSettings.stdTau[2] = 1e-11;
    const double f = 1.0 / (6.28318530717958 * 1e-11);
    ExpectNear(e.StandardPermittivity(3, f), Cx(42.0, -38.0), 1e-9, "Debye");
    EXPECT_EQ(ToStd(e.StandardPermittivity(0, f)), Cx(0, 0));
}

TEST(ErrorTerms, IdealStandardsGiveIdentityTerms) {
    CProbeEngine e;
    for (CalibrationType type : {LoadAirShort, AirShortWater, UserStandards}) {
        e.calSettings.calibrationType = type;
        for (double f : {2e8, 1e9, 7.5e9, 2e10}) {
            CComplex e00, e11, e01e10;
            e.SolveErrorTerms(f, e.StandardReflection(1, f), e.StandardReflection(2, f),
                              e.StandardReflection(3, f), e00, e11, e01e10);
            const std::string what =
                "type " + std::to_string(static_cast<int>(type)) + " f " + std::to_string(f);
            ExpectNear(e00, Cx(0, 0), 1e-12, what);
            ExpectNear(e11, Cx(0, 0), 1e-12, what);
            ExpectNear(e01e10, Cx(1, 0), 1e-12, what);
        }
    }
}

TEST(ErrorTerms, LoadAirShortAgainstTheClosedForm) {
    // With a load (0) and a short (-1): e00 = M1, and with a = M3 - M1, b = M2 - M1 and the air
    // reflection G: e11 = (b + a G) / (G (b - a)), e01e10 = -a (1 + e11).
    CProbeEngine e;
    e.calSettings.calibrationType = CalibrationType::LoadAirShort;
    const Cx readings[][3] = {
        {{0.03, -0.01}, {0.85, -0.35}, {-0.92, 0.12}},
        {{-0.1, 0.2}, {0.4, 0.7}, {-0.5, -0.6}},
        {{0.0, 0.0}, {0.99, -0.01}, {-0.98, 0.0}},
    };
    for (double f : {2e8, 4e9, 2e10}) {
        const Cx g = ToStd(e.StandardReflection(2, f));
        for (const auto& m : readings) {
            const Cx a = m[2] - m[0];
            const Cx b = m[1] - m[0];
            const Cx e11 = (b + a * g) / (g * (b - a));
            const Cx e01e10 = -a * (1.0 + e11);
            CComplex s00, s11, s0110;
            e.SolveErrorTerms(f, FromStd(m[0]), FromStd(m[1]), FromStd(m[2]), s00, s11, s0110);
            ExpectNear(s00, m[0], 1e-12, "e00");
            ExpectNear(s11, e11, 1e-11, "e11");
            ExpectNear(s0110, e01e10, 1e-11, "e01e10");
        }
    }
}

TEST(ErrorTerms, SyntheticReadingsGiveTheTermsBack) {
    CProbeEngine e;
    for (CalibrationType type : {LoadAirShort, AirShortWater, UserStandards}) {
        e.calSettings.calibrationType = type;
        if (type == UserStandards) {
            // Methanol-like, air and a water-like standard.
            e.calSettings.stdEo = {33.7, 1.0, 78.0};
            e.calSettings.stdEinf = {4.45, 1.0, 5.0};
            e.calSettings.stdAlpha = {0.05, 0.0, 0.0};
            e.calSettings.stdTau = {4.95e-11, 0.0, 8.3e-12};
        }
        for (double f : {2e8, 3e9, 2e10}) {
            const ErrorTerms t = TermsAt(f);
            CComplex e00, e11, e01e10;
            e.SolveErrorTerms(f, FromStd(t.Raw(ToStd(e.StandardReflection(1, f)))),
                              FromStd(t.Raw(ToStd(e.StandardReflection(2, f)))),
                              FromStd(t.Raw(ToStd(e.StandardReflection(3, f)))), e00, e11, e01e10);
            const std::string what =
                "type " + std::to_string(static_cast<int>(type)) + " f " + std::to_string(f);
            ExpectNear(e00, t.e00, 1e-9, what);
            ExpectNear(e11, t.e11, 1e-9, what);
            ExpectNear(e01e10, t.e01e10, 1e-9, what);
        }
    }
}

TEST(ErrorTerms, SingularSystemGivesZeroTerms) {
    CProbeEngine e;
    e.calSettings.calibrationType =
        static_cast<CalibrationType>(9);  // all three ideal reflections (0, 0): the rows are equal
    CComplex e00{5, 5}, e11{5, 5}, e01e10{5, 5};
    e.SolveErrorTerms(1e9, {0.1, 0}, {0.2, 0}, {0.3, 0}, e00, e11, e01e10);
    EXPECT_EQ(ToStd(e00), Cx(0, 0));
    EXPECT_EQ(ToStd(e11), Cx(0, 0));
    EXPECT_EQ(ToStd(e01e10), Cx(0, 0));
}

TEST(ErrorTerms, ComputeCalibrationCoversTheFrequencyList) {
    CProbeEngine e;
    e.calSettings.calibrationType = CalibrationType::AirShortWater;
    e.frequencies = {2e8, 1e9, 5e9};
    for (double f : e.frequencies) {
        e.stdMeasured1.push_back(FromStd(TermsAt(f).Raw(ToStd(e.StandardReflection(1, f)))));
        e.stdMeasured2.push_back(FromStd(TermsAt(f).Raw(ToStd(e.StandardReflection(2, f)))));
        e.stdMeasured3.push_back(FromStd(TermsAt(f).Raw(ToStd(e.StandardReflection(3, f)))));
    }
    e.errorTracking = {{9, 9}};
    e.ComputeCalibration();
    ASSERT_EQ(e.errorDirectivity.size(), 3u);
    ASSERT_EQ(e.errorSourceMatch.size(), 3u);
    ASSERT_EQ(e.errorTracking.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const ErrorTerms t = TermsAt(e.frequencies[i]);
        ExpectNear(e.errorDirectivity[i], t.e00, 1e-9, "e00");
        ExpectNear(e.errorSourceMatch[i], t.e11, 1e-9, "e11");
        ExpectNear(e.errorTracking[i], t.e01e10, 1e-9, "e01e10");
    }

    // Standards measured on a shorter sweep (a file written that way) are never read past their
    // end: the missing points read as zeros, a singular system with zero terms.
    e.frequencies.push_back(1e10);
    e.ComputeCalibration();
    ASSERT_EQ(e.errorTracking.size(), 4u);
    EXPECT_EQ(ToStd(e.errorTracking[3]), Cx(0, 0));
    ExpectNear(e.errorTracking[2], TermsAt(5e9).e01e10, 1e-9, "point 2 kept");

    e.frequencies.clear();
    e.ComputeCalibration();
    EXPECT_TRUE(e.errorDirectivity.empty());
}

TEST(ShortingBlock, OnlyTheFirstPointCounts) {
    CProbeEngine e;
    e.stdMeasured1 = {{0.8, -0.3}, {0.5, 0.5}};
    e.stdMeasured2 = {{-0.76, 0.285}, {7.0, 7.0}};  // -0.95 times air; the rest is ignored
    EXPECT_TRUE(e.ShortingBlockOk());
    e.stdMeasured2[0] = {-0.48, 0.18};  // -0.6 times air: |r + 1| = 0.4
    EXPECT_FALSE(e.ShortingBlockOk());
    e.stdMeasured2[0] = {-0.6, 0.225};  // -0.75 times: |r + 1| = 0.25
    EXPECT_TRUE(e.ShortingBlockOk());
    e.stdMeasured2[0] = {-0.52, 0.195};  // -0.65 times: |r + 1| = 0.35
    EXPECT_FALSE(e.ShortingBlockOk());
    // A zero air reading divides to the short reading itself.
    e.stdMeasured1[0] = {0, 0};
    e.stdMeasured2[0] = {-1.1, 0.1};
    EXPECT_TRUE(e.ShortingBlockOk());
    e.stdMeasured2[0] = {-0.5, 0};
    EXPECT_FALSE(e.ShortingBlockOk());
    // No point at all: nothing speaks against the block.
    e.stdMeasured1.clear();
    e.stdMeasured2.clear();
    EXPECT_TRUE(e.ShortingBlockOk());
    e.stdMeasured2 = {{-0.5, 0}};
    EXPECT_TRUE(e.ShortingBlockOk());
}

TEST(PerformCalibration, AirShortWaterSequenceAndTerms) {
    Bench b;
    b.SynthesizeStandards();
    b.driver.savedState[0] = 0x5A;
    b.driver.savedState[49999] = 0xA5;
    b.driver.savedSize = 4321;
    b.engine.PerformCalibration();

    EXPECT_EQ(
        b.CallsOnePollEach(),
        Join({{"BeginCalibration", "PrepareCalibration"},
              kPromptCalls,
              {"MeasureTrace", "PrepareShortStandard", "CheckShortStandard", "EndSequence"},
              kPromptCalls,
              {"MeasureTrace", "CheckShortStandard", "EndSequence"},
              kPromptCalls,
              {"MeasureTrace", "EndOperatorResponse", "ShowMessage", "ShowMessage",
               "DownloadCalibration", "ClearMessage", "SaveCalibrationState", "EndSequence"}}));
    EXPECT_EQ(b.ui.prompts,
              (Names{"Leave the probe open in air.", "Connect the shorting block to the probe.",
                     "Insert the probe into  25.00 C water."}));
    EXPECT_EQ(b.driver.titles,
              (Names{"Measuring air.", "Measuring the shorting block.", "Measuring water."}));
    EXPECT_EQ(b.driver.shownMessages,
              (Names{"Leave the probe open in air.", "Connect the shorting block to the probe.",
                     "Insert the probe into  25.00 C water.", "Computing Calibration...",
                     "Downloading Calibration..."}));
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.beeps, 3);
    EXPECT_EQ(b.ui.measure, nullptr);

    EXPECT_TRUE(b.engine.calibrated);
    ASSERT_EQ(b.engine.stdMeasured1.size(), 5u);
    ASSERT_EQ(b.engine.errorTracking.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const ErrorTerms t = TermsAt(b.engine.frequencies[i]);
        ExpectNear(b.engine.errorDirectivity[i], t.e00, 1e-9, "e00");
        ExpectNear(b.engine.errorSourceMatch[i], t.e11, 1e-9, "e11");
        ExpectNear(b.engine.errorTracking[i], t.e01e10, 1e-9, "e01e10");
    }
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(b.driver.downloaded[k].size(), 5u);
    }
    EXPECT_EQ(b.driver.downloaded[2][4].re, b.engine.errorTracking[4].re);
    EXPECT_EQ(b.driver.downloaded[0][1].im, b.engine.errorDirectivity[1].im);
    EXPECT_EQ(b.engine.calState[0], 0x5A);
    EXPECT_EQ(b.engine.calState[49999], 0xA5);
    EXPECT_EQ(b.engine.calStateSize, 4321);
}

TEST(PerformCalibration, ShortingBlockQuestionAndRepeat) {
    // First short reading -0.6 times air: the question; Yes measures again without a prompt.
    Bench b;
    b.driver.reflection = [](double, int call) {
        switch (call) {
            case 0:
                return CComplex(0.9, -0.1);
            case 1:
                return CComplex(-0.54, 0.06);
            case 2:
                return CComplex(-0.9, 0.1);
            default:
                return CComplex(0.3, 0.2);
        }
    };
    b.ui.answers = {Answer::Yes};
    b.engine.PerformCalibration();
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text,
              "The shorting block may not be properly connected.  Do you want to make the "
              "measurement again?");
    EXPECT_EQ(b.ui.messages[0].caption, "Calibration");
    EXPECT_EQ(b.ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(b.ui.prompts.size(), 3u);
    EXPECT_EQ(b.driver.Count("MeasureTrace"), 4);
    EXPECT_EQ(b.driver.Count("CheckShortStandard"), 3);
    EXPECT_EQ(ToStd(b.engine.stdMeasured2[0]), Cx(-0.9, 0.1));
    EXPECT_EQ(ToStd(b.engine.stdMeasured3[0]), Cx(0.3, 0.2));
    EXPECT_EQ(
        b.CallsOnePollEach(),
        Join({{"BeginCalibration", "PrepareCalibration"},
              kPromptCalls,
              {"MeasureTrace", "PrepareShortStandard", "CheckShortStandard", "EndSequence"},
              kPromptCalls,
              {"MeasureTrace", "CheckShortStandard", "EndSequence", "MeasureTrace",
               "CheckShortStandard", "EndSequence"},
              kPromptCalls,
              {"MeasureTrace", "EndOperatorResponse", "ShowMessage", "ShowMessage",
               "DownloadCalibration", "ClearMessage", "SaveCalibrationState", "EndSequence"}}));
    EXPECT_TRUE(b.engine.calibrated);

    // No: the doubtful reading is kept and the calibration goes on.
    Bench no;
    no.driver.reflection = [](double, int call) {
        return call == 1 ? CComplex(-0.54, 0.06) : CComplex(0.9, -0.1);
    };
    no.ui.answers = {Answer::No};
    no.engine.PerformCalibration();
    EXPECT_EQ(no.ui.messages.size(), 1u);
    EXPECT_EQ(no.driver.Count("MeasureTrace"), 3);
    EXPECT_EQ(ToStd(no.engine.stdMeasured2[0]), Cx(-0.54, 0.06));
    EXPECT_TRUE(no.engine.calibrated);

    // -0.95 times air passes without a question.
    Bench good;
    good.driver.reflection = [](double, int call) {
        return call == 1 ? CComplex(-0.855, 0.095) : CComplex(0.9, -0.1);
    };
    good.engine.PerformCalibration();
    EXPECT_TRUE(good.ui.messages.empty());
    EXPECT_EQ(good.driver.Count("MeasureTrace"), 3);
}

TEST(PerformCalibration, OtherTypesMakeNoShortCheck) {
    for (CalibrationType type : {LoadAirShort, UserStandards}) {
        Bench b;
        b.engine.calSettings.calibrationType = type;
        // A reading that would fail the shorting-block test.
        b.driver.reflection = [](double, int call) {
            return call == 1 ? CComplex(-0.54, 0.06) : CComplex(0.9, -0.1);
        };
        b.engine.PerformCalibration();
        EXPECT_EQ(b.driver.Count("PrepareShortStandard"), 0) << static_cast<int>(type);
        EXPECT_EQ(b.driver.Count("CheckShortStandard"), 0) << static_cast<int>(type);
        EXPECT_TRUE(b.ui.messages.empty()) << static_cast<int>(type);
        EXPECT_EQ(b.driver.Count("MeasureTrace"), 3) << static_cast<int>(type);
        EXPECT_TRUE(b.engine.calibrated) << static_cast<int>(type);
        EXPECT_EQ(b.ui.prompts.front(), b.engine.StandardPrompt(1));
    }
}

// Every field an abort must leave alone, as bytes.
std::vector<std::uint8_t> CalibrationBytes(const CProbeEngine& e) {
    std::vector<std::uint8_t> out;
    auto add = [&out](const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), p, p + size);
    };
    for (const auto* v :
         {&e.stdMeasured1, &e.stdMeasured2, &e.stdMeasured3, &e.refreshMeasured,
          &e.errorDirectivity, &e.errorSourceMatch, &e.errorTracking, &e.sampleMeasured}) {
        const std::size_t n = v->size();
        add(&n, sizeof n);
        add(v->data(), n * sizeof(CComplex));
    }
    add(e.calState.data(), e.calState.size());
    add(&e.calStateSize, sizeof e.calStateSize);
    const std::uint8_t calibrated = e.calibrated ? 1 : 0;
    add(&calibrated, 1);
    return out;
}

struct AbortCase {
    const char* name;
    CalibrationType type;
    int prompt;          // the prompt the operator aborts at, 1..3
    bool calibrated;     // a calibration was in force before the command
    bool shortRepeated;  // the shorting block was measured again before the abort
};

void PrintTo(const AbortCase& c, std::ostream* os) {
    *os << c.name;
}

class AbortedCalibration : public testing::TestWithParam<AbortCase> {};

TEST_P(AbortedCalibration, LeavesTheOldCalibrationInForce) {
    const AbortCase& c = GetParam();
    Bench b;
    b.engine.calSettings.calibrationType = c.type;
    b.SynthesizeStandards();
    b.driver.savedState[7] = 0x77;
    b.driver.savedSize = 99;
    b.engine.PerformCalibration();
    ASSERT_TRUE(b.engine.calibrated);
    b.engine.refreshMeasured = {{4, 4}};
    // Without a calibration in force, the terms of an earlier one are still there (as a setup
    // file made on another analyzer leaves them).
    b.engine.calibrated = c.calibrated;
    const std::vector<std::uint8_t> before = CalibrationBytes(b.engine);
    const std::vector<CComplex> oldTerms[3] = {b.engine.errorDirectivity, b.engine.errorSourceMatch,
                                               b.engine.errorTracking};

    // The new readings differ from the old ones, so that any of them left behind shows.
    b.driver.calls.clear();
    b.driver.measureCalls = 0;
    for (auto& terms : b.driver.downloaded) {
        terms.clear();
    }
    b.driver.reflection = [&c](double, int call) {
        if (c.shortRepeated && call == 1) {
            return CComplex(-0.54, 0.06);  // -0.6 times air: the question
        }
        return call == 0 ? CComplex(0.9, -0.1) : CComplex(-0.9, 0.1);
    };
    b.ui.answers = {Answer::Yes};
    b.ui.prompts.clear();
    b.ui.promptActions.assign(static_cast<std::size_t>(c.prompt - 1), PromptAction::Continue);
    b.ui.promptActions.push_back(PromptAction::Abort);
    b.engine.PerformCalibration();

    EXPECT_EQ(b.ui.prompts.size(), static_cast<std::size_t>(c.prompt));
    EXPECT_EQ(b.ui.messages.size(), c.shortRepeated ? 1u : 0u);
    EXPECT_EQ(b.driver.Count("MeasureTrace"), c.prompt - 1 + (c.shortRepeated ? 1 : 0));
    EXPECT_TRUE(CalibrationBytes(b.engine) == before);
    EXPECT_EQ(b.driver.Count("SaveCalibrationState"), 0);
    EXPECT_EQ(b.ui.measure, nullptr);
    if (c.calibrated) {
        // The analyzer began a calibration: it gets the old terms back.
        EXPECT_EQ(
            b.driver.CallsSince("EndOperatorResponse"),
            (Names{"EndOperatorResponse", "ClearMessage", "DownloadCalibration", "EndSequence"}));
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(b.driver.downloaded[k].size(), oldTerms[k].size());
            EXPECT_EQ(std::memcmp(b.driver.downloaded[k].data(), oldTerms[k].data(),
                                  oldTerms[k].size() * sizeof(CComplex)),
                      0)
                << k;
        }
    } else {
        EXPECT_EQ(b.driver.CallsSince("EndOperatorResponse"),
                  (Names{"EndOperatorResponse", "ClearMessage"}));
    }

    // The next measurement goes on with the old calibration, or is refused without one.
    b.ui.messages.clear();
    const Outcome measured = b.engine.Measure();
    if (c.calibrated) {
        EXPECT_TRUE(b.ui.messages.empty());
        EXPECT_TRUE(measured.Done());
        EXPECT_EQ(b.engine.result.frequencies, b.engine.frequencies);
    } else {
        EXPECT_EQ(b.ui.MessageTexts(),
                  (Names{"A calibration must be performed before a measurement can be made."}));
        EXPECT_FALSE(measured.Done());
        EXPECT_TRUE(b.engine.result.permittivity.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    PerformCalibration, AbortedCalibration,
    testing::Values(AbortCase{"LoadAirShortAt1", LoadAirShort, 1, true, false},
                    AbortCase{"LoadAirShortAt2", LoadAirShort, 2, true, false},
                    AbortCase{"LoadAirShortAt3", LoadAirShort, 3, true, false},
                    AbortCase{"AirShortWaterAt1", AirShortWater, 1, true, false},
                    AbortCase{"AirShortWaterAt2", AirShortWater, 2, true, false},
                    AbortCase{"AirShortWaterAt3", AirShortWater, 3, true, false},
                    AbortCase{"AirShortWaterAt3AfterTheShortAgain", AirShortWater, 3, true, true},
                    AbortCase{"UserDefinedAt1", UserStandards, 1, true, false},
                    AbortCase{"UserDefinedAt2", UserStandards, 2, true, false},
                    AbortCase{"UserDefinedAt3", UserStandards, 3, true, false},
                    AbortCase{"UncalibratedLoadAirShortAt1", LoadAirShort, 1, false, false},
                    AbortCase{"UncalibratedLoadAirShortAt2", LoadAirShort, 2, false, false},
                    AbortCase{"UncalibratedLoadAirShortAt3", LoadAirShort, 3, false, false},
                    AbortCase{"UncalibratedAirShortWaterAt1", AirShortWater, 1, false, false},
                    AbortCase{"UncalibratedAirShortWaterAt2", AirShortWater, 2, false, false},
                    AbortCase{"UncalibratedAirShortWaterAt3", AirShortWater, 3, false, false},
                    AbortCase{"UncalibratedAirShortWaterAt3AfterTheShortAgain", AirShortWater, 3,
                              false, true},
                    AbortCase{"UncalibratedUserDefinedAt1", UserStandards, 1, false, false},
                    AbortCase{"UncalibratedUserDefinedAt2", UserStandards, 2, false, false},
                    AbortCase{"UncalibratedUserDefinedAt3", UserStandards, 3, false, false}),
    [](const testing::TestParamInfo<AbortCase>& info) { return std::string(info.param.name); });

TEST(PerformCalibration, AbortAtTheFirstPromptDownloadsTheOldTermsAgain) {
    Bench first;
    first.engine.calibrated = true;
    first.engine.stdMeasured1 = {{7, 7}};
    first.engine.errorTracking = {{3, 3}};
    first.ui.promptActions = {PromptAction::Abort};
    first.engine.PerformCalibration();
    EXPECT_TRUE(first.engine.calibrated);
    EXPECT_EQ(first.CallsOnePollEach(),
              (Names{"BeginCalibration", "PrepareCalibration", "ShowTitle", "ShowMessage",
                     "ArmOperatorResponse", "EndSequence", "PollOperatorResponse",
                     "EndOperatorResponse", "ClearMessage", "DownloadCalibration", "EndSequence"}));
    ASSERT_EQ(first.driver.downloaded[2].size(), 1u);
    EXPECT_EQ(ToStd(first.driver.downloaded[2][0]), Cx(3, 3));

    // The operator pressing OK and Abort at once at the third prompt aborts as well.
    Bench third;
    third.engine.calSettings.calibrationType = CalibrationType::LoadAirShort;
    third.ui.promptActions = {PromptAction::Continue, PromptAction::Continue,
                              PromptAction::ContinueAndAbort};
    third.engine.PerformCalibration();
    EXPECT_FALSE(third.engine.calibrated);
    EXPECT_TRUE(third.engine.stdMeasured1.empty());
    EXPECT_EQ(third.driver.Count("MeasureTrace"), 2);
    EXPECT_EQ(third.driver.Count("DownloadCalibration"), 0);
    EXPECT_EQ(third.ui.measure, nullptr);
}

// A reading the analyzer reports as failed ends the calibration or the refresh exactly as an abort
// at that point would, and the operator reads the driver's own text (or a plain one without it).
TEST(FailedReading, EndsTheCalibrationAsAnAbortAndSaysWhy) {
    struct Case {
        CalibrationType type;
        int failingReading;  // 1..3
        bool shortAgain;     // reading 3 is the shorting block measured again after the question
        bool calibrated;
        const char* driverText;
    };
    for (const Case& c :
         {Case{AirShortWater, 1, false, true, "Timeout reading the trace."},
          Case{AirShortWater, 2, false, false, ""}, Case{AirShortWater, 3, false, true, ""},
          Case{AirShortWater, 3, true, true, "Block of 3 values for 5 points."},
          Case{LoadAirShort, 2, false, true, "E"},
          Case{UserStandards, 3, false, false, "Lost connection."}}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.type) << " " << c.failingReading
                                        << " " << c.shortAgain << " " << c.calibrated);
        Bench b;
        b.engine.calSettings.calibrationType = c.type;
        b.SynthesizeStandards();
        b.engine.PerformCalibration();
        b.engine.calibrated = c.calibrated;
        b.engine.refreshMeasured = {{4, 4}};
        const std::vector<std::uint8_t> before = CalibrationBytes(b.engine);
        b.driver.calls.clear();
        b.driver.measureCalls = 0;
        b.driver.errorText = c.driverText;
        // New readings that differ from the old ones, so that any of them left behind shows.
        b.driver.reflection = [&c](double, int call) {
            if (c.shortAgain && call == 1) {
                return CComplex(-0.54, 0.06);  // -0.6 times air: measured again on Yes
            }
            return call == 0 ? CComplex(0.9, -0.1) : CComplex(-0.9, 0.1);
        };
        b.driver.onCall = [&](const std::string& op) {
            if (op == "MeasureTrace" && b.driver.measureCalls == c.failingReading) {
                b.driver.results["MeasureTrace"] = 1;
            }
        };
        b.ui.answers = {Answer::Yes};
        const Outcome outcome = b.engine.PerformCalibration();

        EXPECT_TRUE(CalibrationBytes(b.engine) == before);
        // Not reported as done, and the calibration in force (or its absence) stays.
        EXPECT_EQ(outcome.kind, Outcome::Kind::Failed);
        EXPECT_EQ(b.engine.calibrated, c.calibrated);
        EXPECT_EQ(b.driver.Count("MeasureTrace"), c.failingReading);
        EXPECT_EQ(b.driver.Count("SaveCalibrationState"), 0);
        EXPECT_EQ(b.ui.measure, nullptr);
        // The prompt is closed as after an abort, the old terms go back, then the message.
        Names after{"MeasureTrace", "EndOperatorResponse", "ClearMessage"};
        if (c.calibrated) {
            after.insert(after.end(), {"DownloadCalibration", "EndSequence"});
        }
        const Names calls(b.driver.calls.end() - static_cast<std::ptrdiff_t>(after.size()),
                          b.driver.calls.end());
        EXPECT_EQ(calls, after);
        ASSERT_FALSE(b.ui.messages.empty());
        const auto& m = b.ui.messages.back();
        EXPECT_EQ(m.text, *c.driverText != '\0' ? c.driverText
                                                : "The analyzer did not return a measurement.");
        EXPECT_EQ(m.caption, "Calibration Menu");
        EXPECT_EQ(m.icon, Icon::Stop);
        EXPECT_EQ(b.ui.messages.size(), c.shortAgain ? 2u : 1u);
    }

    // A refresh whose reading fails keeps its last reading and the terms.
    Bench r;
    r.SynthesizeStandards();
    r.engine.PerformCalibration();
    r.engine.refreshMeasured = {{4, 4}};
    const std::vector<std::uint8_t> before = CalibrationBytes(r.engine);
    r.driver.calls.clear();
    r.driver.results["MeasureTrace"] = 1;
    const Outcome refreshed = r.engine.RefreshCalibration();
    EXPECT_TRUE(CalibrationBytes(r.engine) == before);
    EXPECT_EQ(refreshed.kind, Outcome::Kind::Failed);
    EXPECT_TRUE(r.engine.calibrated);
    EXPECT_EQ(r.driver.CallsSince("MeasureTrace"),
              (Names{"MeasureTrace", "EndOperatorResponse", "ClearMessage"}));
    EXPECT_EQ(r.ui.MessageTexts(), (Names{"The analyzer did not return a measurement."}));
    EXPECT_EQ(r.ui.messages[0].caption, "Calibration Menu");
    EXPECT_EQ(r.ui.measure, nullptr);
}

TEST(RefreshCalibration, RefusedBeforeACalibration) {
    Bench b;
    b.engine.RefreshCalibration();
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "A calibration must be performed before it can be refreshed.");
    EXPECT_EQ(b.ui.messages[0].caption, "Calibration Menu");
    EXPECT_EQ(b.ui.messages[0].icon, Icon::Stop);
    EXPECT_TRUE(b.driver.calls.empty());
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_TRUE(b.engine.refreshMeasured.empty());
}

TEST(RefreshCalibration, ShortStandardRescalesTwoTerms) {
    Bench b;
    b.engine.frequencies = {1e9, 2e9};
    b.driver.frequencyList = b.engine.frequencies;
    b.engine.errorDirectivity = {{0.1, 0.0}, {0.2, 0.0}};
    b.engine.errorSourceMatch = {{0.1, 0.2}, {0.3, -0.1}};
    b.engine.errorTracking = {{0.9, 0.1}, {0.8, -0.2}};
    b.engine.calibrated = true;
    b.engine.calSettings.refreshStandard = 1;
    b.driver.reflection = [](double f, int) {
        return f == 1e9 ? CComplex(-1.0, 0.0) : CComplex(0.0, 1.0);
    };
    b.driver.savedSize = 77;
    b.engine.RefreshCalibration();

    // (-1, 0) is what a short should read: ratio 1. (0, 1) gives the ratio (0, -1).
    EXPECT_EQ(ToStd(b.engine.errorSourceMatch[0]), Cx(0.1, 0.2));
    EXPECT_EQ(ToStd(b.engine.errorTracking[0]), Cx(0.9, 0.1));
    EXPECT_EQ(ToStd(b.engine.errorSourceMatch[1]), Cx(-0.1, -0.3));
    EXPECT_EQ(ToStd(b.engine.errorTracking[1]), Cx(-0.2, -0.8));
    EXPECT_EQ(ToStd(b.engine.errorDirectivity[1]), Cx(0.2, 0.0));
    EXPECT_TRUE(b.engine.calibrated);
    EXPECT_EQ(b.engine.calStateSize, 77);
    EXPECT_EQ(b.driver.downloaded[1].size(), 2u);
    EXPECT_EQ(ToStd(b.driver.downloaded[2][1]), Cx(-0.2, -0.8));
    EXPECT_EQ(b.ui.prompts, (Names{"Connect the shorting block to the probe."}));
    EXPECT_EQ(b.driver.titles, (Names{"Measuring the shorting block."}));
    EXPECT_EQ(b.CallsOnePollEach(),
              Join({{"ShowTitle", "ShowMessage", "ArmOperatorResponse", "EndSequence",
                     "PollOperatorResponse", "AcknowledgeContinue", "MeasureTrace", "ShowMessage",
                     "ShowMessage", "DownloadCalibration", "SaveCalibrationState",
                     "EndOperatorResponse", "ClearMessage", "EndSequence"}}));
    EXPECT_EQ(b.driver.shownMessages.back(), "Downloading Calibration...");
    EXPECT_EQ(b.ui.measure, nullptr);
}

TEST(RefreshCalibration, AirAndWaterAgainstTheModel) {
    Bench b;
    b.engine.calibrated = true;
    const std::size_t n = b.engine.frequencies.size();
    const std::vector<CComplex> e11(n, CComplex(0.05, -0.02));
    const std::vector<CComplex> t(n, CComplex(0.9, 0.1));
    for (int standard : {0, 2}) {
        b.engine.calSettings.refreshStandard = standard;
        b.engine.errorSourceMatch = e11;
        b.engine.errorTracking = t;
        b.engine.errorDirectivity.assign(n, CComplex(0.01, 0.0));
        // Air as calibration type 1 standard 1 sees it; water at the refresh temperature.
        b.engine.calSettings.calibrationType = CalibrationType::AirShortWater;
        b.engine.calSettings.waterTemperature = 37.0;
        const int k = standard == 0 ? 1 : 3;
        b.driver.reflection = [&b, k](double f, int) {
            const Cx g = ToStd(b.engine.StandardReflection(k, f));
            return FromStd(Cx(2.0, 0.0) * g);  // twice the expected reading
        };
        b.engine.RefreshCalibration();
        for (std::size_t i = 0; i < n; ++i) {
            ExpectNear(b.engine.errorSourceMatch[i], Cx(0.1, -0.04), 1e-12, "e11 doubled");
            ExpectNear(b.engine.errorTracking[i], Cx(1.8, 0.2), 1e-12, "e01e10 doubled");
            EXPECT_EQ(ToStd(b.engine.errorDirectivity[i]), Cx(0.01, 0.0));
        }
    }
}

TEST(RefreshCalibration, AbortOrUnknownStandardKeepsTheTerms) {
    Bench b;
    b.engine.calibrated = true;
    b.engine.refreshMeasured = {{4, 4}};
    b.engine.errorSourceMatch = {{0.1, 0.2}};
    b.engine.errorTracking = {{0.9, 0.1}};
    b.ui.promptActions = {PromptAction::Abort};
    b.engine.RefreshCalibration();
    // The last refresh reading is not thrown away by an aborted refresh.
    ASSERT_EQ(b.engine.refreshMeasured.size(), 1u);
    EXPECT_EQ(ToStd(b.engine.refreshMeasured[0]), Cx(4, 4));
    EXPECT_EQ(ToStd(b.engine.errorSourceMatch[0]), Cx(0.1, 0.2));
    EXPECT_TRUE(b.engine.calibrated);
    EXPECT_EQ(b.driver.Count("MeasureTrace"), 0);
    EXPECT_EQ(b.driver.Count("DownloadCalibration"), 0);

    // A refresh standard the program does not know has no expected reading: terms unchanged.
    Bench odd;
    odd.engine.calibrated = true;
    odd.engine.calSettings.refreshStandard = 5;
    odd.driver.operatorResponses = {1};  // the empty prompt is answered on the analyzer
    odd.engine.errorSourceMatch.assign(5, CComplex(0.1, 0.2));
    odd.engine.errorTracking.assign(5, CComplex(0.9, 0.1));
    odd.driver.reflection = [](double, int) { return CComplex(0.3, 0.3); };
    odd.engine.RefreshCalibration();
    EXPECT_EQ(ToStd(odd.engine.errorSourceMatch[4]), Cx(0.1, 0.2));
    EXPECT_EQ(ToStd(odd.engine.errorTracking[4]), Cx(0.9, 0.1));

    // Terms shorter than the sweep (a file written that way): only the points present change.
    Bench shorter;
    shorter.engine.calibrated = true;
    shorter.engine.calSettings.refreshStandard = 1;
    shorter.engine.errorSourceMatch = {{0.1, 0.2}};
    shorter.engine.errorTracking = {{0.9, 0.1}};
    shorter.driver.reflection = [](double, int) { return CComplex(1.0, 0.0); };
    shorter.engine.RefreshCalibration();
    ASSERT_EQ(shorter.engine.errorSourceMatch.size(), 1u);
    EXPECT_EQ(ToStd(shorter.engine.errorSourceMatch[0]), Cx(-0.1, -0.2));
}

// Every way a calibration or a refresh ends, as the operation reports it.
TEST(CalibrationOutcome, SaysWhatHappenedAndWhy) {
    using Kind = Outcome::Kind;
    Bench refused;
    const Outcome notCalibrated = refused.engine.RefreshCalibration();
    EXPECT_EQ(notCalibrated.kind, Kind::Refused);
    EXPECT_EQ(notCalibrated.why, "A calibration must be performed before it can be refreshed.");

    Bench done;
    done.SynthesizeStandards();
    const Outcome calibrated = done.engine.PerformCalibration();
    EXPECT_EQ(calibrated.kind, Kind::Done);
    EXPECT_TRUE(calibrated.why.empty());
    EXPECT_EQ(done.engine.RefreshCalibration().kind, Kind::Done);

    // An abort at the second standard, and at the refresh's prompt.
    Bench aborted;
    aborted.SynthesizeStandards();
    aborted.ui.promptActions = {PromptAction::Continue, PromptAction::Abort};
    const Outcome abortedCal = aborted.engine.PerformCalibration();
    EXPECT_EQ(abortedCal.kind, Kind::Aborted);
    EXPECT_EQ(abortedCal.why, "The calibration was aborted.");
    EXPECT_FALSE(aborted.engine.calibrated);
    aborted.engine.calibrated = true;
    aborted.ui.promptActions = {PromptAction::Abort};
    EXPECT_EQ(aborted.engine.RefreshCalibration().kind, Kind::Aborted);

    // A failed reading gives the analyzer's text, or the plain one when it has none.
    Bench failed;
    failed.SynthesizeStandards();
    failed.driver.results["MeasureTrace"] = 1;
    failed.driver.errorText = "Lost connection.";
    const Outcome lost = failed.engine.PerformCalibration();
    EXPECT_EQ(lost.kind, Kind::Failed);
    EXPECT_EQ(lost.why, "Lost connection.");
    failed.engine.calibrated = true;
    failed.driver.errorText.clear();
    const Outcome silent = failed.engine.RefreshCalibration();
    EXPECT_EQ(silent.kind, Kind::Failed);
    EXPECT_EQ(silent.why, "The analyzer did not return a measurement.");
}

// True when f is one of the first n points of the engine's sweep.
bool AmongFirst(const CProbeEngine& e, double f, int n) {
    return n >= static_cast<int>(e.frequencies.size()) ||
           f < e.frequencies[static_cast<std::size_t>(n)];
}

bool Same(const std::vector<CComplex>& a, const std::vector<CComplex>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(CComplex)) == 0;
}

// Readings that cannot be reflections refuse the sweep wherever it was taken (a standard, the
// sample, a refresh), with the count of such values; the calibration, the last sample and the Data
// trace stay. The limit is a magnitude of 1000: exactly 1000 is taken.
TEST(UnusableReadings, RefuseTheSweepAndKeepEverything) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        CComplex bad;   // the value at the bad points
        int badPoints;  // the first this many of the 5 points
    };
    const auto text = [](const char* count) {
        return std::string("The analyzer returned ") + count +
               " (not a number, infinite, or of a magnitude above 1000, as data in the wrong "
               "byte order read); the sweep is not used.";
    };
    for (const Case& c :
         {Case{"nan", {0.2, nan}, 1}, Case{"inf", {-inf, 0.0}, 2},
          Case{"byte order", {1.3e172, -4.1e171}, 5}, Case{"just above 1000", {600.0, 800.5}, 3}}) {
        SCOPED_TRACE(c.name);
        const std::string expected =
            c.badPoints == 1 ? text("1 value that is not a reflection")
                             : text((std::to_string(c.badPoints) + " values that are not "
                                                                   "reflections")
                                        .c_str());
        for (int step = 0; step < 5; ++step) {  // standards 1 to 3, the sample, a refresh
            SCOPED_TRACE(step);
            Bench b;
            b.SynthesizeStandards();
            ASSERT_TRUE(b.engine.PerformCalibration().Done());
            b.engine.sampleMeasured = {{0.5, 0.5}};
            b.engine.result.permittivity = {{7, 7}};
            const std::vector<std::uint8_t> before = CalibrationBytes(b.engine);
            b.driver.measureCalls = 0;
            const auto good = b.driver.reflection;
            b.driver.reflection = [&](double f, int call) {
                const int index = step < 3 ? step : 0;
                return call == index && AmongFirst(b.engine, f, c.badPoints) ? c.bad
                                                                             : good(f, call);
            };
            const Outcome outcome = step < 3    ? b.engine.PerformCalibration()
                                    : step == 3 ? b.engine.Measure()
                                                : b.engine.RefreshCalibration();
            EXPECT_FALSE(outcome.Done());
            EXPECT_EQ(outcome.why, expected);
            ASSERT_EQ(b.ui.messages.size(), 1u);
            EXPECT_EQ(b.ui.messages[0].text, expected);
            EXPECT_EQ(b.ui.messages[0].caption, step == 3 ? "Measure Menu" : "Calibration Menu");
            EXPECT_TRUE(CalibrationBytes(b.engine) == before);
            EXPECT_TRUE(Same(b.engine.result.permittivity, {{7, 7}}));
            EXPECT_TRUE(b.engine.result.frequencies.empty());
            EXPECT_EQ(b.ui.measure, nullptr);
        }
    }

    // A magnitude of exactly 1000 is still a reading.
    Bench b;
    b.SynthesizeStandards();
    ASSERT_TRUE(b.engine.PerformCalibration().Done());
    b.driver.reflection = [](double, int) { return CComplex(600.0, 800.0); };
    EXPECT_TRUE(b.engine.Measure().Done());
    EXPECT_TRUE(b.ui.messages.empty());
}

// Standards whose readings leave the error model's system singular determine no calibration: the
// same reflection for every standard, or a trace of zeros. The shorting-block question still comes
// first; then the calibration is refused with the number of such points, and the old one stays.
TEST(UndeterminedCalibration, IsRefusedWithTheNumberOfPoints) {
    struct Case {
        const char* name;
        CalibrationType type;
        int degeneratePoints;  // the first this many of the 5 points
        bool zeros;            // traces of zeros, else the same reading for every standard
        bool shortQuestion;
    };
    for (const Case& c : {Case{"identical", AirShortWater, 5, false, true},
                          Case{"zeros", LoadAirShort, 5, true, false},
                          Case{"two points", UserStandards, 2, false, false},
                          Case{"zeros, air/short/water", AirShortWater, 5, true, true}}) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.engine.calSettings.calibrationType = c.type;
        b.SynthesizeStandards();
        ASSERT_TRUE(b.engine.PerformCalibration().Done());
        const std::vector<std::uint8_t> before = CalibrationBytes(b.engine);
        b.driver.measureCalls = 0;
        b.driver.calls.clear();
        const auto good = b.driver.reflection;
        b.driver.reflection = [&](double f, int call) {
            if (!AmongFirst(b.engine, f, c.degeneratePoints)) {
                return good(f, call);
            }
            return c.zeros ? CComplex() : CComplex(0.31, -0.27);
        };
        b.ui.answers = {Answer::No};
        const Outcome outcome = b.engine.PerformCalibration();
        const std::string expected = "The standards' readings do not determine a calibration at " +
                                     std::to_string(c.degeneratePoints) + " points.";
        EXPECT_FALSE(outcome.Done());
        EXPECT_EQ(outcome.why, expected);
        ASSERT_EQ(b.ui.messages.size(), c.shortQuestion ? 2u : 1u);
        EXPECT_EQ(b.ui.messages.back().text, expected);
        EXPECT_EQ(b.ui.messages.back().caption, "Calibration Menu");
        if (c.shortQuestion) {
            EXPECT_EQ(b.ui.messages[0].caption, "Calibration");
        }
        EXPECT_TRUE(CalibrationBytes(b.engine) == before);
        EXPECT_EQ(b.driver.Count("SaveCalibrationState"), 0);
        // The old terms go back into the analyzer, as after an abort.
        EXPECT_EQ(b.driver.Count("DownloadCalibration"), 1);
        EXPECT_TRUE(Same(b.driver.downloaded[2], b.engine.errorTracking));
        EXPECT_EQ(b.ui.measure, nullptr);
    }
}
