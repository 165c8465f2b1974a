#pragma once

// The end-to-end run of the SCPI analyzer through the document, whatever carries its messages (a
// raw socket, VXI-11): air, shorting block and water at their prompts, then methanol.

#include <string>

#include "ScpiDriver.h"
#include "ScpiSimulator.h"
#include "instrument/LanCardId.h"
#include "probe/Standards.h"
#include "probe/Sweep.h"

namespace kv::test {

inline const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

// Connects a document to the SCPI analyzer at 127.0.0.1 `instrumentAddress` (or on another card
// at `cardAddress`, its devices opened with `opener`), sets a sweep of 51
// points from 200 MHz to 6 GHz of `sweepType`, calibrates with air, shorting block and water
// (the operator putting at the probe what each prompt asks for) and measures methanol: every
// point within 0.1 % of |eps|, in four sweeps, without a message.
void ExpectMethanolThroughTheDocument(ScpiSimulator& sim, const ScpiSettings& settings,
                                      const std::string& instrumentAddress, SweepKind sweepType,
                                      const std::string& cardClsid = kLanCardClsid,
                                      const std::string& cardAddress = "127.0.0.1",
                                      UsbtmcOpener opener = {});

}  // namespace kv::test
