#pragma once

// Trace math: what the chart and the table show of each trace against the reference trace.

#include <cstdint>

namespace kv {

// Setup files keep it as this int; a stored int that is none of these is kept as it is: the
// values are then shown unchanged, in the texts of math on.
enum class TraceMath : std::int32_t {
    Off = 0,
    Divide = 1,    // "/ref": each value divided by the reference's
    Subtract = 2,  // "-ref": the reference's value subtracted from each
};

}  // namespace kv
