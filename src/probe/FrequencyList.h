#pragma once

// The frequencies of a sweep, in hertz, as the program sends them to the analyzer and expects
// them back from it.

#include <vector>

#include "probe/Sweep.h"

namespace kv {

// Linear: numPoints points equally spaced from start to stop (none for fewer than one).
// Logarithmic: ten segments of equal length in log10 from start to stop, each with
// (numPoints - 1) / 10 points equally spaced in hertz, and the stop frequency last.
// List: its points. Any other kind of sweep has no points.
std::vector<double> FrequencyList(const Sweep& sweep);

// The list sweep of these points: start and stop their first and last (each in the largest unit
// it reaches), numPoints their count.
Sweep ListSweep(std::vector<double> points);
// The sweep a list of points read back from an analyzer or a file is: the linear or the
// logarithmic sweep between its ends when every point of that sweep's list lies within
// `toleranceHz` of the list's, `preferred` first, else the list.
Sweep SweepOfList(const std::vector<double>& points, SweepKind preferred, double toleranceHz);

// The sweep from start to stop given in hertz, each value kept in the largest unit it reaches
// as the engine keeps it (so its list is the engine's to the last bit).
Sweep SweepBetween(double startHz, double stopHz, int numPoints, SweepKind sweepType);

// Whether a chart of the sweep starts with a logarithmic frequency axis: for a logarithmic sweep,
// and for a list that spans more than a decade.
bool ChartAxisLogarithmic(const Sweep& sweep);

// Two frequency lists are the same sweep when they have the same length and no point is more
// than this far from its partner (a frequency read back in single precision is within it up to
// about 34 GHz).
inline constexpr double kFrequencyTolerance = 1024.0;
bool SameFrequencies(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace kv
