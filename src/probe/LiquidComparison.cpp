#include "probe/LiquidComparison.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "probe/ProbeModel.h"

namespace kv {

namespace {

// The margin at each end of the liquid's frequency range, relative to that end.
constexpr double kRangeMargin = 1e-9;

bool Computed(const CComplex& value) {
    const bool marked = value.re == kInvalidValue && value.im == kInvalidValue;
    return !marked && std::isfinite(value.re) && std::isfinite(value.im);
}

}  // namespace

LiquidComparison CompareWithLiquid(const MeasurementResult& result, const ReferenceLiquid& liquid,
                                   double temperatureC) {
    LiquidComparison c;
    const double lowest = liquid.lowestFrequency * (1.0 - kRangeMargin);
    const double highest = liquid.highestFrequency * (1.0 + kRangeMargin);
    const std::size_t n = std::min(result.frequencies.size(), result.permittivity.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double f = result.frequencies[i];
        const CComplex& measured = result.permittivity[i];
        if (!(f >= lowest && f <= highest) || !Computed(measured)) {
            continue;
        }
        const auto reference = LiquidPermittivity(liquid, temperatureC, f);
        if (!reference) {
            continue;
        }
        // The result holds (e', e''), the liquid's model e' - j e''.
        const double dReal = measured.re - reference->re;
        const double dLoss = measured.im + reference->im;
        const double magnitude = std::hypot(reference->re, reference->im);
        if (c.count == 0) {
            c.firstFrequency = f;
        }
        c.lastFrequency = f;
        ++c.count;
        c.maxRealDeviation = std::max(c.maxRealDeviation, std::fabs(dReal));
        c.maxLossDeviation = std::max(c.maxLossDeviation, std::fabs(dLoss));
        c.maxRelativeDeviation =
            std::max(c.maxRelativeDeviation, 100.0 * std::hypot(dReal, dLoss) / magnitude);
    }
    return c;
}

}  // namespace kv
