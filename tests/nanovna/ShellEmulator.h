#pragma once

// An emulated NanoVNA text shell on a pseudo terminal, written from docs/usb-analyzers.md: it
// echoes what it is sent, answers in "\r\n" lines and prompts "ch> " after every command. Its
// S11 is the Demo analyzer's model of what is at the probe, seen through its error box, printed
// with "%f" as the firmware prints it. It serves from a thread of its own.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DemoMaterial.h"
#include "probe/ProbeModel.h"

namespace kv::test {

enum class ShellFault {
    None,
    Garbled,    // a scan line whose frequency is no number
    NoPrompt,   // the scan's lines, then no prompt
    ShortRead,  // fewer lines than points, then the prompt
    Silent,     // nothing at all in answer to the scan
};

struct ShellOptions {
    // DiSlord-like: "p:N" in info and the scan mask's bits 0x08/0x10/0x20 honoured; else
    // original-like: no p:, the largest scan told by the refusal only, and its own correction
    // turned off by "cal off".
    bool dislord = true;
    int maxPoints = 101;
    std::string board = "Nowhere VNA-Z";
    std::string version = "0.9.9-test";
    ShellFault fault = ShellFault::None;
    int faultAtScan = 1;  // the fault hits this scan (1 the first)
};

class ShellEmulator {
public:
    explicit ShellEmulator(ShellOptions options = {});
    ~ShellEmulator();

    // Opens the pseudo terminal and starts serving; the slave's path, empty on failure.
    std::string Start();
    void Stop();

    // What is at the probe at each sweep in turn (the last one stays); a scan that does not
    // start above the previous one begins a sweep.
    void SetSequence(std::vector<DemoMaterial> sequence);

    std::vector<std::string> Commands() const;  // every command line, in order
    int Sweeps() const;
    // The S11 printed for each frequency, as printed ("re im").
    std::map<std::uint64_t, std::string> Printed() const;
    // The raw S11 of a material at f, before printing.
    CComplex RawAt(const DemoMaterial& material, double f) const;

private:
    void Serve();
    std::string Execute(const std::string& line);
    std::string Scan(const std::vector<std::string>& args);

    ShellOptions options_;
    ProbeModel model_;
    int master_ = -1;
    int slave_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<DemoMaterial> sequence_;
    std::size_t next_ = 0;
    DemoMaterial material_ = DemoMaterial::Air();
    int sweeps_ = 0;
    int scans_ = 0;
    std::uint64_t lastScanStart_ = UINT64_MAX;
    std::map<std::uint64_t, std::string> printed_;
    bool paused_ = false;
    bool calApplied_ = true;
    std::uint64_t sweepStart_ = 50000, sweepStop_ = 900000000;
    int sweepPoints_ = 101;
};

}  // namespace kv::test
