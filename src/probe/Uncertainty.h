#pragma once

// The law of propagation of uncertainty through the measurement chain, one frequency point at a
// time: the standards' readings and model reflections -> the one-port error terms -> the
// corrected reflection of the sample -> the inverse probe model -> e' and e''. Every step is a
// holomorphic function of complex values, so each input's effect is one complex derivative; the
// uncertainty of a complex value is the 2 x 2 covariance of its real and imaginary parts, carried
// through a complex derivative a as J C J^T with J = [[Re a, -Im a], [Im a, Re a]].
//
// Pure functions of their arguments: the engine (CProbeEngineUncertainty.cpp) feeds them its
// readings and settings.

#include <array>
#include <complex>
#include <span>
#include <vector>

#include "numerics/CComplex.h"
#include "probe/ProbeModel.h"
#include "probe/Standards.h"

namespace kv {

using Cplx = std::complex<double>;

inline Cplx ToCplx(CComplex z) {
    return {z.re, z.im};
}
inline CComplex ToCComplex(Cplx z) {
    return {z.real(), z.imag()};
}

// The covariance of a complex value: variances of its real and imaginary parts and their
// covariance.
struct Cov2 {
    double rr = 0.0;
    double ri = 0.0;
    double ii = 0.0;

    Cov2& operator+=(const Cov2& o) {
        rr += o.rr;
        ri += o.ri;
        ii += o.ii;
        return *this;
    }
    Cov2 operator*(double s) const { return {rr * s, ri * s, ii * s}; }
    // Independent real and imaginary parts, each of standard deviation sigma.
    static Cov2 Isotropic(double sigma) { return {sigma * sigma, 0.0, sigma * sigma}; }
    // A real input of variance v (a parameter, a temperature) as a complex one.
    static Cov2 Real(double variance) { return {variance, 0.0, 0.0}; }
    bool operator==(const Cov2&) const = default;
};

// What is known of the scatter of one reading (a standard's or the sample's, all its points).
struct ReadingScatter {
    // The covariance of the reading at each point: of the mean of `sweeps` sweeps, or the stated
    // noise of one raw reading (statedNoise > 0). Empty when nothing is known.
    std::vector<Cov2> covariance;
    int sweeps = 1;
    double statedNoise = 0.0;

    bool Known() const { return !covariance.empty(); }
    bool Stated() const { return statedNoise > 0.0; }
    bool operator==(const ReadingScatter&) const = default;
};

// The covariance of a z when z has covariance c.
Cov2 Through(Cplx a, const Cov2& c);

// The mean of `sweeps` (each one reading per point) and, with two sweeps or more, the covariance
// of that mean at each point (the sample covariance divided by the number of sweeps).
void MeanAndCovariance(std::span<const std::vector<CComplex>> sweeps, std::vector<CComplex>& mean,
                       std::vector<Cov2>& covariance);

// A lower triangular factor L of c (L L^T = c) for drawing normal values; a covariance that is
// not positive definite to rounding gets the nearest factor with zero in place of the root of a
// negative number.
std::array<double, 3> CholeskyFactor(const Cov2& c);

// dGamma/deps of the probe model at f and eps (e' - j e''): Gamma = (1 - y) / (1 + y) with
// y = eps B f P(k0 sqrt(eps)).
Cplx ModelDerivative(const ProbeModel& model, double f, Cplx eps);

// d eps / d(eo, einf, alpha, tau) of a Cole-Cole material at f.
std::array<Cplx, 4> ColeColeDerivatives(double f, const ColeCole& material);

// d eps / dT of the calibration water at f and temperature T (Celsius), through the slope of the
// table's interval the temperature lies in (at a row the interval that ends there, at 0 C the
// first one); zero outside 0-75 C, where the table is clamped (`clamped` tells).
Cplx WaterTemperatureDerivative(double f, double temperature, bool* clamped = nullptr);

// The one-port error terms of three standards (model reflections g, readings m) and their
// derivatives: dTermsDm[k][t] = d term_t / d m_k and dTermsDg[k][t] = d term_t / d g_k, terms in
// the order e00, e11, e01e10. `solved` is false when the system is singular.
struct TermSolution {
    bool solved = false;
    std::array<Cplx, 3> terms{};
    std::array<std::array<Cplx, 3>, 3> dTermsDm{};
    std::array<std::array<Cplx, 3>, 3> dTermsDg{};
};
TermSolution SolveTermsWithDerivatives(const std::array<Cplx, 3>& g, const std::array<Cplx, 3>& m);

// The corrected reflection (M - e00) / (e01e10 + e11 (M - e00)) and the raw reading that gives
// a corrected one, e00 + e01e10 G / (1 - e11 G).
Cplx Corrected(Cplx m, const std::array<Cplx, 3>& terms);
Cplx RawFromCorrected(Cplx gamma, const std::array<Cplx, 3>& terms);
// d Gamma / d (e00, e11, e01e10) at the raw reading m, and d Gamma / dM.
std::array<Cplx, 3> CorrectionTermDerivatives(Cplx m, const std::array<Cplx, 3>& terms);
Cplx CorrectionReadingDerivative(Cplx m, const std::array<Cplx, 3>& terms);

// The covariance of the three error terms at a point (a 6 x 6 real matrix over the real and
// imaginary parts of e00, e11, e01e10, by rows).
struct TermCovariance {
    std::array<double, 36> c{};
    // Adds the effect of an input of covariance `input` whose derivatives of the terms are d.
    void Add(const std::array<Cplx, 3>& d, const Cov2& input);
    // The covariance of a value whose derivatives by the terms are d.
    Cov2 Project(const std::array<Cplx, 3>& d) const;
};

}  // namespace kv
