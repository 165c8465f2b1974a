#pragma once

// Permittivity of the calibration materials: Cole-Cole relaxations and water by temperature.
// Permittivity is e' - j e'' (negative imaginary part for a lossy material).

#include "numerics/CComplex.h"

namespace kv {

struct ColeCole {
    double eo = 1.0;    // static permittivity
    double einf = 1.0;  // permittivity at infinite frequency
    double alpha = 0.0;
    double tau = 0.0;  // relaxation time, s
};

// Einf + (Eo - Einf) / (1 + (j w tau)^(1 - alpha)), with w = f tau two pi as the program forms it.
CComplex ColeColePermittivity(double f, const ColeCole& material);

// Water's Cole-Cole parameters at temperature (Celsius), interpolated in the table of rows 0, 10,
// 20, 30, 40, 50, 60 and 75 C over intervals closed at their upper end; clamped outside, and a
// temperature that is not a number reads as 0.
ColeCole WaterParameters(double temperature);
CComplex WaterPermittivity(double f, double temperature);
// The slopes of water's parameters in temperature (per kelvin) at `temperature`: those of the
// table's interval that WaterParameters interpolates in (at a row, the interval that ends there;
// at 0 C the first one). Zero outside 0-75 C, where the table is clamped; `clamped` tells.
ColeCole WaterParameterSlopes(double temperature, bool* clamped = nullptr);

// The first and last temperatures of that table (Celsius).
inline constexpr double kWaterLowestTemperature = 0.0;
inline constexpr double kWaterHighestTemperature = 75.0;

}  // namespace kv
