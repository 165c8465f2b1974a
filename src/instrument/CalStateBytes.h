#pragma once

// Writing and reading a driver's calibration-state block: little-endian numbers at a position
// that moves on, reads bounded by the block's size, and the checksum a driver puts at its end so
// that a block damaged or written by another driver is refused on restore (FNV-1a).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "instrument/IInstrumentDriver.h"

namespace kv {

inline void PutU32(CalState& s, std::size_t& pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[pos++] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void PutF64(CalState& s, std::size_t& pos, double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) {
        s[pos++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

inline bool GetU32(const CalState& s, std::size_t size, std::size_t& pos, std::uint32_t& v) {
    if (pos + 4 > size) {
        return false;
    }
    v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(s[pos++]) << (8 * i);
    }
    return true;
}

inline bool GetF64(const CalState& s, std::size_t size, std::size_t& pos, double& v) {
    if (pos + 8 > size) {
        return false;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(s[pos++]) << (8 * i);
    }
    std::memcpy(&v, &bits, 8);
    return true;
}

inline std::uint32_t StateChecksum(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h = (h ^ p[i]) * 16777619u;
    }
    return h;
}

}  // namespace kv
