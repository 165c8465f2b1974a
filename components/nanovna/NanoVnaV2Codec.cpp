#include "NanoVnaV2Codec.h"

#include <algorithm>

namespace kv {

namespace {

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

std::int32_t Int32At(const unsigned char* p) {
    const std::uint32_t u =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(u);
}

void PutInt32(unsigned char* p, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xff);
    }
}

std::string Command(std::uint8_t opcode, std::uint8_t reg) {
    return {static_cast<char>(opcode), static_cast<char>(reg)};
}

}  // namespace

std::string V2Reset() {
    return std::string(8, '\0');
}

std::string V2Write1(std::uint8_t reg, std::uint8_t value) {
    std::string out = Command(kV2Write1, reg);
    PutLittleEndian(out, value, 1);
    return out;
}

std::string V2Write2(std::uint8_t reg, std::uint16_t value) {
    std::string out = Command(kV2Write2, reg);
    PutLittleEndian(out, value, 2);
    return out;
}

std::string V2Write8(std::uint8_t reg, std::uint64_t value) {
    std::string out = Command(kV2Write8, reg);
    PutLittleEndian(out, value, 8);
    return out;
}

std::string V2Read1(std::uint8_t reg) {
    return Command(kV2Read1, reg);
}

std::string V2ReadFifo(std::uint8_t reg, int records) {
    std::string out = Command(kV2ReadFifo, reg);
    PutLittleEndian(out, static_cast<std::uint64_t>(std::clamp(records, 0, kV2MaxFifoRecords)), 1);
    return out;
}

std::string V2SweepCommands(std::uint64_t startHz, std::uint64_t stepHz, int points) {
    return V2Write8(kV2SweepStart, startHz) + V2Write8(kV2SweepStep, stepHz) +
           V2Write2(kV2SweepPoints, static_cast<std::uint16_t>(std::clamp(points, 0, 0xffff))) +
           V2Write2(kV2ValuesPerFrequency, 1);
}

V2Record DecodeV2Record(const unsigned char* bytes) {
    V2Record r;
    r.forward[0] = Int32At(bytes);
    r.forward[1] = Int32At(bytes + 4);
    r.reverse1[0] = Int32At(bytes + 8);
    r.reverse1[1] = Int32At(bytes + 12);
    r.reverse2[0] = Int32At(bytes + 16);
    r.reverse2[1] = Int32At(bytes + 20);
    r.index = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[24]) |
                                        (static_cast<std::uint16_t>(bytes[25]) << 8));
    return r;
}

void EncodeV2Record(const V2Record& record, unsigned char* bytes) {
    PutInt32(bytes, record.forward[0]);
    PutInt32(bytes + 4, record.forward[1]);
    PutInt32(bytes + 8, record.reverse1[0]);
    PutInt32(bytes + 12, record.reverse1[1]);
    PutInt32(bytes + 16, record.reverse2[0]);
    PutInt32(bytes + 20, record.reverse2[1]);
    const auto index = static_cast<std::uint16_t>(static_cast<std::int16_t>(record.index));
    bytes[24] = static_cast<unsigned char>(index & 0xff);
    bytes[25] = static_cast<unsigned char>(index >> 8);
    std::fill(bytes + 26, bytes + kV2RecordBytes, static_cast<unsigned char>(0));
}

V2RecordPlacer::V2RecordPlacer(int points)
    : s11_(static_cast<std::size_t>(std::max(points, 0))),
      filled_(s11_.size(), false),
      missing_(static_cast<int>(s11_.size())) {}

bool V2RecordPlacer::Place(const unsigned char* bytes, int records, std::string& error) {
    for (int i = 0; i < records; ++i) {
        const V2Record r = DecodeV2Record(bytes + static_cast<std::size_t>(i) * kV2RecordBytes);
        if (r.index < 0 || r.index >= Points()) {
            error = "a record has the frequency index " + std::to_string(r.index) +
                    ", outside the " + std::to_string(Points()) + " points of the sweep";
            return false;
        }
        if (r.forward[0] == 0 && r.forward[1] == 0) {
            error = "the record of point " + std::to_string(r.index) +
                    " has no forward wave (0, 0): its reflection is undefined";
            return false;
        }
        const CComplex forward(r.forward[0], r.forward[1]);
        const CComplex reverse(r.reverse1[0], r.reverse1[1]);
        const auto at = static_cast<std::size_t>(r.index);
        s11_[at] = reverse / forward;
        if (!filled_[at]) {
            filled_[at] = true;
            --missing_;
        }
    }
    return true;
}

std::vector<int> V2RecordPlacer::MissingIndexes(int most) const {
    std::vector<int> out;
    for (std::size_t i = 0; i < filled_.size() && static_cast<int>(out.size()) < most; ++i) {
        if (!filled_[i]) {
            out.push_back(static_cast<int>(i));
        }
    }
    return out;
}

namespace {

struct V2Board {
    int hardware;
    const char* name;
    int maxPoints;
};

// The boards of the NanoVNA2 firmware (board_v2_*/board.hpp: BOARD_REVISION, USB_POINTS_MAX).
constexpr V2Board kBoards[] = {
    {1, "NanoVNA V2_1", 1024},
    {2, "NanoVNA V2_2", 1024},
    {3, "NanoVNA V2 Plus", 1024},
    {4, "NanoVNA V2 Plus4", 65535},
};

}  // namespace

bool V2LimitsFor(const V2Identity& id, NanoVnaLimits& limits, bool& extraLeadingPoint,
                 std::string& error) {
    if (id.firmwareMajor == 0xff) {
        error =
            "The analyzer is in its firmware-update mode (bootloader). Start it normally and "
            "connect again.";
        return false;
    }
    const std::string firmware =
        std::to_string(id.firmwareMajor) + "." + std::to_string(id.firmwareMinor);
    std::string name;
    int maxPoints = 1024;
    if (id.variant == 2) {
        name = "NanoVNA V2";
        for (const V2Board& b : kBoards) {
            if (b.hardware == id.hardware) {
                name = b.name;
                maxPoints = b.maxPoints;
            }
        }
        // The LiteVNA 64 answers as a V2_2 board with firmware 2.2 and sweeps up to 65535 points.
        if (id.hardware == 2 && id.firmwareMajor == 2 && id.firmwareMinor == 2) {
            name = "LiteVNA 64";
            maxPoints = 65535;
        }
    }
    if (name.empty()) {
        name = "V2-protocol analyzer, device variant " + std::to_string(id.variant);
    }
    limits.name = name + " (V2 protocol " + std::to_string(id.protocol) + ", hardware revision " +
                  std::to_string(id.hardware) + ", firmware " + firmware + ")";
    limits.minHz = 50e3;
    // Hardware revision 4 and later reach 4.4 GHz, the others 3 GHz.
    limits.maxHz = id.hardware >= 4 ? 4.4e9 : 3e9;
    limits.minScanPoints = 2;
    limits.wholeHertzStep = true;
    // Firmware 1.0.1 and older (registers: major 1, minor 1): one more point is swept before
    // the first and dropped, so one fewer is left for the program.
    extraLeadingPoint = id.firmwareMajor < 1 || (id.firmwareMajor == 1 && id.firmwareMinor <= 1);
    limits.maxScanPoints = extraLeadingPoint ? maxPoints - 1 : maxPoints;
    return true;
}

}  // namespace kv
