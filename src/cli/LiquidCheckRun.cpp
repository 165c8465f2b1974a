#include "cli/LiquidCheckRun.h"

#include <cmath>
#include <string>

#include "persist/ReferenceLiquidFiles.h"
#include "probe/LiquidComparison.h"

namespace kv {

namespace {

constexpr double kGHz = 1e9;

}  // namespace

bool LiquidCheckRun::Prepare(const CliOptions& o, std::FILE* err) {
    ReferenceLiquidLibrary loaded = LoadReferenceLiquids(ReferenceLiquidPaths());
    for (const std::string& problem : loaded.problems) {
        std::fprintf(err, "kv47310-cli: warning: %s; its liquids are not used\n", problem.c_str());
    }
    library_ = std::move(loaded.liquids);
    liquid_ = FindReferenceLiquid(library_, o.checkLiquid);
    if (liquid_ == nullptr) {
        std::string known;
        for (const ReferenceLiquid& l : library_) {
            known += (known.empty() ? "" : ", ") + l.id;
        }
        std::fprintf(
            err, "kv47310-cli: --check: no reference liquid is named '%s'; %s\n",
            o.checkLiquid.c_str(),
            known.empty() ? "the library holds none" : ("the library holds " + known).c_str());
        return false;
    }
    given_ = o.checkTemperature;
    if (given_ && !OffersTemperature(*liquid_, *given_)) {
        std::fprintf(err, "kv47310-cli: --check: %s (%s) is offered %s, not at %s\n",
                     liquid_->id.c_str(), liquid_->name.c_str(),
                     OfferedTemperaturesText(*liquid_).c_str(), CelsiusText(*given_).c_str());
        return false;
    }
    return true;
}

bool LiquidCheckRun::SettleTemperature(double waterTemperature, std::FILE* err) {
    if (given_) {
        temperature_ = *given_;
        return true;
    }
    const double t = DefaultLiquidTemperature(*liquid_, std::nan(""));
    if (!std::isnan(t)) {
        temperature_ = t;
        return true;
    }
    if (!OffersTemperature(*liquid_, waterTemperature)) {
        std::fprintf(err,
                     "kv47310-cli: --check: %s (%s) is offered %s, not at the water temperature "
                     "%s; give one with --check %s:T\n",
                     liquid_->id.c_str(), liquid_->name.c_str(),
                     OfferedTemperaturesText(*liquid_).c_str(),
                     CelsiusText(waterTemperature).c_str(), liquid_->id.c_str());
        return false;
    }
    temperature_ = waterTemperature;
    return true;
}

void LiquidCheckRun::Report(const MeasurementResult& result, std::FILE* err) const {
    const LiquidComparison c = CompareWithLiquid(result, *liquid_, temperature_);
    if (c.count == 0) {
        std::fprintf(err,
                     "check %s %g C: no computed point of the result lies from %g GHz to %g GHz\n",
                     liquid_->id.c_str(), temperature_, liquid_->lowestFrequency / kGHz,
                     liquid_->highestFrequency / kGHz);
        return;
    }
    std::fprintf(err,
                 "check %s %g C: %d points from %g GHz to %g GHz: max |de'| %.3f, max |de''| "
                 "%.3f, max |de|/|e| %.2f %%\n",
                 liquid_->id.c_str(), temperature_, c.count, c.firstFrequency / kGHz,
                 c.lastFrequency / kGHz, c.maxRealDeviation, c.maxLossDeviation,
                 c.maxRelativeDeviation);
}

}  // namespace kv
