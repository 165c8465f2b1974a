#pragma once

// The result of a sample measurement: the sweep's frequencies, and the permittivity and the
// sensitivity the probe model computed at each point of it.

#include <vector>

#include "numerics/CComplex.h"

namespace kv {

struct MeasurementResult {
    std::vector<double> frequencies;
    // (e', e''): the imaginary part is e'', positive for a lossy sample (unlike the e' - j e'' of
    // Standards.h and ReferenceLiquids.h). A point the model could not compute is 9999 in both.
    std::vector<CComplex> permittivity;
    std::vector<double> sensitivity;
    // The standard uncertainties (k = 1) of e' and e'' at each point, propagated from the
    // analyzer's scatter, the water's temperature and the other terms of the calibration's
    // budget; 9999 where the point could not be computed. Empty when none was computed (a data
    // file without them, a measurement made before the uncertainty was known).
    std::vector<double> uncertaintyE1;
    std::vector<double> uncertaintyE2;
};

}  // namespace kv
