#pragma once

// A list of frequencies as runs of equally spaced points, the form in which an analyzer's segment
// table holds a list: a run is swept from its start to its stop in `points` equal steps.

#include <span>
#include <vector>

namespace kv {

struct LinearRun {
    double start = 0;  // Hz, the run's first point
    double stop = 0;   // Hz, its last point (the start for a run of one point)
    int points = 0;
};

// How far a point of the list may lie from where its run puts it.
inline constexpr double kLinearRunTolerance = 1.0;  // Hz

// The list, in order, as runs that each begin at a point of the list and end at a later one, every
// point within `tolerance` of start + k (stop - start) / (points - 1). Each run takes as many of
// the following points as it can, so a list made of n linear runs gives n runs (a point where two
// runs meet goes to the earlier one); a list without three points in a line gives runs of two.
// Each run holds its own points: no two runs share one. Empty for an empty list.
std::vector<LinearRun> SplitLinearRuns(std::span<const double> frequencies,
                                       double tolerance = kLinearRunTolerance);

// The frequencies of the program's logarithmic sweep from `start` to `stop` in `points` points:
// ten segments equal in log10, each with (points - 1) / 10 points equally spaced in hertz from its
// lower edge, then the stop frequency. For drivers that take such a sweep as a list.
std::vector<double> LogSweepFrequencies(double start, double stop, int points);

// The points of the runs, in order (the inverse of SplitLinearRuns, to the tolerance).
std::vector<double> ExpandLinearRuns(std::span<const LinearRun> runs);

}  // namespace kv
