#include "probe/FrequencyList.h"

#include <cmath>

#include "instrument/IInstrumentDriver.h"
#include "instrument/IListSweep.h"
#include "probe/Units.h"

namespace kv {

static_assert(SweepTypeCode(SweepKind::Linear) == kLinearSweep &&
              SweepTypeCode(SweepKind::Logarithmic) == kLogarithmicSweep &&
              SweepTypeCode(SweepKind::List) == kListSweep);

std::vector<double> FrequencyList(const Sweep& sweep) {
    std::vector<double> frequencies;
    const int n = sweep.numPoints;
    const double a = sweep.StartHz();
    const double b = sweep.StopHz();
    if (sweep.sweepType == SweepKind::Linear) {
        if (n <= 0) {
            return frequencies;
        }
        const double step = n > 1 ? (b - a) / (n - 1) : 0.0;
        frequencies.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            frequencies.push_back(a + i * step);
        }
    } else if (sweep.sweepType == SweepKind::Logarithmic) {
        // 10 k + 1 points.
        const double l0 = std::log10(a);
        const double d = (std::log10(b) - l0) * 0.1;
        const int k = (n - 1) / 10;
        if (k >= 1) {
            frequencies.reserve(static_cast<std::size_t>(10) * k + 1);
        }
        for (int s = 0; s < 10; ++s) {
            const double lo = std::pow(10.0, l0 + s * d);
            const double hi = std::pow(10.0, l0 + (s + 1) * d);
            for (int j = 0; j < k; ++j) {
                frequencies.push_back(lo + j * (hi - lo) / k);
            }
        }
        frequencies.push_back(b);
    } else if (sweep.sweepType == SweepKind::List) {
        frequencies = sweep.list;
    }
    return frequencies;
}

bool ChartAxisLogarithmic(const Sweep& sweep) {
    if (sweep.sweepType == SweepKind::List) {
        return sweep.list.size() >= 2 && sweep.list.front() > 0.0 &&
               sweep.list.back() > 10.0 * sweep.list.front();
    }
    return sweep.sweepType == SweepKind::Logarithmic;
}

Sweep ListSweep(std::vector<double> points) {
    Sweep sweep;
    if (!points.empty()) {
        sweep = SweepBetween(points.front(), points.back(), static_cast<int>(points.size()),
                             SweepKind::List);
    } else {
        sweep.sweepType = SweepKind::List;
        sweep.numPoints = 0;
    }
    sweep.list = std::move(points);
    return sweep;
}

Sweep SweepOfList(const std::vector<double>& points, SweepKind preferred, double toleranceHz) {
    if (points.size() >= 2) {
        const SweepKind other =
            preferred == SweepKind::Logarithmic ? SweepKind::Linear : SweepKind::Logarithmic;
        for (const SweepKind kind :
             {preferred == SweepKind::List ? SweepKind::Linear : preferred, other}) {
            Sweep sweep =
                SweepBetween(points.front(), points.back(), static_cast<int>(points.size()), kind);
            const std::vector<double> list = FrequencyList(sweep);
            bool same = list.size() == points.size();
            for (std::size_t i = 0; same && i < list.size(); ++i) {
                same = std::fabs(list[i] - points[i]) <= toleranceHz;
            }
            if (same) {
                return sweep;
            }
        }
    }
    return ListSweep(points);
}

Sweep SweepBetween(double startHz, double stopHz, int numPoints, SweepKind sweepType) {
    Sweep sweep;
    sweep.startValue = startHz;
    sweep.startUnit = ScaleHzToUnit(sweep.startValue);
    sweep.stopValue = stopHz;
    sweep.stopUnit = ScaleHzToUnit(sweep.stopValue);
    sweep.numPoints = numPoints;
    sweep.sweepType = sweepType;
    return sweep;
}

bool SameFrequencies(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        // Written so that a NaN on either side counts as different.
        if (!(std::fabs(a[i] - b[i]) <= kFrequencyTolerance)) {
            return false;
        }
    }
    return true;
}

}  // namespace kv
