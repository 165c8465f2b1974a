#pragma once

// The check a logarithmic axis gets at every paint: a minimum not above 0 becomes 1, and a
// maximum below the minimum becomes the minimum plus 1 (in the minimum's unit). The messages
// say what was changed.

#include <string>
#include <vector>

#include "display/CPlotFormat.h"

namespace kv {

inline constexpr const char* kLogLimitsCaption = "Chart";
inline constexpr const char* kLogMinHorizontalText =
    "Zero or negitive values not allowed in log scale.  Minimum value of horizonal scale set to 1";
inline constexpr const char* kLogMinVerticalText =
    "Zero or negitive values not allowed in log scale.  Minimum value of verticle scale set to 1";
inline constexpr const char* kLogMaxHorizontalText =
    "Maximum value of scale must be larger than miminum.  Maximum value of horizonal scale set "
    "to miminum value+1";
inline constexpr const char* kLogMaxVerticalText =
    "Maximum value of scale must be larger than miminum.  Maximum value of verticle scale set to "
    "miminum value+1";

// Corrects the current limits of each logarithmic axis of the format (horizontal first, in Hz
// for a frequency format) and returns the messages to show, in order. A linear axis is never
// touched.
std::vector<std::string> CorrectLogLimits(CPlotFormat& format);

}  // namespace kv
