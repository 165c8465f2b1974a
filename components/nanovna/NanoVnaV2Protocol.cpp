// The V2 binary protocol: registers written and read with one-byte opcodes, sweeps read from the
// values FIFO as 32-byte records. docs/usb-analyzers.md lists every command sent here.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "NanoVnaProtocol.h"
#include "NanoVnaV2Codec.h"
#include "instrument/IDriverWait.h"

namespace kv {

namespace {

using Clock = std::chrono::steady_clock;

// How long the analyzer is given to finish a point measured under its old sweep settings (as
// NanoVNA-Saver waits after writing them).
constexpr int kSettleMs = 50;

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xffu);
    return text;
}

class V2Protocol : public NanoVnaProtocol {
public:
    const char* FamilyName() const override { return "V2"; }

    bool Begin(SerialLink& link, int timeoutMs, NanoVnaLimits& limits,
               std::string& error) override {
        Forget(link);
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        const char* indicate =
            "resetting the protocol (eight 0x00) and asking it to indicate (0x0d)";
        std::string answer;
        if (!Send(link, V2Reset() + std::string(1, static_cast<char>(kV2Indicate)), deadline,
                  indicate, error) ||
            !Receive(link, 1, deadline, indicate, answer, error)) {
            return Fail(error);
        }
        if (answer != "2") {
            error = std::string(indicate) + ": the answer was " +
                    Hex(static_cast<unsigned char>(answer[0])) +
                    ", not '2': the analyzer does not speak the V2 protocol";
            return Fail(error);
        }
        const char* identify = "reading the identification registers 0xf0 to 0xf4 (0x10)";
        std::string ask;
        for (std::uint8_t reg : {kV2DeviceVariant, kV2ProtocolVersion, kV2HardwareRevision,
                                 kV2FirmwareMajor, kV2FirmwareMinor}) {
            ask += V2Read1(reg);
        }
        std::string id;
        if (!Send(link, ask, deadline, identify, error) ||
            !Receive(link, 5, deadline, identify, id, error)) {
            return Fail(error);
        }
        V2Identity identity;
        identity.variant = static_cast<unsigned char>(id[0]);
        identity.protocol = static_cast<unsigned char>(id[1]);
        identity.hardware = static_cast<unsigned char>(id[2]);
        identity.firmwareMajor = static_cast<unsigned char>(id[3]);
        identity.firmwareMinor = static_cast<unsigned char>(id[4]);
        if (!V2LimitsFor(identity, limits, extraLeadingPoint_, error)) {
            return Fail(error);
        }
        maxPoints_ = limits.maxScanPoints;
        minHz_ = static_cast<std::uint64_t>(limits.minHz);
        return true;
    }

    bool Scan(SerialLink& link, std::uint64_t startHz, std::uint64_t stopHz, int points,
              int timeoutMs, NanoVnaScan& scan, std::string& error) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        if (points < 1 || points > maxPoints_ || stopHz < startHz ||
            (points == 1 && stopHz != startHz)) {
            error = "A scan of " + std::to_string(points) + " points from " +
                    std::to_string(startHz) + " Hz to " + std::to_string(stopHz) +
                    " Hz is not one this analyzer takes (1 to " + std::to_string(maxPoints_) +
                    " points).";
            return Fail(error);
        }
        const std::uint64_t step = points > 1 ? (stopHz - startHz) / (points - 1) : 0;
        if (points > 1 && step * (points - 1) != stopHz - startHz) {
            error = "A scan from " + std::to_string(startHz) + " Hz to " + std::to_string(stopHz) +
                    " Hz in " + std::to_string(points) +
                    " points has no whole-hertz step, which the analyzer needs.";
            return Fail(error);
        }
        // Older firmware sweeps one point more, before the first, and it is dropped; where that
        // point would lie below the analyzer's range the scan goes without it.
        const int lead = extraLeadingPoint_ && step > 0 && startHz >= minHz_ + step ? 1 : 0;
        const std::uint64_t sweepStart = startHz - step * static_cast<std::uint64_t>(lead);
        const int total = points + lead;

        Discard(link);
        if (!sweepKnown_ || sweepStart != sweepStart_ || step != sweepStep_ ||
            total != sweepPoints_) {
            if (!Send(link, V2Reset() + V2SweepCommands(sweepStart, step, total), deadline,
                      "setting the sweep (0x23 0x00, 0x23 0x10, 0x21 0x20, 0x21 0x22)", error)) {
                return Fail(error);
            }
            // A point the analyzer was measuring under the old settings may still be queued
            // after the write; it is let through before the FIFO is cleared.
            std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        }
        if (!Send(link, V2Reset() + V2Write1(kV2ValuesFifo, 0), deadline,
                  "clearing the FIFO (0x20 0x30)", error)) {
            return Fail(error);
        }
        sweepKnown_ = true;
        sweepStart_ = sweepStart;
        sweepStep_ = step;
        sweepPoints_ = total;

