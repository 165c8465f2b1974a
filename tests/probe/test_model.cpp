#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "probe/ProbeModel.h"
#include "probe/Standards.h"

using kv::CComplex;
using kv::InversePath;
using kv::ProbeModel;

namespace {

constexpr double kCpA = 4.93536287577e-12;
constexpr double kCpBC = 3.83253203443e-12;

ProbeModel Model(int probeType) {
    ProbeModel model;
    model.LoadProbeCoefficients(probeType);
    return model;
}

// |a - b| within a relative tolerance, with an absolute floor for values near zero.
bool Close(double a, double b, double rel, double floor) {
    return std::fabs(a - b) <= rel * std::max(std::fabs(a), std::fabs(b)) + floor;
}

// Independent evaluation of the aperture series with the standard library's complex type and
// explicit powers: y = eps Cp f (sum c_odd k^n + j sum c_even k^n), k = k0 sqrt(eps).
std::complex<double> SeriesAdmittance(const ProbeModel& model, double f, std::complex<double> eps) {
    const std::complex<double> k = f * 2.09439510239e-10 * std::sqrt(eps);
    std::complex<double> odd = 0.0;
    std::complex<double> even = 0.0;
    for (int m = 0; m < kv::kProbeCoefficientCount; ++m) {
        const std::complex<double> term = model.apertureCoefficients[m] * std::pow(k, m);
        (m % 2 ? odd : even) += term;
    }
    return eps * model.apertureScale * f * (odd + std::complex<double>(0, 1) * even);
}

std::complex<double> Std(CComplex z) {
    return {z.re, z.im};
}
CComplex Kv(std::complex<double> z) {
    return {z.real(), z.imag()};
}

struct Sweep {
    std::vector<double> f;
    std::vector<CComplex> gamma;
    std::vector<CComplex> truth;  // e' - j e''
};

Sweep ColeColeSweep(const ProbeModel& model, const kv::ColeCole& material, double f0, double f1,
                    int points) {
    Sweep s;
    for (int i = 0; i < points; ++i) {
        const double f = f0 + (f1 - f0) * i / (points - 1);
        s.f.push_back(f);
        s.truth.push_back(kv::ColeColePermittivity(f, material));
        s.gamma.push_back(model.Reflection(f, s.truth.back()));
    }
    return s;
}

const kv::ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

struct Result {
    std::vector<CComplex> eps;
    std::vector<double> sens;
    std::vector<InversePath> paths;
};

Result Invert(const ProbeModel& model, const std::vector<double>& f,
              const std::vector<CComplex>& gamma) {
    const int n = static_cast<int>(f.size());
    Result r{std::vector<CComplex>(n), std::vector<double>(n), std::vector<InversePath>(n)};
    model.ComputePermittivity(f.data(), gamma.data(), r.eps.data(), r.sens.data(), n,
                              r.paths.data());
    return r;
}

}  // namespace

// ---- Coefficients --------------------------------------------------------------------------

TEST(ProbeCoefficients, EachProbeTypeLoadsItsOwnSetAsGiven) {
    ProbeModel a = Model(0);
    EXPECT_EQ(a.apertureScale, kCpA);
    EXPECT_EQ(a.apertureCoefficients[0], 1.20639907451);
    EXPECT_EQ(a.apertureCoefficients[1], 0.0);
    EXPECT_EQ(a.apertureCoefficients[13], -8.74862115473e-21);
    EXPECT_EQ(a.apertureCoefficients[28], -1.17979823194e-52);

    // Every type other than 0 is the B/C probe.
    for (int type : {1, 2, -1}) {
        ProbeModel bc = Model(type);
        EXPECT_EQ(bc.apertureScale, kCpBC);
        EXPECT_EQ(bc.apertureCoefficients[0], 1.08724393913);
        EXPECT_EQ(bc.apertureCoefficients[14], 1.32672180058e-23);
        EXPECT_EQ(bc.apertureCoefficients[28], -1.98497819773e-54);
    }
}

TEST(ProbeCoefficients, ScaleIsAppliedOnceAndNeverCompounds) {
    ProbeModel m;
    m.coefficientScale = 2.0;
    m.LoadProbeCoefficients(1);
    m.LoadProbeCoefficients(1);
    EXPECT_EQ(m.apertureScale, 2.0 * kCpBC);
    EXPECT_EQ(m.apertureCoefficients[2], 2.0 * 0.00232323419343);
    EXPECT_EQ(m.apertureCoefficients[27], 2.0 * 4.72408536004e-52);
    // Switching the type reloads from the table, not from the scaled values.
    m.LoadProbeCoefficients(0);
    EXPECT_EQ(m.apertureScale, 2.0 * kCpA);
}

