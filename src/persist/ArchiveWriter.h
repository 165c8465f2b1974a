#pragma once

// Writes the little-endian encodings of setup files into a byte image, whatever the host's byte
// order: 4-byte ints and flags, 2-byte words, 8-byte doubles, texts with their one-, three- or
// seven-byte length form, 4-byte time stamps, 60-byte font descriptions, fixed NUL-padded
// records and arrays with their element count. Texts go out as Latin-1.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "display/LogFont.h"
#include "numerics/CComplex.h"

namespace kv {

class ArchiveWriter {
public:
    void Byte(std::uint8_t value) { bytes_.push_back(value); }
    void Word(std::uint16_t value);
    void DWord(std::uint32_t value);
    void Int(std::int32_t value) { DWord(static_cast<std::uint32_t>(value)); }
    // A flag is the int 1 or 0.
    void Flag(bool value) { Int(value ? 1 : 0); }
    void Double(double value);
    void Raw(const void* data, std::size_t size);

    // Length below 255: one byte; below 0xFFFE: 0xFF and a word; else 0xFF, 0xFFFF and a dword.
    void Text(const std::string& utf8);
    // Seconds since 1 January 1970 in 4 bytes.
    void TimeStamp(std::time_t value);
    void Font(const LogFont& font);
    // `size` bytes: the text, cut to `size` when longer, then zero bytes.
    void Fixed(const std::string& utf8, std::size_t size);

    // Element count: a word below 0xFFFF, else the word 0xFFFF and a dword.
    void Count(std::size_t count);
    void Doubles(const std::vector<double>& values);
    void Complexes(const std::vector<CComplex>& values);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }
    void Reserve(std::size_t size) { bytes_.reserve(size); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kv
