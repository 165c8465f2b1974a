#pragma once

// Seeded complex Gaussian noise. The generator (64-bit Mersenne twister) and the transform
// (Box-Muller) are written out, so a seed gives the same noise with every standard library.

#include <cstdint>
#include <random>

#include "numerics/CComplex.h"

namespace kv {

class GaussianNoise {
public:
    explicit GaussianNoise(std::uint64_t seed) : engine_(seed) {}

    // Independent normal real and imaginary parts with standard deviation sigma.
    CComplex Next(double sigma);

private:
    double Uniform();  // in (0, 1]

    std::mt19937_64 engine_;
};

}  // namespace kv