// ---- Forward model -------------------------------------------------------------------------

TEST(ProbeForward, AdmittanceMatchesTheSeriesSummedTermByTerm) {
    for (int type : {0, 1}) {
        const ProbeModel m = Model(type);
        for (double f : {3e8, 5e9, 2e10}) {
            for (std::complex<double> eps :
                 {std::complex<double>(1, 0), {2.05, -0.001}, {32.66, -5.0}, {78.0, -30.0}}) {
                CComplex y;
                const CComplex one = m.ProbeAdmittance(f, {eps.real(), eps.imag()}, y);
                EXPECT_EQ(one.re, 1.0);
                EXPECT_EQ(one.im, 0.0);
                const std::complex<double> expected = SeriesAdmittance(m, f, eps);
                EXPECT_NEAR(y.re, expected.real(), 1e-11 * std::abs(expected))
                    << "type " << type << " f " << f << " eps " << eps;
                EXPECT_NEAR(y.im, expected.imag(), 1e-11 * std::abs(expected));

                const CComplex g = m.Reflection(f, {eps.real(), eps.imag()});
                const std::complex<double> ge = (1.0 - expected) / (1.0 + expected);
                EXPECT_NEAR(g.re, ge.real(), 1e-11);
                EXPECT_NEAR(g.im, ge.imag(), 1e-11);
            }
        }
    }
}

TEST(ProbeForward, LowFrequencyAirIsThePureFringeCapacitance) {
    const ProbeModel m = Model(1);
    for (double f : {1e3, 1e5}) {
        CComplex y;
        m.ProbeAdmittance(f, {1, 0}, y);
        const double capacitive = kCpBC * 1.08724393913 * f;
        EXPECT_NEAR(y.im, capacitive, 1e-9 * capacitive);
        EXPECT_LT(std::fabs(y.re), 1e-12 * capacitive);
        EXPECT_NEAR(CComplex::Abs(m.Reflection(f, {1, 0})), 1.0, 1e-12);
    }
}

TEST(ProbeForward, FrequencyScaleActsLikeAScaledFrequency) {
    ProbeModel scaled = Model(1);
    scaled.frequencyScale = 2.0;
    const ProbeModel plain = Model(1);
    CComplex a;
    CComplex b;
    scaled.ProbeAdmittance(3e9, {40, -10}, a);
    plain.ProbeAdmittance(6e9, {40, -10}, b);
    EXPECT_DOUBLE_EQ(a.re, b.re);
    EXPECT_DOUBLE_EQ(a.im, b.im);
}

TEST(ProbeForward, RefinementIsTheFixedPointPassOnTheSeries) {
    const ProbeModel m = Model(1);
    const double f = 1e9;
    const std::complex<double> truth(32.0, -12.0);
    const std::complex<double> y = SeriesAdmittance(m, f, truth);
    const CComplex yc(y.real(), y.imag());

    // From a start 5 % off, one pass eps <- y / (Cp f P(eps)) lands inside the 0.9..1.1 window
    // and stops there: eps1 = y eps0 / Y(eps0).
    const std::complex<double> start(30.4, -11.4);
    const std::complex<double> onePass = y * start / SeriesAdmittance(m, f, start);
    CComplex eps(start.real(), start.imag());
    m.RefinePermittivity(f, yc, eps);
    EXPECT_NEAR(eps.re, onePass.real(), 1e-10 * std::abs(onePass));
    EXPECT_NEAR(eps.im, onePass.imag(), 1e-10 * std::abs(onePass));

    // From air the first pass jumps by a factor of about 30 and more passes follow until the
    // step is small; the result is then close to the material.
    CComplex far(1.0, 0.0);
    m.RefinePermittivity(f, yc, far);
    EXPECT_NEAR(far.re, truth.real(), 0.05);
    EXPECT_NEAR(far.im, truth.imag(), 0.05);
}

// ---- Inverse model: reference vectors --------------------------------------------------------

