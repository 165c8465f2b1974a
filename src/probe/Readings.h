#pragma once

// Whether the values an analyzer returned for a sweep can be reflections at all. A reflection
// coefficient of a passive one-port lies within the unit circle; an uncorrected or a corrected
// reading may stray beyond it, but never by orders of magnitude. A value that is not a finite
// number, or one far outside (a data block read in the wrong byte order gives values near 1e172),
// makes the whole sweep unusable: it is refused rather than turned into invalid points.

#include <cstddef>
#include <span>
#include <string>

#include "numerics/CComplex.h"

namespace kv {

// Largest magnitude taken as a reading.
inline constexpr double kMaxReadingMagnitude = 1e3;

// The number of values that are not finite or whose magnitude exceeds kMaxReadingMagnitude.
std::size_t CountUnusableReadings(std::span<const CComplex> readings);

// "The analyzer returned N values that are not reflections (not a number, infinite, or of a
// magnitude above 1000, as data in the wrong byte order read); the sweep is not used." (1 value
// ... is not a reflection).
std::string UnusableReadingsText(std::size_t count);

}  // namespace kv
