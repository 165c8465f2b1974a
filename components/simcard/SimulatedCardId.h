#pragma once

// The CLSID of the Simulated GPIB card, as its plugin metadata states it. The Demo analyzer
// accepts only this card.

namespace kv {

inline constexpr const char* kSimulatedCardClsid = "{FEA82D79-C945-4487-82CB-28C1E3267370}";

}  // namespace kv
