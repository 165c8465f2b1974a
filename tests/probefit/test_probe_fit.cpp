// The characterisation fit against readings synthesised from the probe model itself: standards
// and a Debye liquid measured by a probe of known scales through known error terms, noise-free.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "instrument/DownloadedTerms.h"
#include "probe/CProbeEngine.h"
#include "probefit/ProbeFit.h"

using namespace kv;

namespace {

using enum CalibrationType;

// An acetone-like liquid: Debye relaxation with static permittivity 20.7, permittivity at
// infinite frequency 4.2 and relaxation frequency 3 GHz, written e' - j e''.
CComplex Acetone(double f) {
    const CComplex den(1.0, f / 3e9);
    return CComplex::Add({4.2, 0.0}, CComplex::Divide({20.7 - 4.2, 0.0}, den));
}

// The raw reading M = e00 + e01e10 G / (1 - e11 G) through terms that change with frequency.
CComplex Raw(double f, CComplex g) {
    const double x = f / 1e10;
    const CComplex e00(0.02, 0.01 * x);
    const CComplex e11(0.05 - 0.01 * x, -0.02);
    const CComplex e01e10(0.9 - 0.05 * x, 0.1 + 0.2 * x);
    const CComplex den = CComplex::Subtract({1.0, 0.0}, CComplex::Multiply(e11, g));
    return CComplex::Add(e00, CComplex::Divide(CComplex::Multiply(e01e10, g), den));
}

// An engine with a stock probe (both scales 1), calibrated on a 51-point sweep from 200 MHz to
// 20 GHz with standards that a probe of scales (fs, s) measured, and that probe's reading of
// the liquid as the analyzer corrects it with the engine's terms.
struct Bench {
    CProbeEngine engine;
    std::vector<CComplex> liquid;

    Bench(CalibrationType type, double fs, double s, double engineFs = 1.0) {
        engine.calSettings.calibrationType = type;
        engine.model.frequencyScale = engineFs;
        engine.BuildFrequencyList();
        ProbeModel truth = engine.model;
        truth.frequencyScale = fs;
        truth.coefficientScale = s;
        truth.LoadProbeCoefficients(engine.calSettings.probeType);
        for (double f : engine.frequencies) {
            engine.stdMeasured1.push_back(Raw(f, engine.StandardReflection(truth, 1, f)));
            engine.stdMeasured2.push_back(Raw(f, engine.StandardReflection(truth, 2, f)));
            engine.stdMeasured3.push_back(Raw(f, engine.StandardReflection(truth, 3, f)));
        }
        EXPECT_EQ(engine.ComputeCalibration(), 0);
        engine.calibrated = true;
        for (std::size_t i = 0; i < engine.frequencies.size(); ++i) {
            const double f = engine.frequencies[i];
            liquid.push_back(CorrectReflection(
                Raw(f, truth.Reflection(f, Acetone(f))), engine.errorDirectivity[i],
                engine.errorSourceMatch[i], engine.errorTracking[i]));
        }
    }
};

}  // namespace

TEST(ProbeFit, FindsTheScalesOfTheProbeThatMeasured) {
    struct Case {
        CalibrationType type;
        double trueS;
        bool askS;
        double fittedS;
        const char* note;
    };
    const Case cases[] = {
        {AirShortWater, 1.0, false, 1.0, kScaleNotAsked},
        // The coefficient scale cancels: a probe of s = 0.8 reads as one of s = 1.
        {AirShortWater, 0.8, true, 1.0, kScaleCancels},
        {UserStandards, 0.8, true, 1.0, kScaleCancels},
        {LoadAirShort, 1.0, false, 1.0, kScaleNotAsked},
        {LoadAirShort, 0.8, true, 0.8, ""},
    };
    for (const Case& c : cases) {
        const std::string what =
            "type " + std::to_string(static_cast<int>(c.type)) + ", s " + std::to_string(c.trueS);
        Bench b(c.type, 0.7, c.trueS);
        const ProbeFit fit = FitProbeScale(b.engine, b.liquid, Acetone, 1e9, 1e10, c.askS);
        EXPECT_TRUE(fit.outcome.Done()) << what << ": " << fit.outcome.why;
        EXPECT_TRUE(fit.converged) << what;
        EXPECT_NEAR(fit.frequencyScale, 0.7, 1e-6) << what;
        EXPECT_NEAR(fit.coefficientScale, c.fittedS, 1e-6) << what;
        EXPECT_EQ(fit.coefficientScaleFitted, c.note[0] == '\0') << what;
        EXPECT_EQ(fit.coefficientScaleNote, c.note) << what;
        // 200 MHz + i 396 MHz lies in [1, 10] GHz for i = 3..24.
        EXPECT_EQ(fit.points, 22) << what;
        EXPECT_DOUBLE_EQ(fit.fromHz, 1.388e9) << what;
        EXPECT_DOUBLE_EQ(fit.toHz, 9.704e9) << what;
        EXPECT_GT(fit.before.largest, 1e-2) << what;
        EXPECT_LT(fit.after.largest, 1e-3) << what;
        EXPECT_LE(fit.after.rms, fit.after.largest) << what;
        EXPECT_LT(fit.after.rms, fit.before.rms) << what;
    }
}

