// The propagated uncertainty against what the Demo analyzer's simulation actually does: the
// scatter of repeated measurements, the shift a wrong water temperature causes, and the Monte
// Carlo draws of the same inputs. Every run is seeded, so the figures are the same each time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "DemoAnalyzer.h"
#include "probe/CProbeEngine.h"
#include "probe/Standards.h"

namespace kv::test {
namespace {

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};  // the Demo's sample

struct Run {
    DemoSettings settings;
    std::unique_ptr<DemoAnalyzer> demo;
    CProbeEngine engine;
};

// A calibration (air, short, water at 25 C), a refresh with `refresh` (0 air, 2 water; -1 none)
// and one measurement of the sample with the Demo analyzer, `sweeps` sweeps per reading and u(T)
// as given.
std::unique_ptr<Run> Measure(double noise, std::uint64_t seed, int sweeps, double uT,
                             double startMHz, double stopGHz, int points, double offset = 0.0,
                             int refresh = -1) {
    auto run = std::make_unique<Run>();
    run->settings.noise = noise;
    run->settings.seed = seed;
    run->settings.autoContinue = true;
    run->settings.responsePolls = 1;
    run->settings.waterTemperatureOffset = offset;
    run->demo = std::make_unique<DemoAnalyzer>(run->settings);
    CProbeEngine& e = run->engine;
    e.SetDriver(run->demo.get());
    e.sweep = Sweep{stopGHz, startMHz, points, "MHz", "GHz", SweepKind::Linear, {}};
    e.calSettings.sweepsPerReading = sweeps;
    e.calSettings.uWaterTemperature = uT;
    e.SetupInstrument();
    EXPECT_TRUE(e.PerformCalibration().Done());
    if (refresh >= 0) {
        e.calSettings.refreshStandard = refresh;
        EXPECT_TRUE(e.RefreshCalibration().Done());
    }
    EXPECT_TRUE(e.Measure().Done());
    e.SetDriver(nullptr);
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TEST(DemoUncertainty, ReportedUncertaintyMatchesTheScatterAndCoversTheTruth) {
    constexpr int kSeeds = 24;
    constexpr int kPoints = 101;
    std::vector<std::vector<double>> e1(kPoints), e2(kPoints), u1(kPoints), u2(kPoints);
    int covered1 = 0;
    int covered2 = 0;
    int total = 0;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        const auto run = Measure(0.001, static_cast<std::uint64_t>(seed), 8, 0.0, 200, 5, kPoints);
        const MeasurementResult& r = run->engine.result;
        ASSERT_EQ(r.uncertaintyE1.size(), static_cast<std::size_t>(kPoints));
        for (std::size_t i = 0; i < kPoints; ++i) {
            const CComplex truth = ColeColePermittivity(r.frequencies[i], kMethanol);
            e1[i].push_back(r.permittivity[i].re);
            e2[i].push_back(r.permittivity[i].im);
            u1[i].push_back(r.uncertaintyE1[i]);
            u2[i].push_back(r.uncertaintyE2[i]);
            covered1 += std::fabs(r.permittivity[i].re - truth.re) <= 2.0 * r.uncertaintyE1[i];
            covered2 += std::fabs(r.permittivity[i].im + truth.im) <= 2.0 * r.uncertaintyE2[i];
            ++total;
        }
    }
    auto spread = [](const std::vector<double>& v) {
        double mean = 0.0;
        for (double x : v) {
            mean += x / static_cast<double>(v.size());
        }
        double s = 0.0;
        for (double x : v) {
            s += (x - mean) * (x - mean);
        }
        return std::sqrt(s / static_cast<double>(v.size() - 1));
    };
    auto rms = [](const std::vector<double>& v) {
        double s = 0.0;
        for (double x : v) {
            s += x * x;
        }
        return std::sqrt(s / static_cast<double>(v.size()));
    };
    std::vector<double> ratio1, ratio2;
    for (std::size_t i = 0; i < kPoints; ++i) {
        ratio1.push_back(rms(u1[i]) / spread(e1[i]));
        ratio2.push_back(rms(u2[i]) / spread(e2[i]));
    }
    EXPECT_GT(Median(ratio1), 0.8);
    EXPECT_LT(Median(ratio1), 1.25);
    EXPECT_GT(Median(ratio2), 0.8);
    EXPECT_LT(Median(ratio2), 1.25);
    const double coverage1 = static_cast<double>(covered1) / total;
    const double coverage2 = static_cast<double>(covered2) / total;
    EXPECT_GE(coverage1, 0.90);
    EXPECT_LE(coverage1, 0.98);
    EXPECT_GE(coverage2, 0.90);
    EXPECT_LE(coverage2, 0.98);
}

TEST(DemoUncertainty, TemperatureTermEqualsTheShiftOfAWrongWaterTemperature) {
    const auto told = Measure(0.0, 1, 1, 0.1, 200, 20, 101);
    const auto warmer = Measure(0.0, 1, 1, 0.1, 200, 20, 101, 0.1);
    int compared = 0;
    for (std::size_t i = 0; i < 101; ++i) {
        const auto budget = told->engine.BudgetAt(i);
        ASSERT_TRUE(budget);
        const auto term =
            std::find_if(budget->terms.begin(), budget->terms.end(),
                         [](const BudgetTerm& t) { return t.name == "Water temperature"; });
        ASSERT_NE(term, budget->terms.end());
        EXPECT_TRUE(term->stated);
        const CComplex a = told->engine.result.permittivity[i];
        const CComplex b = warmer->engine.result.permittivity[i];
        for (const auto& [shift, u] : {std::pair{std::fabs(b.re - a.re), term->e1},
                                       std::pair{std::fabs(b.im - a.im), term->e2}}) {
            if (shift > 1e-4) {
                EXPECT_NEAR(u, shift, 0.05 * shift) << "point " << i;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 150);
}

// Also after a refresh with water, whose reading and temperature enter the terms again.
TEST(DemoUncertainty, PropagationAgreesWithMonteCarloWhereTheModelIsNearLinear) {
    for (const int refresh : {-1, 2}) {
        const auto run = Measure(0.001, 7, 8, 0.1, 200, 20, 201, 0.0, refresh);
        const CProbeEngine& e = run->engine;
        const CProbeEngine::MonteCarloResult mc = e.MonteCarlo(refresh < 0 ? 2000 : 1000, 11);
        ASSERT_EQ(mc.e1.size(), 201U);
        int compared = 0;
        for (std::size_t i = 0; i < 201; ++i) {
            // Near linear: the uncertainty is a small part of the value, so that the inverse
            // model's curvature over +-2u is negligible. Below about 0.5 GHz the methanol reading
            // lies so close to the air reading that it is not (u of several percent of e'').
            const double u1 = e.result.uncertaintyE1[i];
            const double u2 = e.result.uncertaintyE2[i];
            if (u1 > 0.01 * e.result.permittivity[i].re ||
                u2 > 0.01 * e.result.permittivity[i].im) {
                continue;
            }
            EXPECT_NEAR(mc.e1[i] / u1, 1.0, 0.10) << "e' at point " << i << ", refresh " << refresh;
            EXPECT_NEAR(mc.e2[i] / u2, 1.0, 0.10)
                << "e'' at point " << i << ", refresh " << refresh;
            ++compared;
        }
        EXPECT_GT(compared, 180);
    }
}

TEST(DemoUncertainty, OneSweepTakesTheStatedNoiseAndSaysSo) {
    const auto stated = Measure(0.001, 3, 1, 0.1, 200, 5, 11);
    const auto measured = Measure(0.001, 3, 4, 0.1, 200, 5, 11);
    const auto a = stated->engine.BudgetAt(5);
    const auto b = measured->engine.BudgetAt(5);
    ASSERT_TRUE(a && b);
    // Air, short and water readings, the temperature, the sample.
    ASSERT_EQ(a->terms.size(), 5U);
    EXPECT_EQ(a->terms[0].name, "Air reading");
    EXPECT_EQ(a->terms[4].name, "Sample reading");
    EXPECT_EQ(a->terms[4].note, "stated, not measured (trace noise 0.001)");
    EXPECT_TRUE(a->terms[4].stated);
    EXPECT_EQ(b->terms[4].note, "4 sweeps");
    EXPECT_FALSE(b->terms[4].stated);
    // The combined uncertainty is the terms' root sum of squares, and the result's.
    double s = 0.0;
    for (const BudgetTerm& t : a->terms) {
        s += t.e1 * t.e1;
    }
    EXPECT_NEAR(std::sqrt(s), a->uE1, 1e-12);
    EXPECT_NEAR(a->uE1, stated->engine.result.uncertaintyE1[5], 1e-12);
}

}  // namespace
}  // namespace kv::test
