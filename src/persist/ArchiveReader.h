#pragma once

// Reads the encodings ArchiveWriter writes from a byte image held in memory. Every read is
// checked against what is left of the image: a short image, or a length or element count larger
// than the bytes that follow, makes the reader fail. A failed reader stays failed, reads nothing
// more and hands out zeros and empty values, so a caller reads a whole section and checks
// Failed() once at the end. Nothing is allocated beyond the image's own size.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "display/LogFont.h"
#include "numerics/CComplex.h"

namespace kv {

class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t Byte();
    std::uint16_t Word();
    std::uint32_t DWord();
    std::int32_t Int() { return static_cast<std::int32_t>(DWord()); }
    // A flag is on exactly when the int is 1.
    bool Flag() { return Int() == 1; }
    double Double();
    // Copies `size` bytes to `out`, or zeros when they are not there.
    void Raw(void* out, std::size_t size);

    std::string Text();
    std::time_t TimeStamp();
    LogFont Font();
    // The text at the start of a `size`-byte record, up to its NUL or the record's end.
    std::string Fixed(std::size_t size);

    // An element count whose elements of `elementSize` bytes must fit in the rest of the image.
    std::size_t Count(std::size_t elementSize);
    std::vector<double> Doubles();
    std::vector<CComplex> Complexes();

    // Marks the image as damaged (a value no writer of this program produces).
    void Fail() { failed_ = true; }
    bool Failed() const { return failed_; }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return failed_ ? 0 : bytes_.size() - position_; }

private:
    // The next `size` bytes, or null (and failed) when fewer are left.
    const std::uint8_t* Take(std::size_t size);

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace kv
