#include "display/CPlotFormat.h"

#include "probe/Units.h"

namespace kv {

double CPlotFormat::XMinHz() const {
    return IsColeCole() ? current.xMin : current.xMin * UnitMultiplier(minUnit);
}

double CPlotFormat::XMaxHz() const {
    return IsColeCole() ? current.xMax : current.xMax * UnitMultiplier(maxUnit);
}

CPlotFormat CPlotFormat::Make(const std::string& name, Limits limits) {
    CPlotFormat f;
    f.name = name;
    f.current = limits;
    f.defaults = limits;
    f.offer = limits;
    return f;
}

}  // namespace kv
