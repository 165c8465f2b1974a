#pragma once

// The checksum a driver puts at the end of the calibration-state block it saves, so that a block
// damaged or written by another driver is refused on restore: FNV-1a over the block's bytes.

#include <cstddef>
#include <cstdint>

namespace kv {

inline std::uint32_t StateChecksum(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h = (h ^ p[i]) * 16777619u;
    }
    return h;
}

}  // namespace kv