TEST(ProbeInverse, AgreesWithTheReferenceVectors) {
    std::ifstream in(std::string(KV_VECTORS_DIR) + "/inverse_model.tsv");
    ASSERT_TRUE(in.good());
    struct Row {
        double f;
        CComplex gamma;
        double e1, e2, sens;
        int cycles, nodes;
    };
    std::vector<std::string> order;
    std::map<std::string, std::pair<int, std::vector<Row>>> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        int type = 0;
        int point = 0;
        Row r{};
        fields >> name >> type >> point >> r.f >> r.gamma.re >> r.gamma.im >> r.e1 >> r.e2 >>
            r.sens >> r.cycles >> r.nodes;
        ASSERT_FALSE(fields.fail()) << line;
        if (!cases.count(name)) {
            order.push_back(name);
        }
        auto& c = cases[name];
        c.first = type;
        ASSERT_EQ(point, static_cast<int>(c.second.size())) << line;
        c.second.push_back(r);
    }
    ASSERT_EQ(order.size(), 20u);

    double worst[3] = {0, 0, 0};
    int rows = 0;
    int spreadsOwn = 0;
    for (const std::string& name : order) {
        const auto& [type, points] = cases[name];
        const ProbeModel m = Model(type);
        std::vector<double> f;
        std::vector<CComplex> g;
        for (const Row& r : points) {
            f.push_back(r.f);
            g.push_back(r.gamma);
        }
        const Result res = Invert(m, f, g);
        bool fiveNodesEarlier = false;  // a five-node interpolation happened earlier in the call
        for (size_t i = 0; i < points.size(); ++i, ++rows) {
            const Row& r = points[i];
            SCOPED_TRACE(name + " point " + std::to_string(i));
            EXPECT_EQ(res.paths[i].cycles, r.cycles);
            EXPECT_EQ(res.paths[i].nodes, r.nodes);
            // Every failed cycle ran a five-node interpolation. The references add the fourth
            // difference left over from it to the spread of a later four-node point; the program
            // clears it at each cycle start, so only e' and e'' are compared there.
            fiveNodesEarlier = fiveNodesEarlier || r.cycles > 1;
            const bool ownSpread = r.nodes == 4 && fiveNodesEarlier && r.e1 != kv::kInvalidValue;
            fiveNodesEarlier = fiveNodesEarlier || r.nodes == 5;
            if (ownSpread) {
                ++spreadsOwn;
                std::printf("%s point %zu: sensitivity %.17g, reference %.17g\n", name.c_str(), i,
                            res.sens[i], r.sens);
            }
            const double got[3] = {res.eps[i].re, res.eps[i].im, res.sens[i]};
            const double want[3] = {r.e1, r.e2, r.sens};
            for (int c = 0; c < (ownSpread ? 2 : 3); ++c) {
                EXPECT_TRUE(Close(got[c], want[c], 1e-9, 1e-12))
                    << "column " << c << ": " << got[c] << " vs " << want[c];
                const double scale = std::max(std::fabs(want[c]), 1e-3);
                worst[c] = std::max(worst[c], std::fabs(got[c] - want[c]) / scale);
            }
        }
    }
    EXPECT_EQ(rows, 94);
    EXPECT_EQ(spreadsOwn, 1);
    std::printf("largest relative difference: e1 %.3g, e2 %.3g, sensitivity %.3g\n", worst[0],
                worst[1], worst[2]);
}

// ---- Inverse model: paths and edge cases ---------------------------------------------------

namespace {

// Newton divided-difference interpolation of eps over the reflection, as a hand calculation
// with the standard complex type: nodes eps_j with reflections g_j, evaluated at the measured
// reflection with residuals e_j = gm - g_j.
struct Newton {
    std::complex<double> eps[5], g[5];
    std::complex<double> d1[4], d2[3], d3[2];
};

}  // namespace

TEST(ProbeInverse, AReflectionOfTheCarriedValueIsReturnedAtOnce) {
    const ProbeModel m = Model(1);
    // The first point settles a value; the second point's reflection is exactly the model
    // reflection of that value at its own frequency, so its first residual is zero.
    std::vector<double> f{2e9};
    std::vector<CComplex> g{m.Reflection(2e9, {20.0, -5.0})};
    const Result first = Invert(m, f, g);
    const std::complex<double> carried(first.eps[0].re, -first.eps[0].im);

    const double f1 = 2.5e9;
    f.push_back(f1);
    g.push_back(m.Reflection(f1, Kv(carried)));
    const Result r = Invert(m, f, g);
    EXPECT_EQ(r.paths[1].cycles, 1);
    EXPECT_EQ(r.paths[1].nodes, 3);
    EXPECT_NEAR(r.eps[1].re, carried.real(), 1e-12 * std::abs(carried));
    EXPECT_NEAR(r.eps[1].im, -carried.imag(), 1e-12 * std::abs(carried));

    // With e0 = 0 and delta = 0.025 the spread of the three-node form is
    // 20 |2 delta (d1[0] + e1 d2[0])| = |d1[0] + e1 d2[0]|.
    const std::complex<double> gm = Std(g[1]);
    const std::complex<double> n0 = carried, n1 = 0.9 * carried, n2 = 1.1 * carried;
    const std::complex<double> g0 = Std(m.Reflection(f1, Kv(n0)));
    const std::complex<double> g1 = Std(m.Reflection(f1, Kv(n1)));
    const std::complex<double> g2 = Std(m.Reflection(f1, Kv(n2)));
    const std::complex<double> d10 = (n0 - n1) / (g0 - g1);
    const std::complex<double> d11 = (n1 - n2) / (g1 - g2);
    const std::complex<double> d20 = (d10 - d11) / (g0 - g2);
    const double expected = std::abs(d10 + (gm - g1) * d20);
    EXPECT_NEAR(r.sens[1], expected, 1e-9 * expected);
}

