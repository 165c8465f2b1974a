#include "probe/Sweep.h"

#include "probe/Units.h"

namespace kv {

double Sweep::StartHz() const {
    return startValue * UnitMultiplier(startUnit);
}

double Sweep::StopHz() const {
    return stopValue * UnitMultiplier(stopUnit);
}

}  // namespace kv
