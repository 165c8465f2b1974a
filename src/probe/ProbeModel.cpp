#include "probe/ProbeModel.h"

#include <cmath>

namespace kv {

namespace {

// Model constants, with the digits the program has always used.
constexpr double kWaveNumberFactor = 2.09439510239e-10;  // k0 per Hz: 2 pi / 3e10 to 12 digits
constexpr double kInitialCapacitanceFactor = 0.008037;   // first estimate of eps, per GHz
constexpr double kHzToGHz = 1e-9;                        // hertz times this gives gigahertz
constexpr double kFirstSizeLimit = 1.75e11;  // bound on |f fs sqrt(eps)| at each cycle start
constexpr double kSecondSizeLimit = 1.8e11;  // bound on |1.1 sqrt(eps)| f fs for the third node
constexpr double kSecondLimitNumerator = 198000000000.00003;
constexpr double kLowerTrialFactor = 0.9;
constexpr double kUpperTrialFactor = 1.1;
constexpr double kConvergenceBound = 0.001;
constexpr double kWindowLow = 0.9;
constexpr double kWindowHigh = 1.1;
constexpr int kRefinementPasses = 20;
constexpr int kInterpolationCycles = 10;
constexpr double kPerturbation = 0.025;
constexpr double kSensitivityFactor = 20.0;
constexpr double kBestResidualStart = 9e30;

struct CoefficientSet {
    double cp;
    double c[kProbeCoefficientCount];
};

// "KV47310A"
constexpr CoefficientSet kProbeA = {4.93536287577e-12, {1.20639907451,      0.0,
                                                        0.00342569734452,   0.000256162539112,
                                                        -1.21441237803e-05, -4.43134790196e-07,
                                                        1.3343065761e-08,   3.43522054734e-10,
                                                        -7.72709350849e-12, -1.54093777667e-13,
                                                        2.75341398206e-15,  4.44430719683e-17,
                                                        -6.522163233e-19,   -8.74862115473e-21,
                                                        1.07742702692e-22,  1.22292611843e-24,
                                                        -1.28359070877e-26, -1.24952786081e-28,
                                                        1.1310963523e-30,   9.54363167141e-33,
                                                        -7.52172735413e-35, -5.54827214101e-37,
                                                        3.83717745753e-39,  2.49224236277e-41,
                                                        -1.52247791705e-43, -8.76003959186e-46,
                                                        4.75358094144e-48,  2.43569966464e-50,
                                                        -1.17979823194e-52}};

// "KV47310B/C"
constexpr CoefficientSet kProbeBC = {3.83253203443e-12, {1.08724393913,      0.0,
                                                         0.00232323419343,   0.000150700127369,
                                                         -6.19752354211e-06, -1.96174180708e-07,
                                                         5.12407675381e-09,  1.14437569336e-10,
                                                         -2.23297657861e-12, -3.86284340019e-14,
                                                         5.9875273949e-16,   8.38366797662e-18,
                                                         -1.06727334688e-19, -1.24187421662e-21,
                                                         1.32672180058e-23,  1.30630990679e-25,
                                                         -1.18939624976e-27, -1.00438436621e-29,
                                                         7.88692301799e-32,  5.77265588896e-34,
                                                         -3.94669519706e-36, -2.52538592089e-38,
                                                         1.51508111341e-40,  8.53627256632e-43,
                                                         -4.52358757043e-45, -2.25783431378e-47,
                                                         1.06282287534e-49,  4.72408536004e-52,
                                                         -1.98497819773e-54}};

CComplex Real(double x) {
    return {x, 0.0};
}

// P(k) = A + jB with A the odd and B the even part of the aperture series, each by Horner's rule
// in q = k k. The order of operations is fixed: calibrations and stored results were computed
// with exactly this sequence.
CComplex Series(const std::array<double, kProbeCoefficientCount>& c, CComplex k) {
    const CComplex q = CComplex::Multiply(k, k);
    CComplex a;
    for (int m = 27; m >= 1; m -= 2) {
        a = CComplex::Add(CComplex::Multiply(a, q), Real(c[m]));
    }
    a = CComplex::Multiply(k, a);
    CComplex b;
    for (int m = 28; m >= 2; m -= 2) {
        b = CComplex::Add(CComplex::Multiply(b, q), Real(c[m]));
    }
    b = CComplex::Add(CComplex::Multiply(b, q), Real(c[0]));
    return CComplex::Add(a, CComplex::Multiply(CComplex(0.0, 1.0), b));
}

// The Newton form eps0 + e0 (d1 + e1 (d2 + e2 (d3 + e3 d4))) with the first `terms` (2..4) of
// the diagonal {d1[0], d2[0], d3[0], d4}, evaluated from the innermost term out.
CComplex NewtonForm(CComplex eps0, const CComplex* e, const CComplex* diagonal, int terms) {
    CComplex inner = diagonal[terms - 1];
    for (int t = terms - 2; t >= 0; --t) {
        inner = CComplex::Add(diagonal[t], CComplex::Multiply(e[t + 1], inner));
    }
    return CComplex::Add(eps0, CComplex::Multiply(e[0], inner));
}

bool IsFinite(CComplex z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}

}  // namespace

void ProbeModel::LoadProbeCoefficients(int probeType) {
    const CoefficientSet& set = probeType != 0 ? kProbeBC : kProbeA;
    // Assign first, then scale: loading again never compounds the scale.
    apertureScale = set.cp;
    for (int m = 0; m < kProbeCoefficientCount; ++m) {
        apertureCoefficients[m] = set.c[m];
    }
    apertureScale = apertureScale * coefficientScale;
    for (int m = 0; m < kProbeCoefficientCount; ++m) {
        apertureCoefficients[m] = coefficientScale * apertureCoefficients[m];
    }
}

CComplex ProbeModel::ProbeAdmittance(double f, CComplex eps, CComplex& y) const {
    const double k0 = f * frequencyScale * kWaveNumberFactor;
    const CComplex k = CComplex::Multiply(Real(k0), CComplex::Sqrt(eps));
    const CComplex p = Series(apertureCoefficients, k);
    y = CComplex::Multiply(eps, CComplex::Multiply(Real(apertureScale * frequencyScale * f), p));
    return {1.0, 0.0};
}

CComplex ProbeModel::Reflection(double f, CComplex eps) const {
    CComplex y;
    const CComplex one = ProbeAdmittance(f, eps, y);
    return CComplex::Divide(CComplex::Subtract(one, y), CComplex::Add(one, y));
}

void ProbeModel::RefinePermittivity(double f, CComplex y, CComplex& eps) const {
    const double bf = f * apertureScale * frequencyScale;
    const double k0 = f * frequencyScale * kWaveNumberFactor;
    for (int pass = 1; pass <= kRefinementPasses; ++pass) {
        const CComplex old = eps;
        const CComplex k = CComplex::Multiply(Real(k0), CComplex::Sqrt(eps));
        const CComplex p = Series(apertureCoefficients, k);
        eps = CComplex::Divide(CComplex::Divide(y, Real(bf)), p);
        const double r = CComplex::Abs(CComplex::Divide(eps, old));
        if (r >= kWindowLow && r <= kWindowHigh) {
            break;
        }
    }
}

void ProbeModel::ComputePermittivity(const double* frequencies, const CComplex* reflections,
                                     CComplex* permittivity, double* sensitivity, int count,
                                     InversePath* paths) const {
    if (count <= 0) {
        return;
    }
    const double fs = frequencyScale;
    const CComplex one(1.0, 0.0);

    // Fixed tables of the inverse interpolation, all zero on entry; nothing is allocated.
    CComplex node[6];      // node permittivities eps0..eps5
    CComplex gammaAt[6];   // their model reflections
    CComplex residual[6];  // measured minus model reflection
    CComplex d1[4];
    CComplex d2[3];
    CComplex d3[2];
    CComplex d4;

    // Starting value from the first point: the admittance read as a pure capacitance, then
    // refined by the fixed-point pass.
    auto startingValue = [&](int i) {
        const CComplex gm = reflections[i];
        const CComplex y0 = CComplex::Divide(CComplex::Subtract(one, gm), CComplex::Add(one, gm));
        const double f0 = frequencies[i];
        const CComplex t = CComplex::Divide(CComplex::Divide(y0, CComplex(0.0, 1.0)),
                                            Real(kInitialCapacitanceFactor * f0 * fs * kHzToGHz));
        CComplex start(t.re, 0.0);
        RefinePermittivity(f0, y0, start);
        return start;
    };
    CComplex eps = startingValue(0);

    for (int i = 0; i < count; ++i) {
        const double f = frequencies[i];
        const CComplex gm = reflections[i];
        CComplex yLast;  // admittance of the newest node of this point

        auto gammaOf = [&](CComplex x) {
            const CComplex unit = ProbeAdmittance(f, x, yLast);
            return CComplex::Divide(CComplex::Subtract(unit, yLast), CComplex::Add(unit, yLast));
        };
        auto evaluate = [&](int j, CComplex x) {
            node[j] = x;
            gammaAt[j] = gammaOf(x);
            residual[j] = CComplex::Subtract(gm, gammaAt[j]);
        };
        auto newton = [&](const CComplex* e, int terms) {
            const CComplex diagonal[4] = {d1[0], d2[0], d3[0], d4};
            return NewtonForm(node[0], e, diagonal, terms);
        };

        // The permittivity carries over from the previous point, also after an invalid one. A
        // value that is no longer a number (an unreadable reflection, an overflowing node) could
        // never recover and would void every later point of the sweep, so the start is then
        // rebuilt from this point's own reflection, as for the first point.
        if (!IsFinite(eps)) {
            eps = startingValue(i);
        }

        int cycle = 1;
        int n = 3;
        for (;;) {
            // Cycle start: keep the wave number of the centre inside the series' useful range.
            const double size =
                CComplex::Abs(CComplex::Multiply(Real(f * fs), CComplex::Sqrt(eps)));
            if (size > kFirstSizeLimit) {
                eps = CComplex::Divide(CComplex::Multiply(eps, Real(kFirstSizeLimit / size)),
                                       Real(fs));
            }

            evaluate(0, eps);
            evaluate(1, CComplex::Multiply(Real(kLowerTrialFactor), eps));
            CComplex third;
            if (CComplex::Abs(CComplex::Multiply(Real(kUpperTrialFactor), CComplex::Sqrt(eps))) *
                    f * fs <
                kSecondSizeLimit) {
                third = CComplex::Multiply(Real(kUpperTrialFactor), eps);
            } else {
                const double limit = CComplex::Abs(
                    CComplex::Multiply(Real(kUpperTrialFactor * f * fs), CComplex::Sqrt(eps)));
                third = CComplex::Multiply(eps, Real(kSecondLimitNumerator / limit));
            }
            evaluate(2, third);

            // Divided differences of eps as a function of the reflection.
            d1[0] = CComplex::Divide(CComplex::Subtract(node[0], node[1]),
                                     CComplex::Subtract(gammaAt[0], gammaAt[1]));
            d1[1] = CComplex::Divide(CComplex::Subtract(node[1], node[2]),
                                     CComplex::Subtract(gammaAt[1], gammaAt[2]));
            d2[0] = CComplex::Divide(CComplex::Subtract(d1[0], d1[1]),
                                     CComplex::Subtract(gammaAt[0], gammaAt[2]));
            // The higher differences start afresh with every cycle. d3[0] is needed cleared for
            // the spread of a point that converges with three nodes; d4 likewise for a point that
            // converges with four, whose interpolation never formed a fourth difference: a d4 left
            // over from an earlier cycle or an earlier point belongs to other nodes and would make
            // the sensitivity depend on the history of the sweep.
            d3[0] = CComplex();
            d4 = CComplex();

            // Newton form at the measured reflection.
            eps = newton(residual, 2);
            n = 3;
            evaluate(3, eps);

            bool converged = false;
            for (;;) {
                if (CComplex::Abs(residual[n]) < kConvergenceBound) {
                    converged = true;
                    break;
                }
                if (n > 4) {
                    break;
                }
                node[n] = eps;
                if (n == 3) {
                    d1[2] = CComplex::Divide(CComplex::Subtract(node[2], node[3]),
                                             CComplex::Subtract(gammaAt[2], gammaAt[3]));
                    d2[1] = CComplex::Divide(CComplex::Subtract(d1[1], d1[2]),
                                             CComplex::Subtract(gammaAt[1], gammaAt[3]));
                    d3[0] = CComplex::Divide(CComplex::Subtract(d2[0], d2[1]),
                                             CComplex::Subtract(gammaAt[0], gammaAt[3]));
                    eps = newton(residual, 3);
                } else {
                    d1[3] = CComplex::Divide(CComplex::Subtract(node[3], node[4]),
                                             CComplex::Subtract(gammaAt[3], gammaAt[4]));
                    d2[2] = CComplex::Divide(CComplex::Subtract(d1[2], d1[3]),
                                             CComplex::Subtract(gammaAt[2], gammaAt[4]));
                    d3[1] = CComplex::Divide(CComplex::Subtract(d2[1], d2[2]),
                                             CComplex::Subtract(gammaAt[1], gammaAt[4]));
                    d4 = CComplex::Divide(CComplex::Subtract(d3[0], d3[1]),
                                          CComplex::Subtract(gammaAt[0], gammaAt[4]));
                    eps = newton(residual, 4);
                }
                ++n;
                evaluate(n, eps);
            }
            if (converged) {
                break;
            }

            // The cycle failed: recentre on the node with the smallest residual (the first of
            // equal ones). When no residual is even a number, the newest node stays the centre.
            node[5] = eps;
            double best = kBestResidualStart;
            int bestNode = 5;
            for (int j = 0; j <= 5; ++j) {
                const double r = CComplex::Abs(residual[j]);
                if (r < best) {
                    best = r;
                    bestNode = j;
                }
            }
            eps = node[bestNode];
            ++cycle;
            if (cycle > kInterpolationCycles) {
                break;  // cycle == 11: all ten cycles failed
            }
        }

        RefinePermittivity(f, yLast, eps);

        // Sensitivity: the spread of the Newton form when every residual is moved by +-delta,
        // with the terms the last node count selects. With three nodes d3[0] is zero, so it is
        // the spread of the three-node form; with four it is the spread of the cubic that gave
        // the result (d4 is zero in that cycle). A point that ends with five nodes, converged or
        // not, uses the three-node form: it is then a coarser figure, and for a failed point the
        // larger delta already widens it.
        const double delta =
            cycle <= kInterpolationCycles
                ? kPerturbation
                : CComplex::Abs(CComplex::Divide(residual[n], Real(2.0))) + kPerturbation;
        auto spread = [&](double sign) {
            CComplex e[4];
            for (int j = 0; j < 4; ++j) {
                e[j] = sign > 0 ? CComplex::Add(residual[j], Real(delta))
                                : CComplex::Subtract(residual[j], Real(delta));
            }
            return newton(e, n == 3 ? 3 : n == 4 ? 4 : 2);
        };
        const CComplex plus = spread(1.0);
        const CComplex minus = spread(-1.0);
        double s = kSensitivityFactor * CComplex::Abs(CComplex::Subtract(plus, minus));

        const bool valid =
            eps.re > 0.0 && std::fabs(eps.re) < kInvalidValue && std::fabs(eps.im) < kInvalidValue;
        if (valid) {
            permittivity[i] = CComplex(eps.re, -eps.im);
        } else {
            permittivity[i] = CComplex(kInvalidValue, kInvalidValue);
            s = kInvalidValue;
        }
        sensitivity[i] = s;
        if (paths != nullptr) {
            paths[i] = InversePath{cycle, n};
        }
    }
}

}  // namespace kv
