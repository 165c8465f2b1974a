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

std::array<CPlotFormat, kFormatCount> DefaultFormats() {
    std::array<CPlotFormat, kFormatCount> f;
    f[kFormatE1] = CPlotFormat::Make("e'", {200, 20, 0, 100});
    f[kFormatE2] = CPlotFormat::Make("e''", {200, 20, 0, 20});
    f[kFormatTanE] = CPlotFormat::Make("Loss tangent e", {200, 20, 0, 10});
    f[kFormatColeColeE] = CPlotFormat::Make("Cole-Cole e", {0, 100, 0, 100});
    f[kFormatU1] = CPlotFormat::Make("u'", {200, 20, 0, 100});
    f[kFormatU2] = CPlotFormat::Make("u''", {200, 20, 0, 20});
    f[kFormatTanU] = CPlotFormat::Make("Loss tangent u", {200, 20, 0, 10});
    f[kFormatColeColeU] = CPlotFormat::Make("Cole-Cole u", {0, 100, 0, 100});
    f[kFormatTableReIm] = CPlotFormat::Make("e'", {0, 100, 0, 100});
    f[kFormatTableReIm].columnTitles = {"e'", "e''", "u'", "u''"};
    f[kFormatTableReTan] = CPlotFormat::Make("", {0, 100, 0, 100});
    f[kFormatTableReTan].columnTitles = {"e'", "e''/e'", "u'", "u''/u'"};
    return f;
}

}  // namespace kv
