#include "LinearRuns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

std::vector<LinearRun> SplitLinearRuns(std::span<const double> f, double tolerance) {
    std::vector<LinearRun> runs;
    const std::size_t n = f.size();
    std::size_t i = 0;
    while (i < n) {
        // A run from f[i] to f[j] has the step (f[j] - f[i]) / (j - i); every point k between
        // bounds that step to [(f[k] - f[i] - tol) / (k - i), (f[k] - f[i] + tol) / (k - i)].
        // The bounds of the points passed so far narrow as j grows; once they hold no step at
        // all, no later end can serve.
        double low = -std::numeric_limits<double>::infinity();
        double high = std::numeric_limits<double>::infinity();
        std::size_t end = i;
        for (std::size_t j = i + 1; j < n && low <= high; ++j) {
            const double span = static_cast<double>(j - i);
            const double step = (f[j] - f[i]) / span;
            if (step >= low && step <= high) {
                end = j;
            }
            low = std::max(low, (f[j] - f[i] - tolerance) / span);
            high = std::min(high, (f[j] - f[i] + tolerance) / span);
        }
        runs.push_back({f[i], f[end], static_cast<int>(end - i + 1)});
        i = end + 1;
    }
    return runs;
}

std::vector<double> ExpandLinearRuns(std::span<const LinearRun> runs) {
    std::vector<double> list;
    for (const auto& run : runs) {
        for (int k = 0; k < run.points; ++k) {
            list.push_back(run.points == 1
                               ? run.start
                               : run.start + k * ((run.stop - run.start) / (run.points - 1)));
        }
    }
    return list;
}

std::vector<double> LogSweepFrequencies(double start, double stop, int points) {
    std::vector<double> list;
    const double l0 = std::log10(start);
    const double d = (std::log10(stop) - l0) * 0.1;
    const int k = (points - 1) / 10;
    for (int s = 0; s < 10 && k >= 1; ++s) {
        const double lo = std::pow(10.0, l0 + s * d);
        const double hi = std::pow(10.0, l0 + (s + 1) * d);
        for (int j = 0; j < k; ++j) {
            list.push_back(lo + j * (hi - lo) / k);
        }
    }
    list.push_back(stop);
    return list;
}

}  // namespace kv