// A probe already right: no step lowers the cost, and the fit ends where it began.
TEST(ProbeFit, AcceptsAProbeThatIsAlreadyRight) {
    Bench b(LoadAirShort, 0.7, 1.0, 0.7);
    const ProbeFit fit = FitProbeScale(b.engine, b.liquid, Acetone, 1e9, 1e10, false);
    EXPECT_TRUE(fit.outcome.Done()) << fit.outcome.why;
    EXPECT_TRUE(fit.converged);
    EXPECT_NEAR(fit.frequencyScale, 0.7, 1e-9);
    EXPECT_LT(fit.after.largest, 1e-4);
    EXPECT_LE(fit.after.rms, fit.before.rms);
}

TEST(ProbeFit, RefusesWithTheReason) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double trueFs;
        std::function<void(Bench&)> change;
        std::function<CComplex(double)> liquid;
        double fMin;
        const char* why;
    };
    const Case cases[] = {
        {"not calibrated", 0.7, [](Bench& b) { b.engine.calibrated = false; }, Acetone, 1e9,
         kFitNotCalibrated},
        {"terms missing", 0.7, [](Bench& b) { b.engine.errorTracking.pop_back(); }, Acetone, 1e9,
         kFitNotCalibrated},
        {"short reading", 0.7, [](Bench& b) { b.liquid.pop_back(); }, Acetone, 1e9,
         kFitReadingMismatch},
        {"no point", 0.7, [](Bench&) {}, Acetone, 2.1e10, kFitNoPoints},
        {"liquid not a number", 0.7, [](Bench&) {}, [nan](double) { return CComplex(nan, 0.0); },
         1e9, kFitNotConverged},
        {"scale out of range", 0.15, [](Bench&) {}, Acetone, 1e9, kFitScaleOutOfRange},
    };
    for (const Case& c : cases) {
        Bench b(AirShortWater, c.trueFs, 1.0);
        c.change(b);
        const std::vector<CComplex> termsBefore = b.engine.errorTracking;
        const ProbeFit fit = FitProbeScale(b.engine, b.liquid, c.liquid, c.fMin, 1e10, false);
        EXPECT_EQ(fit.outcome.kind, Outcome::Kind::Refused) << c.name;
        EXPECT_EQ(fit.outcome.why, c.why) << c.name;
        // The engine is never changed.
        EXPECT_EQ(b.engine.model.frequencyScale, 1.0) << c.name;
        ASSERT_EQ(b.engine.errorTracking.size(), termsBefore.size()) << c.name;
        for (std::size_t i = 0; i < termsBefore.size(); ++i) {
            EXPECT_EQ(b.engine.errorTracking[i].re, termsBefore[i].re) << c.name << i;
            EXPECT_EQ(b.engine.errorTracking[i].im, termsBefore[i].im) << c.name << i;
        }
    }
}

// A liquid given as exactly what the stock probe reads of it: nothing to gain, and a fit that
// moves at all ends with the larger deviation.
TEST(ProbeFit, RefusesAFitThatEndsWorse) {
    Bench b(AirShortWater, 0.7, 1.0);
    std::vector<CComplex> eps(b.liquid.size());
    std::vector<double> sens(b.liquid.size());
    b.engine.model.ComputePermittivity(b.engine.frequencies.data(), b.liquid.data(), eps.data(),
                                       sens.data(), static_cast<int>(eps.size()));
    const auto& freqs = b.engine.frequencies;
    auto asRead = [&](double f) {
        const std::size_t i = std::find(freqs.begin(), freqs.end(), f) - freqs.begin();
        return CComplex(eps[i].re, -eps[i].im);
    };
    const ProbeFit fit = FitProbeScale(b.engine, b.liquid, asRead, 1e9, 1e10, false);
    EXPECT_EQ(fit.outcome.kind, Outcome::Kind::Refused);
    EXPECT_EQ(fit.outcome.why, kFitWorse);
    EXPECT_TRUE(fit.converged);
    EXPECT_GT(fit.after.rms, fit.before.rms);
}