TEST(ProbeInverse, FourNodeSpreadUsesOnlyTheDifferencesOfItsOwnCycle) {
    const ProbeModel m = Model(1);
    // The second point converges only with five nodes (it leaves a fourth difference behind);
    // the third jumps far from the value carried in and converges with four nodes.
    const std::vector<double> f{16393904556.645428, 18462034933.975258, 1e9};
    const std::vector<CComplex> g{{0.28951675746164374, -0.37722407003857494},
                                  {0.7266826988748682, -0.3756617193564527},
                                  {0.45, -0.15}};
    const Result r = Invert(m, f, g);
    ASSERT_EQ(r.paths[1].nodes, 5);
    ASSERT_EQ(r.paths[2].cycles, 1);
    ASSERT_EQ(r.paths[2].nodes, 4);

    // Hand calculation of the third point's cycle from the value carried in.
    const double fy = f[2];
    const std::complex<double> gm = Std(g[2]);
    auto gamma = [&](std::complex<double> e) { return Std(m.Reflection(fy, Kv(e))); };
    const std::complex<double> c(r.eps[1].re, -r.eps[1].im);
    const std::complex<double> n0 = c, n1 = 0.9 * c, n2 = 1.1 * c;
    const std::complex<double> g0 = gamma(n0), g1 = gamma(n1), g2 = gamma(n2);
    const std::complex<double> e0 = gm - g0, e1 = gm - g1, e2 = gm - g2;
    const std::complex<double> d10 = (n0 - n1) / (g0 - g1);
    const std::complex<double> d11 = (n1 - n2) / (g1 - g2);
    const std::complex<double> d20 = (d10 - d11) / (g0 - g2);
    const std::complex<double> n3 = n0 + e0 * (d10 + e1 * d20);
    const std::complex<double> g3 = gamma(n3);
    EXPECT_GE(std::abs(gm - g3), 0.001);  // three nodes are not enough
    const std::complex<double> d12 = (n2 - n3) / (g2 - g3);
    const std::complex<double> d21 = (d11 - d12) / (g1 - g3);
    const std::complex<double> d30 = (d20 - d21) / (g0 - g3);
    const std::complex<double> n4 = n0 + e0 * (d10 + e1 * (d20 + e2 * d30));
    EXPECT_LT(std::abs(gm - gamma(n4)), 0.001);  // four are
    EXPECT_NEAR(r.eps[2].re, n4.real(), 1e-9 * std::abs(n4));
    EXPECT_NEAR(r.eps[2].im, -n4.imag(), 1e-9 * std::abs(n4));

    // The spread of the cubic through the four nodes, nothing left over from the second point.
    const double delta = 0.025;
    auto form = [&](double s) {
        const std::complex<double> a0 = e0 + s * delta, a1 = e1 + s * delta, a2 = e2 + s * delta;
        return n0 + a0 * (d10 + a1 * (d20 + a2 * d30));
    };
    const double expected = 20.0 * std::abs(form(1) - form(-1));
    EXPECT_NEAR(r.sens[2], expected, 1e-9 * expected);
}

TEST(ProbeInverse, RoundTripOfColeColeMaterials) {
    const kv::ColeCole materials[] = {
        kMethanol, kv::WaterParameters(25.0), {2.05, 2.05, 0.0, 0.0}, {1.0, 1.0, 0.0, 0.0}};
    for (int type : {0, 1}) {
        const ProbeModel m = Model(type);
        for (const kv::ColeCole& material : materials) {
            SCOPED_TRACE("type " + std::to_string(type) + " eo " + std::to_string(material.eo));
            const Sweep s = ColeColeSweep(m, material, 2e8, 2e10, 100);
            const Result r = Invert(m, s.f, s.gamma);
            // Lossless materials come back to rounding; lossy ones to the accuracy the
            // convergence bound of 0.001 on the reflection allows.
            const double tolerance = material.eo == material.einf ? 1e-12 : 1e-3;
            for (size_t i = 0; i < s.f.size(); ++i) {
                EXPECT_EQ(r.paths[i].cycles, 1);
                const CComplex eps(r.eps[i].re, -r.eps[i].im);
                EXPECT_LT(CComplex::Abs(m.Reflection(s.f[i], eps) - s.gamma[i]), 0.001);
                const double scale = CComplex::Abs(s.truth[i]);
                EXPECT_NEAR(eps.re, s.truth[i].re, tolerance * scale) << s.f[i];
                EXPECT_NEAR(eps.im, s.truth[i].im, tolerance * scale) << s.f[i];
                EXPECT_GT(r.sens[i], 0.0);
            }
        }
    }
}

