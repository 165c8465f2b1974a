// libFuzzer target: the LibreVNA trace reader on any line the GUI might send for :VNA:TRAC:DATA?.
// A reading it accepts holds only finite numbers, and a refusal always says why.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "LibreVnaTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<kv::LibreVnaPoint> points;
    std::string error;
    if (kv::ParseLibreVnaTrace(text, points, error)) {
        if (points.empty()) {
            __builtin_trap();  // an accepted answer holds at least one point
        }
        for (const auto& p : points) {
            if (!std::isfinite(p.frequency) || !std::isfinite(p.re) || !std::isfinite(p.im)) {
                __builtin_trap();
            }
        }
    } else if (error.empty() || !points.empty()) {
        __builtin_trap();
    }
    return 0;
}