        V2RecordPlacer placer(total);
        const long long mostRecords = 3LL * total + kV2MaxFifoRecords;
        long long records = 0;
        // "after 859 records, 2 of the 201 points never came (index 5, 9)"
        auto never = [&] {
            std::string text = "after " + std::to_string(records) + " records, " +
                               std::to_string(placer.Missing()) + " of the " +
                               std::to_string(total) + " points never came (index";
            const std::vector<int> missing = placer.MissingIndexes(5);
            for (std::size_t i = 0; i < missing.size(); ++i) {
                text += (i == 0 ? " " : ", ") + std::to_string(missing[i]);
            }
            return text + (placer.Missing() > static_cast<int>(missing.size()) ? ", ...)" : ")");
        };
        std::string bytes;
        while (!placer.Complete()) {
            if (records >= mostRecords) {
                error = "reading the FIFO (0x18 0x30): " + never();
                return Fail(error);
            }
            const int ask = std::min(placer.Missing(), kV2MaxFifoRecords);
            const std::string what = "reading the FIFO (0x18 0x30 " + Hex(ask) + ")";
            if (!Send(link, V2ReadFifo(kV2ValuesFifo, ask), deadline, what, error) ||
                !Receive(link, static_cast<std::size_t>(ask) * kV2RecordBytes, deadline, what,
                         bytes, error)) {
                // Time ran out while points were still missing from records that did come:
                // those points are the fault, not the last read alone.
                if (records > 0 && error != IDriverWait::kAbortedText) {
                    error += "; " + never();
                }
                return Fail(error);
            }
            std::string why;
            if (!placer.Place(reinterpret_cast<const unsigned char*>(bytes.data()), ask, why)) {
                error = what + ": " + why;
                return Fail(error);
            }
            records += ask;
        }
        scan.frequencies.resize(static_cast<std::size_t>(points));
        scan.s11.resize(static_cast<std::size_t>(points));
        for (int i = 0; i < points; ++i) {
            scan.frequencies[static_cast<std::size_t>(i)] =
                static_cast<double>(startHz + step * static_cast<std::uint64_t>(i));
            scan.s11[static_cast<std::size_t>(i)] =
                placer.S11()[static_cast<std::size_t>(i + lead)];
        }
        return true;
    }

    void End(SerialLink& link, int timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string ignored;
        Send(link, V2Reset() + V2Write1(kV2DataMode, 2), deadline, "leaving USB mode", ignored);
        Forget(link);
    }

private:
    // Nothing that arrived before this command belongs to it.
    void Discard(SerialLink& link) {
        pending_.clear();
        link.Discard();
    }
    void Forget(SerialLink& link) {
        Discard(link);
        sweepKnown_ = false;
    }
    // After a failure the driver opens the link anew; the analyzer's sweep is set again.
    bool Fail(const std::string&) {
        pending_.clear();
        sweepKnown_ = false;
        return false;
    }

    static int MsLeft(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return static_cast<int>(std::max<long long>(left, 0));
    }

    static std::string Failed(const std::string& what, const std::string& why) {
        // An abort keeps the exact text the program looks for.
        return why == IDriverWait::kAbortedText ? why : what + ": " + why;
    }

    bool Send(SerialLink& link, const std::string& bytes, Clock::time_point deadline,
              const std::string& what, std::string& error) {
        std::string why;
        if (!link.Write(bytes, std::max(MsLeft(deadline), 1), why)) {
            error = Failed(what, why);
            return false;
        }
        return true;
    }

    bool Receive(SerialLink& link, std::size_t count, Clock::time_point deadline,
                 const std::string& what, std::string& out, std::string& error) {
        while (pending_.size() < count) {
            const int left = MsLeft(deadline);
            std::string why;
            if (left <= 0 || !link.ReadSome(pending_, left, why)) {
                if (why == IDriverWait::kAbortedText) {
                    error = why;
                } else {
                    error =
                        what + ": " +
                        (pending_.empty() ? std::string("no answer")
                                          : "only " + std::to_string(pending_.size()) + " of the " +
                                                std::to_string(count) + " bytes expected came") +
                        (why.empty() ? std::string(" in time") : " (" + why + ")");
                }
                return false;
            }
        }
        out.assign(pending_, 0, count);
        pending_.erase(0, count);
        return true;
    }

    std::string pending_;  // bytes that came after what the last read needed
    bool extraLeadingPoint_ = false;
    int maxPoints_ = 0;
    std::uint64_t minHz_ = 50000;
    bool sweepKnown_ = false;  // the analyzer's sweep registers hold these
    std::uint64_t sweepStart_ = 0;
    std::uint64_t sweepStep_ = 0;
    int sweepPoints_ = 0;
};

}  // namespace

std::unique_ptr<NanoVnaProtocol> MakeV2Protocol() {
    return std::make_unique<V2Protocol>();
}

}  // namespace kv
