#include "SimulatedCardPlugin.h"

#include "SimulatedCard.h"

namespace kv {

std::unique_ptr<IGpibCard> SimulatedCardPlugin::CreateCard() {
    return std::make_unique<SimulatedCard>();
}

}  // namespace kv
