#pragma once

// A measurement against a reference liquid: how far the measured permittivity lies from the
// liquid's published one, over the points where the liquid's model holds.

#include "probe/MeasurementResult.h"
#include "probe/ReferenceLiquids.h"

namespace kv {

// The deviation de = measured - liquid, both written e' + j e'' with e'' positive for a lossy
// material (so de'' = e''measured - e''liquid).
struct LiquidComparison {
    int count = 0;                  // points compared
    double firstFrequency = 0.0;    // Hz: the first and the last point compared, in the result's
    double lastFrequency = 0.0;     // order; both 0 when no point was compared
    double maxRealDeviation = 0.0;  // largest |de'|
    double maxLossDeviation = 0.0;  // largest |de''|
    double maxRelativeDeviation = 0.0;  // largest |de| / |e liquid|, in percent
};

// Compares the result with the liquid at a temperature (Celsius). A point takes part when its
// frequency lies in the liquid's frequency range (both ends included, each widened by a part in
// 10^9 so that the rounding of a sweep's frequencies does not drop a point at an end), the probe
// model computed it (not marked 9999 in both parts, finite) and the liquid's permittivity is
// offered there (none is at a temperature the liquid does not offer: count 0).
LiquidComparison CompareWithLiquid(const MeasurementResult& result, const ReferenceLiquid& liquid,
                                   double temperatureC);

}  // namespace kv
