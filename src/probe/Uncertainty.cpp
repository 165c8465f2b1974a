#include "probe/Uncertainty.h"

#include <cmath>

namespace kv {

namespace {

// The model's wave number per hertz (ProbeModel.cpp), with the same digits.
constexpr double kWaveNumberFactor = 2.09439510239e-10;

// The real 2 x 2 matrix of multiplication by a: [[Re a, -Im a], [Im a, Re a]], by rows.
std::array<double, 4> Jacobian(Cplx a) {
    return {a.real(), -a.imag(), a.imag(), a.real()};
}

}  // namespace

Cov2 Through(Cplx a, const Cov2& c) {
    const double ar = a.real();
    const double ai = a.imag();
    return {ar * ar * c.rr - 2.0 * ar * ai * c.ri + ai * ai * c.ii,
            ar * ai * c.rr + (ar * ar - ai * ai) * c.ri - ar * ai * c.ii,
            ai * ai * c.rr + 2.0 * ar * ai * c.ri + ar * ar * c.ii};
}

void MeanAndCovariance(std::span<const std::vector<CComplex>> sweeps, std::vector<CComplex>& mean,
                       std::vector<Cov2>& covariance) {
    mean.clear();
    covariance.clear();
    if (sweeps.empty()) {
        return;
    }
    const std::size_t n = sweeps.front().size();
    const double count = static_cast<double>(sweeps.size());
    mean.assign(n, CComplex());
    for (std::size_t i = 0; i < n; ++i) {
        double re = 0.0;
        double im = 0.0;
        for (const auto& sweep : sweeps) {
            re += sweep[i].re;
            im += sweep[i].im;
        }
        mean[i] = {re / count, im / count};
    }
    if (sweeps.size() < 2) {
        return;
    }
    covariance.assign(n, Cov2{});
    // The covariance of the mean: the sample covariance over N - 1, divided by N.
    const double scale = 1.0 / ((count - 1.0) * count);
    for (std::size_t i = 0; i < n; ++i) {
        Cov2 c;
        for (const auto& sweep : sweeps) {
            const double dr = sweep[i].re - mean[i].re;
            const double di = sweep[i].im - mean[i].im;
            c.rr += dr * dr;
            c.ri += dr * di;
            c.ii += di * di;
        }
        covariance[i] = c * scale;
    }
}

std::array<double, 3> CholeskyFactor(const Cov2& c) {
    const double l11 = c.rr > 0.0 ? std::sqrt(c.rr) : 0.0;
    const double l21 = l11 > 0.0 ? c.ri / l11 : 0.0;
    const double rest = c.ii - l21 * l21;
    return {l11, l21, rest > 0.0 ? std::sqrt(rest) : 0.0};
}

Cplx ModelDerivative(const ProbeModel& model, double f, Cplx eps) {
    const double k0 = f * model.frequencyScale * kWaveNumberFactor;
    const Cplx k = k0 * std::sqrt(eps);
    const auto& c = model.apertureCoefficients;
    // P(k) = sum c_m k^m, the odd powers real and the even ones times j; P' term by term.
    Cplx odd = 0.0;
    Cplx even = 0.0;
    Cplx oddDerivative = 0.0;
    Cplx evenDerivative = 0.0;
    Cplx power = 1.0;  // k^m
    for (int m = 0; m < kProbeCoefficientCount; ++m) {
        const Cplx previous = power;  // k^(m-1) once m >= 1 (kept one step behind below)
        if (m > 0) {
            power *= k;
        }
        const Cplx term = c[static_cast<std::size_t>(m)] * power;
        const Cplx derivative =
            m > 0 ? static_cast<double>(m) * c[static_cast<std::size_t>(m)] * previous : 0.0;
        if (m % 2 == 1) {
            odd += term;
            oddDerivative += derivative;
        } else {
            even += term;
            evenDerivative += derivative;
        }
    }
    const Cplx j(0.0, 1.0);
    const Cplx p = odd + j * even;
    const Cplx dp = oddDerivative + j * evenDerivative;
    const double bf = model.apertureScale * model.frequencyScale * f;
    const Cplx y = eps * bf * p;
    // dy/deps = Bf (P + eps P'(k) dk/deps) with dk/deps = k / (2 eps).
    const Cplx dy = bf * (p + dp * k * 0.5);
    return -2.0 / ((1.0 + y) * (1.0 + y)) * dy;
}

std::array<Cplx, 4> ColeColeDerivatives(double f, const ColeCole& material) {
    const double w = f * material.tau * kTwoPi;
    const double x = 1.0 - material.alpha;
    if (!(w > 0.0)) {
        // eps = Eo at zero frequency or zero relaxation time: only Eo moves it.
        return {Cplx(1.0), Cplx(0.0), Cplx(0.0), Cplx(0.0)};
    }
    // (j w)^x as the program forms it: |jw|^x at the angle x pi/2.
    const Cplx p = std::polar(std::pow(w, x), x * kHalfPi);
    const Cplx onePlus = 1.0 + p;
    const Cplx dEpsDp = -(material.eo - material.einf) / (onePlus * onePlus);
    const Cplx logJw(std::log(w), kHalfPi);
    return {1.0 / onePlus, 1.0 - 1.0 / onePlus, dEpsDp * (-logJw * p),
            dEpsDp * (x * p / material.tau)};
}

Cplx WaterTemperatureDerivative(double f, double temperature, bool* clamped) {
    const ColeCole slope = WaterParameterSlopes(temperature, clamped);
    const auto d = ColeColeDerivatives(f, WaterParameters(temperature));
    return d[0] * slope.eo + d[1] * slope.einf + d[2] * slope.alpha + d[3] * slope.tau;
}

TermSolution SolveTermsWithDerivatives(const std::array<Cplx, 3>& g, const std::array<Cplx, 3>& m) {
    // Row k: g_k x0 + x1 - g_k m_k x2 = m_k; e00 = x1, e11 = -x2, e01e10 = x0 - x1 x2.
    Cplx a[3][3];
    for (int k = 0; k < 3; ++k) {
        a[k][0] = g[k];
        a[k][1] = 1.0;
        a[k][2] = -g[k] * m[k];
    }
    // The inverse by cofactors: inv[r][c] = cofactor(c, r) / det.
    auto cof = [&](int r, int c) {
        const int r1 = (r + 1) % 3;
        const int r2 = (r + 2) % 3;
        const int c1 = (c + 1) % 3;
        const int c2 = (c + 2) % 3;
        return a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
    };
    const Cplx det = a[0][0] * cof(0, 0) + a[0][1] * cof(0, 1) + a[0][2] * cof(0, 2);
    TermSolution s;
    if (det == Cplx(0.0)) {
        return s;
    }
    Cplx inv[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            inv[r][c] = cof(c, r) / det;
        }
    }
    Cplx x[3];
    for (int r = 0; r < 3; ++r) {
        x[r] = inv[r][0] * m[0] + inv[r][1] * m[1] + inv[r][2] * m[2];
    }
    s.solved = true;
    s.terms = {x[1], -x[2], x[0] - x[1] * x[2]};
    auto termsOf = [&](const Cplx dx[3]) {
        return std::array<Cplx, 3>{dx[1], -dx[2], dx[0] - dx[1] * x[2] - x[1] * dx[2]};
    };
    for (int k = 0; k < 3; ++k) {
        // A dx = e_k c: dx = c times column k of the inverse.
        const Cplx byM = 1.0 + g[k] * x[2];
        const Cplx byG = -(x[0] - m[k] * x[2]);
        const Cplx dxm[3] = {inv[0][k] * byM, inv[1][k] * byM, inv[2][k] * byM};
        const Cplx dxg[3] = {inv[0][k] * byG, inv[1][k] * byG, inv[2][k] * byG};
        s.dTermsDm[static_cast<std::size_t>(k)] = termsOf(dxm);
        s.dTermsDg[static_cast<std::size_t>(k)] = termsOf(dxg);
    }
    return s;
}

