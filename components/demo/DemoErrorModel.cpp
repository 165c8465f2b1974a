#include "DemoErrorModel.h"

#include <cmath>

namespace kv {

namespace {

constexpr double kSpeedOfLight = 299792458.0;
constexpr double kCableLength = 1.0;     // m
constexpr double kVelocityFactor = 0.7;  // solid PTFE dielectric
constexpr double kPortDelay = 0.35e-9;   // s, from the bridge to the port connector
constexpr double kDegree = 3.14159265358979323846 / 180.0;

CComplex Polar(double magnitude, double phase) {
    return {magnitude * std::cos(phase), magnitude * std::sin(phase)};
}

double FromDb(double db) {
    return std::pow(10.0, db / 20.0);
}

}  // namespace

ErrorTerms DemoErrorTerms(double f, double cablePhaseDegrees) {
    const double twoPi = 2.0 * 3.14159265358979323846;
    const double ghz = f * 1e-9;
    const double roundTripDelay = 2.0 * kCableLength / (kVelocityFactor * kSpeedOfLight);
    // Skin-effect and dielectric loss of the cable, each way.
    const double cableLossDb = 0.30 * std::sqrt(std::fabs(ghz)) + 0.03 * std::fabs(ghz);
    const double cablePhase = -twoPi * f * roundTripDelay - cablePhaseDegrees * kDegree;

    ErrorTerms terms;
    terms.directivity = Polar(FromDb(-30.0) * (1.0 + 0.25 * std::sin(twoPi * f / 1.3e9)),
                              0.7 - twoPi * f * kPortDelay);
    terms.sourceMatch =
        Polar(FromDb(-26.0) * (1.0 + 0.2 * std::cos(twoPi * f / 2.1e9)), -1.1 + cablePhase);
    terms.tracking = Polar(0.95 * FromDb(-2.0 * cableLossDb), 0.17 + cablePhase);
    return terms;
}

CComplex RawReflection(const ErrorTerms& terms, CComplex gamma) {
    const CComplex denominator =
        CComplex::Subtract(CComplex(1.0, 0.0), CComplex::Multiply(terms.sourceMatch, gamma));
    return CComplex::Add(terms.directivity,
                         CComplex::Divide(CComplex::Multiply(terms.tracking, gamma), denominator));
}

}  // namespace kv
