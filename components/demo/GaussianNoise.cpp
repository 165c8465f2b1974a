#include "GaussianNoise.h"

#include <cmath>

namespace kv {

double GaussianNoise::Uniform() {
    // 53 random bits, shifted away from 0 so that the logarithm below is finite.
    return (static_cast<double>(engine_() >> 11) + 1.0) * 0x1.0p-53;
}

CComplex GaussianNoise::Next(double sigma) {
    const double radius = std::sqrt(-2.0 * std::log(Uniform()));
    const double angle = 2.0 * 3.14159265358979323846 * Uniform();
    return {sigma * radius * std::cos(angle), sigma * radius * std::sin(angle)};
}

}  // namespace kv
