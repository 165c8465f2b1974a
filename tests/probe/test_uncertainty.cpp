// The analytic derivatives of the propagation against central finite differences of the functions
// they differentiate, and the covariance arithmetic against hand calculations.

#include <gtest/gtest.h>

#include <functional>

#include "probe/CProbeEngine.h"
#include "probe/ProbeModel.h"
#include "probe/Standards.h"
#include "probe/Uncertainty.h"

namespace kv {
namespace {

ProbeModel StockB() {
    ProbeModel m;
    m.LoadProbeCoefficients(1);
    return m;
}

Cplx Eps(double f, const ColeCole& c) {
    return ToCplx(ColeColePermittivity(f, c));
}

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};
const ColeCole kBroad{20.0, 3.0, 0.2, 2e-11};

struct DerivativeCase {
    const char* what;
    Cplx analytic;
    // The function of a complex (or, with `real`, a real) variable at x0 and its step.
    std::function<Cplx(Cplx)> function;
    Cplx x0;
    double step;
    bool real = false;
};

TEST(Uncertainty, DerivativesMatchFiniteDifferences) {
    const ProbeModel model = StockB();
    const double f = 3e9;
    const std::array<Cplx, 3> g = {ToCplx(model.Reflection(f, {1.0, 0.0})), Cplx(-1.0, 0.0),
                                   ToCplx(model.Reflection(f, WaterPermittivity(f, 25.0)))};
    const std::array<Cplx, 3> m = {Cplx(0.61, -0.42), Cplx(-0.7, 0.35), Cplx(0.05, 0.18)};
    const TermSolution s = SolveTermsWithDerivatives(g, m);
    ASSERT_TRUE(s.solved);
    auto term = [&](int which, int k, bool byReading) {
        return [=](Cplx x) {
            auto gg = g;
            auto mm = m;
            (byReading ? mm : gg)[static_cast<std::size_t>(k)] = x;
            return SolveTermsWithDerivatives(gg, mm).terms[static_cast<std::size_t>(which)];
        };
    };
    const std::array<Cplx, 3> t = s.terms;
    const Cplx raw(0.33, -0.21);
    auto correctedBy = [&](int which) {
        return [=](Cplx x) {
            auto tt = t;
            tt[static_cast<std::size_t>(which)] = x;
            return Corrected(raw, tt);
        };
    };
    const auto dCole = ColeColeDerivatives(f, kBroad);
    auto coleBy = [&](int p) {
        return [=](Cplx x) {
            ColeCole c = kBroad;
            double* field[] = {&c.eo, &c.einf, &c.alpha, &c.tau};
            *field[p] = x.real();
            return Eps(f, c);
        };
    };
    const auto dTerms = CorrectionTermDerivatives(raw, t);
    const Cplx wetEps = Eps(f, kMethanol);

    const std::vector<DerivativeCase> cases = {
        {"model dGamma/deps, methanol", ModelDerivative(model, f, wetEps),
         [&](Cplx e) { return ToCplx(model.Reflection(f, ToCComplex(e))); }, wetEps, 1e-5},
        {"model dGamma/deps, air at 18 GHz", ModelDerivative(model, 18e9, 1.0),
         [&](Cplx e) { return ToCplx(model.Reflection(18e9, ToCComplex(e))); }, 1.0, 1e-6},
        {"Cole-Cole d/dEo", dCole[0], coleBy(0), kBroad.eo, 1e-4, true},
        {"Cole-Cole d/dEinf", dCole[1], coleBy(1), kBroad.einf, 1e-4, true},
        {"Cole-Cole d/dalpha", dCole[2], coleBy(2), kBroad.alpha, 1e-6, true},
        {"Cole-Cole d/dtau", dCole[3], coleBy(3), kBroad.tau, 1e-16, true},
        {"water d/dT inside an interval", WaterTemperatureDerivative(f, 25.0),
         [&](Cplx x) { return ToCplx(WaterPermittivity(f, x.real())); }, 25.0, 1e-3, true},
        {"e00 by the water reading", s.dTermsDm[2][0], term(0, 2, true), m[2], 1e-6},
        {"e11 by the air reading", s.dTermsDm[0][1], term(1, 0, true), m[0], 1e-6},
        {"e01e10 by the short reading", s.dTermsDm[1][2], term(2, 1, true), m[1], 1e-6},
        {"e01e10 by the water reflection", s.dTermsDg[2][2], term(2, 2, false), g[2], 1e-6},
        {"e11 by the air reflection", s.dTermsDg[0][1], term(1, 0, false), g[0], 1e-6},
        {"corrected by e00", dTerms[0], correctedBy(0), t[0], 1e-7},
        {"corrected by e11", dTerms[1], correctedBy(1), t[1], 1e-7},
        {"corrected by e01e10", dTerms[2], correctedBy(2), t[2], 1e-7},
        {"corrected by the reading", CorrectionReadingDerivative(raw, t),
         [&](Cplx x) { return Corrected(x, t); }, raw, 1e-7},
    };
    for (const DerivativeCase& c : cases) {
        // A holomorphic function has the same derivative along the real and imaginary axes.
        const Cplx h(c.step, 0.0);
        const Cplx alongReal = (c.function(c.x0 + h) - c.function(c.x0 - h)) / (2.0 * h);
        EXPECT_LT(std::abs(c.analytic - alongReal), 1e-5 * std::abs(c.analytic) + 1e-12)
            << c.what << ": " << c.analytic << " vs " << alongReal;
        if (!c.real) {
            const Cplx k(0.0, c.step);
            const Cplx alongImag = (c.function(c.x0 + k) - c.function(c.x0 - k)) / (2.0 * k);
            EXPECT_LT(std::abs(c.analytic - alongImag), 1e-5 * std::abs(c.analytic) + 1e-12)
                << c.what << " (imaginary step)";
        }
    }
}

TEST(Uncertainty, WaterSlopeIsOneSidedAtRowsAndZeroWhereClamped) {
    const double f = 5e9;
    // At 20 C the table interpolates in (10, 20]: the derivative from below, not from above.
    const double h = 1e-4;
    auto eps = [&](double t) { return ToCplx(WaterPermittivity(f, t)); };
    const Cplx below = (eps(20.0) - eps(20.0 - h)) / h;
    const Cplx above = (eps(20.0 + h) - eps(20.0)) / h;
    EXPECT_LT(std::abs(WaterTemperatureDerivative(f, 20.0) - below), 1e-4 * std::abs(below));
    EXPECT_GT(std::abs(WaterTemperatureDerivative(f, 20.0) - above), 1e-2 * std::abs(above));
    bool clamped = true;
    EXPECT_NE(WaterTemperatureDerivative(f, 0.0, &clamped), Cplx());
    EXPECT_FALSE(clamped);
    EXPECT_EQ(WaterTemperatureDerivative(f, 80.0, &clamped), Cplx());
    EXPECT_TRUE(clamped);
    EXPECT_EQ(WaterTemperatureDerivative(f, -1.0, &clamped), Cplx());
    EXPECT_TRUE(clamped);
}

TEST(Uncertainty, CovarianceArithmetic) {
    // (1 + 2j) z with z of covariance [[4, 1], [1, 9]]: J = [[1, -2], [2, 1]], J C J^T by hand.
    const Cov2 c = Through(Cplx(1.0, 2.0), {4.0, 1.0, 9.0});
    EXPECT_DOUBLE_EQ(c.rr, 4.0 - 4.0 + 36.0);
    EXPECT_DOUBLE_EQ(c.ri, 8.0 + 1.0 * (1.0 - 4.0) - 18.0);
    EXPECT_DOUBLE_EQ(c.ii, 16.0 + 4.0 + 9.0);

    // Three sweeps of one point: mean (2, 1); deviations (-1, 0), (0, -1), (1, 1): sample
    // covariance [[2, 1], [1, 2]] / 2, of the mean a third of that.
    const std::vector<std::vector<CComplex>> sweeps = {{{1.0, 1.0}}, {{2.0, 0.0}}, {{3.0, 2.0}}};
    std::vector<CComplex> mean;
    std::vector<Cov2> cov;
    MeanAndCovariance(sweeps, mean, cov);
    ASSERT_EQ(cov.size(), 1U);
    EXPECT_DOUBLE_EQ(mean[0].re, 2.0);
    EXPECT_DOUBLE_EQ(mean[0].im, 1.0);
    EXPECT_DOUBLE_EQ(cov[0].rr, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(cov[0].ri, 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(cov[0].ii, 1.0 / 3.0);

    // The error terms' covariance projected back through the derivatives that made it.
    TermCovariance terms;
    terms.Add({Cplx(1.0, 0.0), Cplx(0.0, 1.0), Cplx()}, Cov2::Real(4.0));
    const Cov2 back = terms.Project({Cplx(1.0, 0.0), Cplx(0.0, -1.0), Cplx(5.0, 5.0)});
    // e00 = x, e11 = j x for a real x of variance 4: e00 - j e11 = 2x, variance 16.
    EXPECT_DOUBLE_EQ(back.rr, 16.0);
    EXPECT_DOUBLE_EQ(back.ri, 0.0);
    EXPECT_DOUBLE_EQ(back.ii, 0.0);
}

// A point whose terms determine nothing (zero terms, as a damaged setup file may bring) gets the
// 9999 of a point without a value, never a number that is none.
TEST(Uncertainty, APointWithoutTermsHasNoUncertainty) {
    CProbeEngine e;
    e.sweep.numPoints = 2;
    e.BuildFrequencyList();
    e.calibrated = true;
    e.errorDirectivity.assign(2, CComplex());
    e.errorSourceMatch.assign(2, CComplex());
    e.errorTracking = {CComplex(), CComplex(1.0, 0.0)};
    e.sampleMeasured.assign(2, CComplex(0.5, -0.2));
    e.sampleScatter = {std::vector<Cov2>(2, Cov2::Isotropic(0.001)), 1, 0.001};
    e.result.frequencies = e.frequencies;
    e.result.permittivity.assign(2, CComplex(30.0, 5.0));
    e.FillUncertainty();
    ASSERT_EQ(e.result.uncertaintyE1.size(), 2U);
    EXPECT_EQ(e.result.uncertaintyE1[0], kInvalidValue);
    EXPECT_EQ(e.result.uncertaintyE2[0], kInvalidValue);
    EXPECT_GT(e.result.uncertaintyE1[1], 0.0);
    EXPECT_LT(e.result.uncertaintyE1[1], kInvalidValue);
}

}  // namespace
}  // namespace kv
