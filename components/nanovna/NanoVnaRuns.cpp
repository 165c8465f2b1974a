#include "NanoVnaRuns.h"

#include <algorithm>
#include <cmath>

#include "instrument/LinearRuns.h"

namespace kv {

namespace {

constexpr double kTolerance = 1.0;  // Hz

std::uint64_t Whole(double hz) {
    return static_cast<std::uint64_t>(std::llround(std::max(hz, 0.0)));
}

// The points [a, b] as scans of at most `most` points, evenly cut.
void Cut(std::span<const double> list, int a, int b, const NanoVnaLimits& limits,
         std::vector<NanoVnaPiece>& out) {
    const int n = b - a + 1;
    const int most = std::max(limits.maxScanPoints, 2);
    const int pieces = (n + most - 1) / most;
    int at = a;
    for (int k = 0; k < pieces; ++k) {
        const int size = n / pieces + (k < n % pieces ? 1 : 0);
        NanoVnaPiece p;
        p.listIndex = at;
        p.count = size;
        p.startHz = Whole(list[static_cast<std::size_t>(at)]);
        p.stopHz = Whole(list[static_cast<std::size_t>(at + size - 1)]);
        p.points = size;
        const int minimum = std::max(limits.minScanPoints, 1);
        if (size < minimum) {
            // Extra points at the piece's own step (or the gap below it), below the piece when
            // they stay above the lowest frequency, else above it.
            double step = size > 1 ? (list[static_cast<std::size_t>(at + size - 1)] -
                                      list[static_cast<std::size_t>(at)]) /
                                         (size - 1)
                                   : (at > 0 ? list[static_cast<std::size_t>(at)] -
                                                   list[static_cast<std::size_t>(at - 1)]
                                             : 1000.0);
            if (limits.wholeHertzStep) {
                step = std::max(1.0, std::round(step));
            }
            const int extra = minimum - size;
            const double below = static_cast<double>(p.startHz) - extra * step;
            p.points = minimum;
            if (below >= limits.minHz) {
                p.startHz = Whole(below);
                p.first = extra;
            } else {
                p.stopHz = Whole(static_cast<double>(p.stopHz) + extra * step);
                p.first = 0;
            }
        }
        out.push_back(p);
        at += size;
    }
}

// Splits [a, b] where a whole-hertz step would put a point more than 1 Hz from the list.
void SplitWhole(std::span<const double> list, int a, int b, const NanoVnaLimits& limits,
                std::vector<NanoVnaPiece>& out) {
    int start = a;
    while (start <= b) {
        int end = start;
        const double f0 = static_cast<double>(Whole(list[static_cast<std::size_t>(start)]));
        for (int j = start + 1; j <= b; ++j) {
            const double step = std::round((list[static_cast<std::size_t>(j)] - f0) /
                                           static_cast<double>(j - start));
            bool fits = step >= 1;
            for (int i = start; i <= j && fits; ++i) {
                fits = std::fabs(f0 + (i - start) * step - list[static_cast<std::size_t>(i)]) <=
                       kTolerance;
            }
            if (!fits) {
                break;
            }
            end = j;
        }
        Cut(list, start, end, limits, out);
        start = end + 1;
    }
}

}  // namespace

std::vector<NanoVnaPiece> PlanNanoVnaScans(std::span<const double> list,
                                           const NanoVnaLimits& limits) {
    std::vector<NanoVnaPiece> pieces;
    int at = 0;
    for (const LinearRun& run : SplitLinearRuns(list, kTolerance)) {
        const int a = at;
        const int b = at + run.points - 1;
        if (limits.wholeHertzStep) {
            SplitWhole(list, a, b, limits, pieces);
        } else {
            Cut(list, a, b, limits, pieces);
        }
        at = b + 1;
    }
    return pieces;
}

}  // namespace kv
