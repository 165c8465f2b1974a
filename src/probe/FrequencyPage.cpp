#include "probe/FrequencyPage.h"

#include "probe/Units.h"

namespace kv {

std::optional<FrequencyPage::Refusal> FrequencyPage::LeaveCheck() const {
    const double start = startValue * UnitMultiplier(startUnit);
    const double stop = stopValue * UnitMultiplier(stopUnit);
    if (stop < start) {
        return Refusal{"The start frequency must be less than the stop frequency.", "Setup"};
    }
    if (numPoints <= 0) {
        return Refusal{"The number of points must be greater than zero.", "Setup"};
    }
    return std::nullopt;
}

}  // namespace kv
