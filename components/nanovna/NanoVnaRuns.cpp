#include "NanoVnaRuns.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "instrument/LinearRuns.h"

namespace kv {

namespace {

constexpr double kTolerance = 1.0;  // Hz

std::uint64_t Whole(double hz) {
    return static_cast<std::uint64_t>(std::llround(std::max(hz, 0.0)));
}

// Whole-hertz frequencies start + i * step.
struct Grid {
    std::uint64_t start = 0;
    std::uint64_t step = 0;
};

// The points [a, b] as scans of at most `most` points, evenly cut; on `grid` (whose start is point
// a's) where it is given, else from the list's own frequencies to the nearest hertz.
void Cut(std::span<const double> list, int a, int b, const NanoVnaLimits& limits, const Grid* grid,
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
        if (grid != nullptr) {
            p.startHz = grid->start + grid->step * static_cast<std::uint64_t>(at - a);
            p.stopHz = p.startHz + grid->step * static_cast<std::uint64_t>(size - 1);
        } else {
            p.startHz = Whole(list[static_cast<std::size_t>(at)]);
            p.stopHz = Whole(list[static_cast<std::size_t>(at + size - 1)]);
        }
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
            if (grid != nullptr && size > 1) {
                step = static_cast<double>(grid->step);
            } else if (limits.wholeHertzStep) {
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

// Splits [a, b] into runs start + i * step, both whole hertz and the step at least 1 Hz, that put
// every point within 1 Hz of the list; each run takes as many points as any such grid can.
void SplitWhole(std::span<const double> list, int a, int b, const NanoVnaLimits& limits,
                std::vector<NanoVnaPiece>& out) {
    // A little inside the driver's 1 Hz, so that rounding here cannot plan a point it refuses.
    constexpr double kInside = kTolerance - 1e-3;
    // A whole-hertz start within the tolerance of the run's first point, and the whole steps
    // that keep every point so far within it of start + i * step.
    struct Candidate {
        double start;
        double low;
        double high;
    };
    int first = a;
    while (first <= b) {
        const double x0 = list[static_cast<std::size_t>(first)];
        std::vector<Candidate> alive;
        for (double f0 = std::ceil(x0 - kInside); f0 <= x0 + kInside; f0 += 1.0) {
            alive.push_back({f0, 1.0, std::numeric_limits<double>::infinity()});
        }
        int end = first;
        for (int j = first + 1; j <= b; ++j) {
            const double x = list[static_cast<std::size_t>(j)];
            const double k = j - first;
            std::vector<Candidate> next;
            for (Candidate c : alive) {
                c.low = std::max(c.low, std::ceil((x - kInside - c.start) / k));
                c.high = std::min(c.high, std::floor((x + kInside - c.start) / k));
                if (c.low <= c.high) {
                    next.push_back(c);
                }
            }
            if (next.empty()) {
                break;
            }
            alive = std::move(next);
            end = j;
        }
        // Of the grids that fit, the start nearest the first point and the step nearest the
        // run's own.
        const Candidate* best = &alive.front();
        for (const Candidate& c : alive) {
            if (std::fabs(c.start - x0) < std::fabs(best->start - x0)) {
                best = &c;
            }
        }
        const double slope =
            end > first ? (list[static_cast<std::size_t>(end)] - x0) / (end - first) : 1.0;
        const double high = std::isfinite(best->high) ? best->high : best->low;
        const Grid grid{static_cast<std::uint64_t>(best->start),
                        static_cast<std::uint64_t>(std::clamp(std::round(slope), best->low, high))};
        Cut(list, first, end, limits, &grid, out);
        first = end + 1;
    }
}

}  // namespace

std::vector<NanoVnaPiece> PlanNanoVnaScans(std::span<const double> list,
                                           const NanoVnaLimits& limits) {
    std::vector<NanoVnaPiece> pieces;
    if (limits.wholeHertzStep) {
        // Every whole-hertz run is linear: the list is cut into them directly.
        SplitWhole(list, 0, static_cast<int>(list.size()) - 1, limits, pieces);
        return pieces;
    }
    int at = 0;
    for (const LinearRun& run : SplitLinearRuns(list, kTolerance)) {
        Cut(list, at, at + run.points - 1, limits, nullptr, pieces);
        at += run.points;
    }
    return pieces;
}

}  // namespace kv
