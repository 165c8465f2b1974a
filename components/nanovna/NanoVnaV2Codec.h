#pragma once

// The pure parts of the V2 binary protocol (NanoVNA V2, V2 Plus, V2 Plus4 and the analyzers built
// on their firmware): the command bytes, the 32-byte records of the values FIFO placed by their
// frequency index, and the table of what each board can do. No input/output here, so that the
// fuzz target and the benchmark reach the reader directly. docs/usb-analyzers.md describes
// every byte and where it comes from.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "NanoVnaProtocol.h"
#include "numerics/CComplex.h"

namespace kv {

// Opcodes: each is followed by a register address, then by the value to write (little endian)
// or, for a FIFO read, the number of records (1 to 255; 0 asks for the whole sweep).
enum V2Opcode : std::uint8_t {
    kV2Nop = 0x00,
    kV2Indicate = 0x0d,  // answered by the single byte '2'
    kV2Read1 = 0x10,
    kV2Read2 = 0x11,
    kV2Read4 = 0x12,
    kV2ReadFifo = 0x18,
    kV2Write1 = 0x20,
    kV2Write2 = 0x21,
    kV2Write4 = 0x22,
    kV2Write8 = 0x23,
    kV2WriteFifo = 0x28,
};

enum V2Register : std::uint8_t {
    kV2SweepStart = 0x00,          // u64, Hz
    kV2SweepStep = 0x10,           // u64, Hz
    kV2SweepPoints = 0x20,         // u16
    kV2ValuesPerFrequency = 0x22,  // u16
    kV2DataMode = 0x26,            // u8: 0 data, 1 raw samples, 2 leave USB mode
    kV2ValuesFifo = 0x30,          // any write clears it; FIFO reads give records
    kV2Averaging = 0x40,           // u8 (not written by the driver)
    kV2DeviceVariant = 0xf0,       // u8
    kV2ProtocolVersion = 0xf1,     // u8
    kV2HardwareRevision = 0xf2,    // u8
    kV2FirmwareMajor = 0xf3,       // u8 (0xff: the bootloader, firmware-update mode)
    kV2FirmwareMinor = 0xf4,       // u8
};

// Eight NOPs: whatever command the analyzer's parser was in the middle of is finished or
// dropped, and the next byte is read as an opcode.
std::string V2Reset();
std::string V2Write1(std::uint8_t reg, std::uint8_t value);
std::string V2Write2(std::uint8_t reg, std::uint16_t value);
std::string V2Write8(std::uint8_t reg, std::uint64_t value);
std::string V2Read1(std::uint8_t reg);
std::string V2ReadFifo(std::uint8_t reg, int records);
// The four writes that set the analyzer's sweep: start, step, points and one value per frequency.
std::string V2SweepCommands(std::uint64_t startHz, std::uint64_t stepHz, int points);

// One record of the values FIFO (32 bytes): the forward wave, the reflected wave at port 1 and the
// wave received at port 2, each a pair of little-endian int32 (real, imaginary); the frequency
// index as a little-endian int16 at byte 24; bytes 26 to 31 reserved.
constexpr std::size_t kV2RecordBytes = 32;
constexpr int kV2MaxFifoRecords = 255;
struct V2Record {
    std::int32_t forward[2] = {0, 0};
    std::int32_t reverse1[2] = {0, 0};
    std::int32_t reverse2[2] = {0, 0};
    int index = 0;
};
V2Record DecodeV2Record(const unsigned char* bytes);
void EncodeV2Record(const V2Record& record, unsigned char* bytes);

// Collects one sweep of `points` from records that start wherever the analyzer's free-running
// sweep is and wrap around: each record goes to the point its index names (a later one for the
// same point replaces the earlier) until every point has one.
class V2RecordPlacer {
public:
    explicit V2RecordPlacer(int points);

    // Places `records` records of `bytes` (records * 32 bytes). False, with the reason, on a
    // record whose index lies outside the sweep or whose forward wave is zero; the records before
    // it stay placed.
    bool Place(const unsigned char* bytes, int records, std::string& error);

    bool Complete() const { return missing_ == 0; }
    int Missing() const { return missing_; }
    int Points() const { return static_cast<int>(s11_.size()); }
    // The lowest indexes still missing (at most `most`), for a message.
    std::vector<int> MissingIndexes(int most) const;
    // S11 = reverse at port 1 / forward, by index.
    const std::vector<CComplex>& S11() const { return s11_; }

private:
    std::vector<CComplex> s11_;
    std::vector<bool> filled_;
    int missing_ = 0;
};

// What the analyzer's identification registers (0xf0 to 0xf4) say.
struct V2Identity {
    int variant = 0;
    int protocol = 0;
    int hardware = 0;
    int firmwareMajor = 0;
    int firmwareMinor = 0;
};

// The limits and name of the analyzer an identification describes, and whether its firmware
// needs one extra point before the first (firmware 1.0.1 and older: the first point after the
// sweep starts over is unreliable). False, with the reason, for an analyzer in its
// firmware-update mode.
bool V2LimitsFor(const V2Identity& id, NanoVnaLimits& limits, bool& extraLeadingPoint,
                 std::string& error);

}  // namespace kv
