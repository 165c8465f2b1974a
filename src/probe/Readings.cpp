#include "probe/Readings.h"

#include <cmath>

namespace kv {

std::size_t CountUnusableReadings(std::span<const CComplex> readings) {
    std::size_t count = 0;
    for (const CComplex& v : readings) {
        // hypot does not overflow for parts near the limit of a double; !(<=) counts NaN.
        if (!std::isfinite(v.re) || !std::isfinite(v.im) ||
            !(std::hypot(v.re, v.im) <= kMaxReadingMagnitude)) {
            ++count;
        }
    }
    return count;
}

std::string UnusableReadingsText(std::size_t count) {
    const bool one = count == 1;
    return "The analyzer returned " + std::to_string(count) +
           (one ? " value that is" : " values that are") + " not " +
           (one ? "a reflection" : "reflections") +
           " (not a number, infinite, or of a magnitude above 1000, as data in the wrong byte "
           "order read); the sweep is not used.";
}

}  // namespace kv
