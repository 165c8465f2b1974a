#include "probe/FrequencyPage.h"

namespace kv {

std::optional<FrequencyPage::Refusal> FrequencyPage::LeaveCheck() const {
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