TEST(ProbeInverse, InvalidPointIsMarkedAndTheSweepGoesOn) {
    const ProbeModel m = Model(1);
    // An inductive reflection has no positive permittivity.
    const CComplex air = m.Reflection(1e9, {1, 0});
    const std::vector<double> f{1e9, 1e9, 1e9};
    const std::vector<CComplex> g{air, {0.5, 0.5}, air};
    const Result r = Invert(m, f, g);
    EXPECT_NEAR(r.eps[0].re, 1.0, 1e-12);
    EXPECT_EQ(r.eps[1].re, 9999.0);
    EXPECT_EQ(r.eps[1].im, 9999.0);
    EXPECT_EQ(r.sens[1], 9999.0);
    // The value carried on from the invalid point is only a start: the last point finds air
    // again within the convergence bound.
    const CComplex back(r.eps[2].re, -r.eps[2].im);
    EXPECT_LT(CComplex::Abs(m.Reflection(1e9, back) - air), 0.001);
    EXPECT_NEAR(back.re, 1.0, 0.2);
}

TEST(ProbeInverse, UnreadableReflectionVoidsOnlyItsOwnPoint) {
    const ProbeModel m = Model(1);
    const Sweep s = ColeColeSweep(m, kMethanol, 2e8, 2e10, 11);
    const Result clean = Invert(m, s.f, s.gamma);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (CComplex bad : {CComplex(nan, nan), CComplex(inf, 0.0)}) {
        std::vector<CComplex> g = s.gamma;
        g[3] = bad;
        const Result r = Invert(m, s.f, g);
        // The rest restarts from its own first point, exactly as a sweep beginning there.
        const std::vector<double> tailF(s.f.begin() + 4, s.f.end());
        const std::vector<CComplex> tailG(s.gamma.begin() + 4, s.gamma.end());
        const Result tail = Invert(m, tailF, tailG);
        for (int i = 0; i < 11; ++i) {
            SCOPED_TRACE(i);
            if (i < 3) {
                EXPECT_EQ(r.eps[i].re, clean.eps[i].re);
                EXPECT_EQ(r.sens[i], clean.sens[i]);
            } else if (i == 3) {
                EXPECT_EQ(r.eps[i].re, 9999.0);
                EXPECT_EQ(r.eps[i].im, 9999.0);
                EXPECT_EQ(r.sens[i], 9999.0);
            } else {
                EXPECT_EQ(r.eps[i].re, tail.eps[i - 4].re);
                EXPECT_EQ(r.eps[i].im, tail.eps[i - 4].im);
                EXPECT_EQ(r.sens[i], tail.sens[i - 4]);
                EXPECT_NEAR(r.eps[i].re, s.truth[i].re, 1e-3 * s.truth[i].re);
            }
        }
    }
}

TEST(ProbeInverse, CountSelectsExactlyThePointsWritten) {
    const ProbeModel m = Model(1);
    // Nothing is read or written for an empty or negative count, not even the start.
    m.ComputePermittivity(nullptr, nullptr, nullptr, nullptr, 0);
    m.ComputePermittivity(nullptr, nullptr, nullptr, nullptr, -3);

    const Sweep s = ColeColeSweep(m, kMethanol, 2e8, 2e10, 11);
    const Result all = Invert(m, s.f, s.gamma);
    CComplex eps[2] = {{-7, -7}, {-7, -7}};
    double sens[2] = {-7, -7};
    InversePath path[2];
    m.ComputePermittivity(s.f.data(), s.gamma.data(), eps, sens, 1, path);
    // One point is the first point of the longer sweep, bit for bit.
    EXPECT_EQ(eps[0].re, all.eps[0].re);
    EXPECT_EQ(eps[0].im, all.eps[0].im);
    EXPECT_EQ(sens[0], all.sens[0]);
    EXPECT_EQ(path[0].cycles, 1);
    EXPECT_EQ(eps[1].re, -7.0);
    EXPECT_EQ(sens[1], -7.0);
    EXPECT_EQ(path[1].cycles, 0);
}
