#include "persist/ArchiveReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "persist/Latin1.h"

namespace kv {

const std::uint8_t* ArchiveReader::Take(std::size_t size) {
    if (failed_ || size > bytes_.size() - position_) {
        failed_ = true;
        return nullptr;
    }
    const std::uint8_t* p = bytes_.data() + position_;
    position_ += size;
    return p;
}

std::uint8_t ArchiveReader::Byte() {
    const std::uint8_t* p = Take(1);
    return p != nullptr ? p[0] : 0;
}

std::uint16_t ArchiveReader::Word() {
    const std::uint8_t* p = Take(2);
    return p != nullptr ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0;
}

std::uint32_t ArchiveReader::DWord() {
    const std::uint8_t* p = Take(4);
    if (p == nullptr) {
        return 0;
    }
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

double ArchiveReader::Double() {
    const std::uint8_t* p = Take(8);
    if (p == nullptr) {
        return 0.0;
    }
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | p[i];
    }
    return std::bit_cast<double>(bits);
}

void ArchiveReader::Raw(void* out, std::size_t size) {
    const std::uint8_t* p = Take(size);
    if (size == 0) {
        return;
    }
    if (p != nullptr) {
        std::memcpy(out, p, size);
    } else if (size != 0) {
        std::memset(out, 0, size);
    }
}

std::string ArchiveReader::Text() {
    std::size_t n = Byte();
    if (n == 0xFF) {
        n = Word();
        if (n == 0xFFFF) {
            n = DWord();
        } else if (n == 0xFFFE) {
            // The marker of a two-byte character text, which no writer of this program's files
            // produces.
            failed_ = true;
        }
    }
    const std::uint8_t* p = Take(n);
    if (failed_ || n == 0) {
        return {};
    }
    return FromLatin1(std::string_view(reinterpret_cast<const char*>(p), n));
}

std::time_t ArchiveReader::TimeStamp() {
    return static_cast<std::time_t>(DWord());
}

LogFont ArchiveReader::Font() {
    const std::uint8_t* p = Take(LogFont::kBytes);
    return p != nullptr ? LogFont::FromBytes(p) : LogFont{};
}

std::string ArchiveReader::Fixed(std::size_t size) {
    const std::uint8_t* p = Take(size);
    if (p == nullptr) {
        return {};
    }
    const std::uint8_t* end = std::find(p, p + size, 0);
    return FromLatin1(
        std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)));
}

std::size_t ArchiveReader::Count(std::size_t elementSize) {
    std::size_t n = Word();
    if (n == 0xFFFF) {
        n = DWord();
    }
    if (failed_ || n > (bytes_.size() - position_) / elementSize) {
        failed_ = true;
        return 0;
    }
    return n;
}

std::vector<double> ArchiveReader::Doubles() {
    const std::size_t n = Count(sizeof(double));
    std::vector<double> values(n);
    const std::uint8_t* p = Take(n * sizeof(double));
    if (failed_ || n == 0) {
        return {};
    }
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(values.data(), p, n * sizeof(double));
    } else {
        position_ -= n * sizeof(double);
        for (auto& v : values) {
            v = Double();
        }
    }
    return values;
}

std::vector<CComplex> ArchiveReader::Complexes() {
    const std::size_t n = Count(sizeof(CComplex));
    std::vector<CComplex> values(n);
    const std::uint8_t* p = Take(n * sizeof(CComplex));
    if (failed_ || n == 0) {
        return {};
    }
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(values.data(), p, n * sizeof(CComplex));
    } else {
        position_ -= n * sizeof(CComplex);
        for (auto& v : values) {
            v.re = Double();
            v.im = Double();
        }
    }
    return values;
}

}  // namespace kv
