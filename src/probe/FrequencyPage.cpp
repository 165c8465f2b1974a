#include "probe/FrequencyPage.h"

#include "probe/FrequencySegments.h"

namespace kv {

std::optional<FrequencyPage::Refusal> FrequencyPage::LeaveCheck() const {
    if (sweep.sweepType == SweepKind::List) {
        if (auto refusal = CheckFrequencyList(sweep.list)) {
            return Refusal{std::move(*refusal), "Setup"};
        }
        return std::nullopt;
    }
    const double start = sweep.StartHz();
    const double stop = sweep.StopHz();
    if (stop < start) {
        return Refusal{"The start frequency must be less than the stop frequency.", "Setup"};
    }
    if (sweep.numPoints <= 0) {
        return Refusal{"The number of points must be greater than zero.", "Setup"};
    }
    return std::nullopt;
}

}  // namespace kv
