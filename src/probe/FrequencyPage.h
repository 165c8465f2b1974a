#pragma once

// Values of the "Set Frequency" page and its own leave-page checks.

#include <optional>
#include <string>

#include "probe/Sweep.h"

namespace kv {

struct FrequencyPage {
    Sweep sweep;
    bool setChartScale = true;
    bool logSweepEnabled = true;

    struct Refusal {
        std::string text;
        std::string caption;
    };
    // The checks made when the operator leaves the page with OK: the start may not lie above
    // the stop, and there must be at least one point. Equal start and stop pass.
    std::optional<Refusal> LeaveCheck() const;
};

// The unit texts the page offers, in order.
inline constexpr const char* kUnitTexts[] = {"Hz", "KHz", "MHz", "GHz"};

}  // namespace kv
