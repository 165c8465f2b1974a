#pragma once

// How the NanoVNA driver measures a list of frequencies: as consecutive linear scans the
// analyzer accepts. A pure function of the list and the analyzer's limits, for the driver and
// its tests.

#include <cstdint>
#include <span>
#include <vector>

#include "NanoVnaProtocol.h"

namespace kv {

struct NanoVnaPiece {
    std::uint64_t startHz = 0;  // the scan sent
    std::uint64_t stopHz = 0;
    int points = 0;
    int first = 0;  // the scan's point that is the list's point `listIndex`
    int listIndex = 0;
    int count = 0;  // the list's points this scan measures (from `first` on)
};

// The list (strictly increasing, Hz) as scans: its linear runs (LinearRuns.h), each cut into
// pieces of at most maxScanPoints, none shorter than minScanPoints. With wholeHertzStep the runs
// are instead the longest whose points lie within 1 Hz of start + i * step with start and step
// in whole hertz, and every piece of one lies on that grid (stop - start is a whole multiple of
// points - 1). A piece with fewer points than the minimum is scanned as part of a longer run
// (extra points below it, or above it at the lowest frequencies) whose extra points are dropped.
std::vector<NanoVnaPiece> PlanNanoVnaScans(std::span<const double> list,
                                           const NanoVnaLimits& limits);

}  // namespace kv
