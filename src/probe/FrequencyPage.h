#pragma once

// Values of the "Set Frequency" page and its own leave-page checks.

#include <optional>
#include <string>

namespace kv {

struct FrequencyPage {
    double startValue = 200.0;
    std::string startUnit = "MHz";
    double stopValue = 20.0;
    std::string stopUnit = "GHz";
    int numPoints = 51;
    int sweepType = 0;  // 0 linear, 1 logarithmic
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
