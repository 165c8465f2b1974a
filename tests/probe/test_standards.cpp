#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "probe/ProbeModel.h"
#include "probe/Standards.h"

using kv::CComplex;
using kv::ColeCole;

namespace {

void ExpectParameters(const ColeCole& p, double eo, double einf, double alpha, double tau) {
    EXPECT_EQ(p.eo, eo);
    EXPECT_EQ(p.einf, einf);
    EXPECT_EQ(p.alpha, alpha);
    EXPECT_EQ(p.tau, tau);
}

void ExpectNearParameters(const ColeCole& p, double eo, double einf, double alpha, double tau) {
    EXPECT_NEAR(p.eo, eo, 1e-12 * eo);
    EXPECT_NEAR(p.einf, einf, 1e-12 * einf);
    EXPECT_NEAR(p.alpha, alpha, 1e-15);
    EXPECT_NEAR(p.tau, tau, 1e-12 * tau);
}

// Hand formula: einf + (eo - einf) / (1 + (w tau)^(1 - alpha) e^(j (1 - alpha) pi / 2)).
std::complex<double> ColeColeByHand(double f, const ColeCole& m) {
    const double x = 1.0 - m.alpha;
    const double wt = 2.0 * M_PI * f * m.tau;
    const std::complex<double> p = std::polar(std::pow(wt, x), x * M_PI / 2.0);
    return m.einf + (m.eo - m.einf) / (1.0 + p);
}

}  // namespace

TEST(WaterTable, TableTemperaturesGiveTheirRowsExactly) {
    ExpectParameters(kv::WaterParameters(0.0), 88.3, 4.46, 0.014, 1.79e-11);
    ExpectParameters(kv::WaterParameters(10.0), 84.1, 4.1, 0.014, 1.26e-11);
    ExpectParameters(kv::WaterParameters(20.0), 80.4, 4.23, 0.013, 9.3e-12);
    ExpectParameters(kv::WaterParameters(30.0), 76.8, 4.2, 0.012, 7.2e-12);
    ExpectParameters(kv::WaterParameters(40.0), 73.2, 4.16, 0.009, 5.8e-12);
    ExpectParameters(kv::WaterParameters(50.0), 70.0, 4.13, 0.013, 4.8e-12);
    ExpectParameters(kv::WaterParameters(60.0), 66.6, 4.21, 0.011, 3.9e-12);
    ExpectParameters(kv::WaterParameters(75.0), 62.1, 4.49, 0.0, 3.2e-12);
}

TEST(WaterTable, BetweenRowsIsLinear) {
    ExpectNearParameters(kv::WaterParameters(25.0), 78.6, 4.215, 0.0125, 8.25e-12);
    ExpectNearParameters(kv::WaterParameters(5.0), 86.2, 4.28, 0.014, 1.525e-11);
    // The last interval is 15 degrees wide.
    ExpectNearParameters(kv::WaterParameters(67.5), 64.35, 4.35, 0.0055, 3.55e-12);
    ExpectNearParameters(kv::WaterParameters(45.5), 71.44, 4.1435, 0.0112, 5.25e-12);
    // Each value is counted back from the upper row, value(Tu) - (Tu - T) slope, to the last bit
    // (counting up from the lower row rounds differently here).
    EXPECT_EQ(kv::WaterParameters(71.1).alpha, 0.0 - (75.0 - 71.1) * ((0.0 - 0.011) / 15.0));
    EXPECT_NE(kv::WaterParameters(71.1).alpha, 0.011 + (71.1 - 60.0) * ((0.0 - 0.011) / 15.0));
}

TEST(WaterTable, OutsideTheTableTheEndRowsHold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double t : {-5.0, -inf, nan, -0.0}) {
        SCOPED_TRACE(t);
        ExpectParameters(kv::WaterParameters(t), 88.3, 4.46, 0.014, 1.79e-11);
    }
    for (double t : {80.0, 75.0000001, inf}) {
        SCOPED_TRACE(t);
        ExpectParameters(kv::WaterParameters(t), 62.1, 4.49, 0.0, 3.2e-12);
    }
    // At 80 C the water is a pure Debye relaxation.
    const std::complex<double> debye =
        4.49 + (62.1 - 4.49) / (1.0 + std::complex<double>(0, 2 * M_PI * 1e10 * 3.2e-12));
    const CComplex w = kv::WaterPermittivity(1e10, 80.0);
    EXPECT_NEAR(w.re, debye.real(), 1e-12 * std::abs(debye));
    EXPECT_NEAR(w.im, debye.imag(), 1e-12 * std::abs(debye));
}

TEST(ColeColeStandard, AgreesWithTheClosedForm) {
    const ColeCole materials[] = {
        {32.66, 5.563, 0.0, 5.067e-11}, {80.4, 4.23, 0.013, 9.3e-12}, {12.0, 3.0, 0.35, 1e-9}};
    for (const ColeCole& m : materials) {
        for (double f : {1e6, 2e8, 3e9, 2e10}) {
            const CComplex e = kv::ColeColePermittivity(f, m);
            const std::complex<double> expected = ColeColeByHand(f, m);
            // The program's pi has 15 digits; the difference stays far below this.
            EXPECT_NEAR(e.re, expected.real(), 1e-12 * std::abs(expected)) << m.eo << " " << f;
            EXPECT_NEAR(e.im, expected.imag(), 1e-12 * std::abs(expected)) << m.eo << " " << f;
            EXPECT_LT(e.im, 0.0);  // e' - j e'': lossy means a negative imaginary part
        }
    }
}

TEST(ColeColeStandard, LimitsOfTauAndAlpha) {
    // No relaxation: the static permittivity at every frequency.
    for (double alpha : {0.0, 0.3}) {
        for (double f : {1e8, 2e10}) {
            const CComplex e = kv::ColeColePermittivity(f, {50.0, 4.0, alpha, 0.0});
            EXPECT_DOUBLE_EQ(e.re, 50.0);
            EXPECT_EQ(e.im, 0.0);
        }
    }
    // Alpha 1: the power with exponent 0 is 1, so half-way between Eo and Einf, also at Tau 0.
    for (double tau : {0.0, 1e-11}) {
        for (double f : {1e8, 2e10}) {
            const CComplex e = kv::ColeColePermittivity(f, {50.0, 4.0, 1.0, tau});
            EXPECT_DOUBLE_EQ(e.re, 4.0 + (50.0 - 4.0) / 2.0);
            EXPECT_EQ(e.im, 0.0);
        }
    }
    // Air as a standard is exactly 1.
    const CComplex air = kv::ColeColePermittivity(5e9, {1.0, 1.0, 0.0, 0.0});
    EXPECT_EQ(air.re, 1.0);
    EXPECT_EQ(air.im, 0.0);
}

TEST(ColeColeStandard, DefaultShortReflectsLikeAShortCircuit) {
    kv::ProbeModel model;
    model.LoadProbeCoefficients(1);
    for (double f : {2e8, 3e9, 2e10}) {
        const CComplex g = model.Reflection(f, kv::ColeColePermittivity(f, {1e10, 1e10, 0, 0}));
        EXPECT_NEAR(g.re, -1.0, 1e-5) << f;
        EXPECT_NEAR(g.im, 0.0, 1e-5) << f;
    }
}
