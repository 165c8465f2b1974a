#pragma once

// The values a series of measurements leaves for the time chart: at up to four chosen
// frequencies, e' and e'' of each record against its time. Only these are kept (not whole
// traces), so a series of any length takes memory in proportion to its records alone.

#include <array>
#include <vector>

#include "numerics/CComplex.h"
#include "probe/MeasurementResult.h"

namespace kv {

inline constexpr int kTimeSeriesFrequencies = 4;

struct TimeSeriesRecord {
    int index = 0;         // the record's number in the series, from 0
    double seconds = 0.0;  // the sweep's start, since the series began
    // (e', e'') at each chosen frequency (the nearest point of the record's frequency list);
    // 9999 where the point could not be computed or no frequency is chosen.
    std::array<CComplex, kTimeSeriesFrequencies> values{};
};

class TimeSeries {
public:
    // The frequencies followed, Hz (0 for an unused slot); changing them keeps the records
    // already taken (their values at the old frequencies).
    std::array<double, kTimeSeriesFrequencies> frequencies{};

    // A new series: the records go.
    void Clear() { records_.clear(); }
    // Appends a record of `result` at `seconds`.
    void Append(int index, double seconds, const MeasurementResult& result);
    const std::vector<TimeSeriesRecord>& Records() const { return records_; }

private:
    std::vector<TimeSeriesRecord> records_;
};

}  // namespace kv
