#pragma once

// An analyzer that speaks the V2 binary protocol (docs/usb-analyzers.md) on a pseudo terminal,
// written from that description, not from the driver. It serves in a thread of its own and keeps
// the terminal's other end open, so a client may close and reopen the path.
//
// Its sweep runs free: after the FIFO is cleared the records start at some point of the sweep
// and wrap around. Its reflection is the Demo analyzer's model of what is at the probe, seen
// through the Demo error box. A new measurement begins (the next material of the sequence) when
// the FIFO is cleared for a sweep that does not start above the one cleared before, so a sweep
// taken as several ascending runs sees one material.

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

struct V2EmulatorOptions {
    // The identification registers 0xf0 to 0xf4.
    int variant = 2;
    int protocol = 1;
    int hardware = 2;
    int firmwareMajor = 1;
    int firmwareMinor = 3;         // 1.1 and older: the first point of every sweep is unreliable
    char indicateAnswer = '2';     // the answer to 0x0d
    bool silent = false;           // nothing is ever answered
    int shortFifoRecords = -1;     // a FIFO read sends only this many records, then nothing
    bool wrongIndex = false;       // the third record of each FIFO read has an index past the sweep
    std::vector<int> lostIndexes;  // these points never come (lost from every sweep)
    int dropEvery = 0;            // every n-th record is lost, as when the analyzer's queue is full
    std::size_t chunkBytes = 64;  // answers go out in pieces of this size
};

// One command the emulator took: the opcode, the register and the value written (or the number
// of records asked).
struct V2Command {
    int opcode = 0;
    int reg = 0;
    std::uint64_t value = 0;
};

class V2Emulator {
public:
    explicit V2Emulator(V2EmulatorOptions options = {});
    ~V2Emulator();
    V2Emulator(const V2Emulator&) = delete;
    V2Emulator& operator=(const V2Emulator&) = delete;

    // The path of the terminal to open; empty when no pseudo terminal could be made.
    const std::string& Path() const { return path_; }

    // What is at the probe at each following measurement, in turn (the last one stays).
    void SetSequence(std::vector<DemoMaterial> sequence);
    std::vector<V2Command> Commands() const;
    bool InUsbMode() const;
    int Measurements() const;

    // The raw reflection the emulator gives at f for a material (the reference for tests).
    CComplex RawAt(const DemoMaterial& material, double f) const;
    // By frequency (Hz), the S11 of the last record sent: its reverse wave at port 1 over its
    // forward wave, the integers sent divided in long double.
    std::map<std::uint64_t, CComplex> Sent() const;

private:
    void Run();
    void Take(unsigned char c);
    void Execute();
    void SendFifo(int records);
    void Send(const std::string& bytes);
    void ClearFifo();
    std::uint64_t Register(int reg, int bytes) const;

    V2EmulatorOptions options_;
    ProbeModel model_;
    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    mutable std::mutex mutex_;
    std::vector<V2Command> commands_;
    std::vector<DemoMaterial> sequence_;
    std::size_t next_ = 0;
    DemoMaterial material_ = DemoMaterial::Air();
    bool usbMode_ = false;
    int measurements_ = 0;
    std::map<std::uint64_t, CComplex> sent_;

    // The command parser (touched by the server thread only).
    unsigned char registers_[256] = {};
    int phase_ = 0;
    int opcode_ = 0;
    int address_ = 0;
    int start_ = 0;
    int end_ = 0;
    int fifoBytesLeft_ = 0;
    int position_ = 0;  // the point the free-running sweep delivers next
    std::uint32_t random_ = 12345;
    long long delivered_ = 0;  // records delivered or lost since the start
    std::uint64_t lastClearStart_ = UINT64_MAX;
};

}  // namespace kv::test
