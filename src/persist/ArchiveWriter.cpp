#include "persist/ArchiveWriter.h"

#include <bit>
#include <cstring>

#include "persist/Latin1.h"

namespace kv {

void ArchiveWriter::Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ArchiveWriter::DWord(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void ArchiveWriter::Double(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

void ArchiveWriter::Raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
}

void ArchiveWriter::Text(const std::string& utf8) {
    const std::string text = ToLatin1(utf8);
    const std::size_t n = text.size();
    if (n < 0xFF) {
        Byte(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        Byte(0xFF);
        Word(static_cast<std::uint16_t>(n));
    } else {
        Byte(0xFF);
        Word(0xFFFF);
        DWord(static_cast<std::uint32_t>(n));
    }
    Raw(text.data(), n);
}

void ArchiveWriter::TimeStamp(std::time_t value) {
    // Unsigned, so that times up to 2106 survive; the program stores only times it took itself.
    DWord(static_cast<std::uint32_t>(value));
}

void ArchiveWriter::Font(const LogFont& font) {
    const auto image = font.ToBytes();
    Raw(image.data(), image.size());
}

void ArchiveWriter::Fixed(const std::string& utf8, std::size_t size) {
    const std::string text = ToLatin1(utf8);
    const std::size_t n = text.size() < size ? text.size() : size;
    Raw(text.data(), n);
    bytes_.insert(bytes_.end(), size - n, 0);
}

void ArchiveWriter::Count(std::size_t count) {
    if (count < 0xFFFF) {
        Word(static_cast<std::uint16_t>(count));
    } else {
        Word(0xFFFF);
        DWord(static_cast<std::uint32_t>(count));
    }
}

void ArchiveWriter::Doubles(const std::vector<double>& values) {
    Count(values.size());
    if constexpr (std::endian::native == std::endian::little) {
        Raw(values.data(), values.size() * sizeof(double));
    } else {
        for (const double v : values) {
            Double(v);
        }
    }
}

void ArchiveWriter::Complexes(const std::vector<CComplex>& values) {
    Count(values.size());
    if constexpr (std::endian::native == std::endian::little) {
        Raw(values.data(), values.size() * sizeof(CComplex));
    } else {
        for (const CComplex& v : values) {
            Double(v.re);
            Double(v.im);
        }
    }
}

}  // namespace kv
