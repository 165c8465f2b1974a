#pragma once

// One of the NanoVNA family's two ways of talking, behind the driver: the text shell of the
// original firmware and its descendants, and the binary register protocol of the V2 boards. The
// driver (NanoVnaDriver) owns the link, splits sweeps and lists into linear runs the protocol
// accepts, checks the frequencies, corrects S11 with the downloaded terms and handles timeouts,
// reopening and abort; a protocol only speaks.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SerialLink.h"
#include "numerics/CComplex.h"

namespace kv {

// What the analyzer is and what one scan of it can do, learned when it is taken over.
struct NanoVnaLimits {
    std::string name;     // for the operator: "NanoVNA-H 4 (shell, firmware 1.2.00, ...)"
    double minHz = 50e3;  // the family's frequency range
    double maxHz = 900e6;
    int maxScanPoints = 101;  // the most points one scan returns
    int minScanPoints = 2;    // the fewest points one scan may ask for
    // True when a run's frequencies must be start + i * step with a whole-hertz step (the V2
    // protocol); false when the analyzer spreads them itself between start and stop (the shell's
    // `scan`, whose frequencies it reports).
    bool wholeHertzStep = false;
};

// One scan's answer: the frequencies as the analyzer reports or places them, and raw S11.
struct NanoVnaScan {
    std::vector<double> frequencies;  // Hz
    std::vector<CComplex> s11;        // uncorrected by the analyzer wherever it allows
};

class NanoVnaProtocol {
public:
    virtual ~NanoVnaProtocol() = default;

    // "shell" or "V2", for messages and the docs.
    virtual const char* FamilyName() const = 0;
    // Takes the analyzer over on an open link: identifies it, holds its own sweeping, turns off
    // its own correction where it can and learns its limits. False with the reason.
    virtual bool Begin(SerialLink& link, int timeoutMs, NanoVnaLimits& limits,
                       std::string& error) = 0;
    // One linear run of `points` from `startHz` to `stopHz` (whole hertz; for a protocol with
    // wholeHertzStep, (stop - start) / (points - 1) is whole). False with a reason that names the
    // command that failed. `timeoutMs` already scales with the points asked.
    virtual bool Scan(SerialLink& link, std::uint64_t startHz, std::uint64_t stopHz, int points,
                      int timeoutMs, NanoVnaScan& scan, std::string& error) = 0;
    // Gives the analyzer back as it was found (its own sweep settings, `resume`, USB mode left),
    // as far as it can; never waits longer than `timeoutMs` in all.
    virtual void End(SerialLink& link, int timeoutMs) = 0;
};

// What the analyzer on a freshly opened link answers to one carriage return (0x0D), read for up
// to `timeoutMs`: the shell echoes it and prompts "ch> ", the V2 protocol answers the byte 2.
// Nothing else is written. Unknown when neither came back.
enum class NanoVnaAnswer { Unknown, Shell, V2 };
NanoVnaAnswer DetectNanoVna(SerialLink& link, int timeoutMs, std::string& error);

std::unique_ptr<NanoVnaProtocol> MakeShellProtocol();
std::unique_ptr<NanoVnaProtocol> MakeV2Protocol();

}  // namespace kv
