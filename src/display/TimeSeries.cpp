#include "display/TimeSeries.h"

#include <cmath>
#include <cstddef>

#include "probe/ProbeModel.h"

namespace kv {

void TimeSeries::Append(int index, double seconds, const MeasurementResult& result) {
    TimeSeriesRecord record;
    record.index = index;
    record.seconds = seconds;
    for (int k = 0; k < kTimeSeriesFrequencies; ++k) {
        record.values[static_cast<std::size_t>(k)] = CComplex(kInvalidValue, kInvalidValue);
        const double f = frequencies[static_cast<std::size_t>(k)];
        if (f <= 0 || result.frequencies.empty() || result.permittivity.empty()) {
            continue;
        }
        std::size_t best = 0;
        for (std::size_t i = 1; i < result.frequencies.size(); ++i) {
            if (std::fabs(result.frequencies[i] - f) < std::fabs(result.frequencies[best] - f)) {
                best = i;
            }
        }
        if (best < result.permittivity.size()) {
            record.values[static_cast<std::size_t>(k)] = result.permittivity[best];
        }
    }
    records_.push_back(record);
}

}  // namespace kv
