#include "probe/Standards.h"

namespace kv {

namespace {

struct WaterRow {
    double temperature;
    ColeCole parameters;  // eo, einf, alpha, tau
};

constexpr WaterRow kWater[] = {
    {0.0, {88.3, 4.46, 0.014, 1.79e-11}}, {10.0, {84.1, 4.1, 0.014, 1.26e-11}},
    {20.0, {80.4, 4.23, 0.013, 9.3e-12}}, {30.0, {76.8, 4.2, 0.012, 7.2e-12}},
    {40.0, {73.2, 4.16, 0.009, 5.8e-12}}, {50.0, {70.0, 4.13, 0.013, 4.8e-12}},
    {60.0, {66.6, 4.21, 0.011, 3.9e-12}}, {75.0, {62.1, 4.49, 0.0, 3.2e-12}},
};
constexpr int kWaterRows = sizeof(kWater) / sizeof(kWater[0]);
static_assert(kWater[0].temperature == kWaterLowestTemperature &&
              kWater[kWaterRows - 1].temperature == kWaterHighestTemperature);

// value(T_upper) - (T_upper - T) * slope: the upper row is exact at its own temperature.
double Interpolate(double lower, double upper, double tLower, double tUpper, double t) {
    const double slope = (upper - lower) / (tUpper - tLower);
    return upper - (tUpper - t) * slope;
}

}  // namespace

CComplex ColeColePermittivity(double f, const ColeCole& material) {
    const double w = f * material.tau * kTwoPi;
    const CComplex z = CComplex::Multiply(CComplex(0.0, 1.0), CComplex(w, 0.0));
    const CComplex p = CComplex::Pow(z, 1.0 - material.alpha);
    return CComplex::Add(CComplex(material.einf, 0.0),
                         CComplex::Divide(CComplex(material.eo - material.einf, 0.0),
                                          CComplex::Add(CComplex(1.0, 0.0), p)));
}

ColeCole WaterParameters(double temperature) {
    // Written so that a temperature that is not a number fails the test and reads as 0 C.
    if (!(temperature > kWater[0].temperature)) {
        return kWater[0].parameters;
    }
    if (temperature > kWater[kWaterRows - 1].temperature) {
        return kWater[kWaterRows - 1].parameters;
    }
    // Intervals are closed at their upper end: (0, 10], (10, 20], ..., (60, 75].
    int upper = 1;
    while (temperature > kWater[upper].temperature) {
        ++upper;
    }
    const WaterRow& lo = kWater[upper - 1];
    const WaterRow& hi = kWater[upper];
    auto at = [&](double ColeCole::*field) {
        return Interpolate(lo.parameters.*field, hi.parameters.*field, lo.temperature,
                           hi.temperature, temperature);
    };
    ColeCole result;
    result.eo = at(&ColeCole::eo);
    result.einf = at(&ColeCole::einf);
    result.alpha = at(&ColeCole::alpha);
    result.tau = at(&ColeCole::tau);
    return result;
}

ColeCole WaterParameterSlopes(double temperature, bool* clamped) {
    const bool outside =
        !(temperature >= kWater[0].temperature) || temperature > kWater[kWaterRows - 1].temperature;
    if (clamped != nullptr) {
        *clamped = outside;
    }
    if (outside) {
        return {0.0, 0.0, 0.0, 0.0};
    }
    int upper = 1;
    while (temperature > kWater[upper].temperature) {
        ++upper;
    }
    const WaterRow& lo = kWater[upper - 1];
    const WaterRow& hi = kWater[upper];
    const double span = hi.temperature - lo.temperature;
    return {(hi.parameters.eo - lo.parameters.eo) / span,
            (hi.parameters.einf - lo.parameters.einf) / span,
            (hi.parameters.alpha - lo.parameters.alpha) / span,
            (hi.parameters.tau - lo.parameters.tau) / span};
}

CComplex WaterPermittivity(double f, double temperature) {
    return ColeColePermittivity(f, WaterParameters(temperature));
}

}  // namespace kv