Cplx Corrected(Cplx m, const std::array<Cplx, 3>& t) {
    const Cplx d = m - t[0];
    return d / (t[2] + t[1] * d);
}

Cplx RawFromCorrected(Cplx gamma, const std::array<Cplx, 3>& t) {
    return t[0] + t[2] * gamma / (1.0 - t[1] * gamma);
}

std::array<Cplx, 3> CorrectionTermDerivatives(Cplx m, const std::array<Cplx, 3>& t) {
    const Cplx d = m - t[0];
    const Cplx den = t[2] + t[1] * d;
    const Cplx gamma = d / den;
    return {-t[2] / (den * den), -gamma * gamma, -gamma / den};
}

Cplx CorrectionReadingDerivative(Cplx m, const std::array<Cplx, 3>& t) {
    const Cplx den = t[2] + t[1] * (m - t[0]);
    return t[2] / (den * den);
}

void TermCovariance::Add(const std::array<Cplx, 3>& d, const Cov2& input) {
    // J (6 x 2) = the stacked Jacobians of d; c += J C J^T.
    double j[6][2];
    for (int t = 0; t < 3; ++t) {
        const auto m = Jacobian(d[static_cast<std::size_t>(t)]);
        j[2 * t][0] = m[0];
        j[2 * t][1] = m[1];
        j[2 * t + 1][0] = m[2];
        j[2 * t + 1][1] = m[3];
    }
    const double in[2][2] = {{input.rr, input.ri}, {input.ri, input.ii}};
    double jc[6][2];
    for (int r = 0; r < 6; ++r) {
        for (int k = 0; k < 2; ++k) {
            jc[r][k] = j[r][0] * in[0][k] + j[r][1] * in[1][k];
        }
    }
    for (int r = 0; r < 6; ++r) {
        for (int s = 0; s < 6; ++s) {
            c[static_cast<std::size_t>(r * 6 + s)] += jc[r][0] * j[s][0] + jc[r][1] * j[s][1];
        }
    }
}

Cov2 TermCovariance::Project(const std::array<Cplx, 3>& d) const {
    // K (2 x 6) = the Jacobians of d side by side; K c K^T.
    double k[2][6];
    for (int t = 0; t < 3; ++t) {
        const auto m = Jacobian(d[static_cast<std::size_t>(t)]);
        k[0][2 * t] = m[0];
        k[0][2 * t + 1] = m[1];
        k[1][2 * t] = m[2];
        k[1][2 * t + 1] = m[3];
    }
    double kc[2][6] = {};
    for (int r = 0; r < 2; ++r) {
        for (int s = 0; s < 6; ++s) {
            for (int q = 0; q < 6; ++q) {
                kc[r][s] += k[r][q] * c[static_cast<std::size_t>(q * 6 + s)];
            }
        }
    }
    double out[2][2] = {};
    for (int r = 0; r < 2; ++r) {
        for (int s = 0; s < 2; ++s) {
            for (int q = 0; q < 6; ++q) {
                out[r][s] += kc[r][q] * k[s][q];
            }
        }
    }
    return {out[0][0], out[0][1], out[1][1]};
}

}  // namespace kv
