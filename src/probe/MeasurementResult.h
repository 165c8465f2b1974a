#pragma once

// The result of a sample measurement: the sweep's frequencies, and the permittivity and the
// sensitivity the probe model computed at each point of it.

#include <vector>

#include "numerics/CComplex.h"

namespace kv {

struct MeasurementResult {
    std::vector<double> frequencies;
    std::vector<CComplex> permittivity;
    std::vector<double> sensitivity;
};

}  // namespace kv
