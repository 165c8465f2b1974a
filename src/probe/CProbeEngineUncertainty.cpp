#include "probe/CProbeEngine.h"

namespace kv {

std::optional<UncertaintyBudget> CProbeEngine::BudgetAt(std::size_t) const {
    return std::nullopt;
}

}  // namespace kv
