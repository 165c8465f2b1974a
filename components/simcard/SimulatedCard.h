#pragma once

// The GPIB card the Demo analyzer sits on. It has no bus: the program only lists it and hands its
// CLSID to the driver.

#include "instrument/IInstrumentDriver.h"

namespace kv {

class SimulatedCard : public IGpibCard {};

}  // namespace kv
