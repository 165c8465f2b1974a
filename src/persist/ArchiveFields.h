#pragma once

// Field visitors over a setup file's archive: handed to a value's field list, they write each
// field, read it back, or count the bytes it takes at most, in the encoding its type has in setup
// files (flags and ints as 4 bytes, words as 2, colours as a dword, doubles, texts, 4-byte time
// stamps, fonts, per-point arrays with their count, byte blocks as they are, fixed arrays element
// by element, texts kept in a fixed record and flags kept in one byte). A kind (an enum over a
// 32-bit int) is kept as its int; a stored int that names none of its values is read as it is.

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "display/LogFont.h"
#include "numerics/CComplex.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"

namespace kv {

// A field list marks a text kept in a NUL-padded record of `size` bytes with this.
struct FixedRecord {
    std::size_t size;
};
// ... and a flag kept in one byte (1 or 0; only 1 reads back as set) with this.
struct ByteFlag {};

// A fixed block of bytes (an analyzer's saved state), kept as it is.
template <class T>
concept ByteBlock = std::is_same_v<T, std::array<std::uint8_t, sizeof(T)>>;

template <class T>
inline constexpr bool kNoArchiveEncoding = false;

// An enum kept as the 4-byte int it is defined over.
template <class T>
concept StoredKind = std::is_enum_v<T> && std::is_same_v<std::underlying_type_t<T>, std::int32_t>;

class ArchiveFieldWriter {
public:
    explicit ArchiveFieldWriter(ArchiveWriter& ar) : ar_(ar) {}

    template <class T>
    void operator()(const char* name, const T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            ar_.Flag(value);
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
            ar_.Int(value);
        } else if constexpr (StoredKind<T>) {
            ar_.Int(static_cast<std::int32_t>(value));
        } else if constexpr (std::is_same_v<T, std::uint16_t>) {
            ar_.Word(value);
        } else if constexpr (std::is_same_v<T, std::uint32_t>) {
            ar_.DWord(value);
        } else if constexpr (std::is_same_v<T, double>) {
            ar_.Double(value);
        } else if constexpr (std::is_same_v<T, std::time_t>) {
            ar_.TimeStamp(value);
        } else if constexpr (std::is_same_v<T, std::string>) {
            ar_.Text(value);
        } else if constexpr (std::is_same_v<T, LogFont>) {
            ar_.Font(value);
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
            ar_.Doubles(value);
        } else if constexpr (std::is_same_v<T, std::vector<CComplex>>) {
            ar_.Complexes(value);
        } else if constexpr (ByteBlock<T>) {
            ar_.Raw(value.data(), value.size());
        } else if constexpr (requires { std::tuple_size<T>::value; }) {
            for (const auto& element : value) {
                (*this)(name, element);
            }
        } else {
            static_assert(kNoArchiveEncoding<T>, "no setup-file encoding for this field type");
        }
    }
    void operator()(const char*, const std::string& value, FixedRecord record) {
        ar_.Fixed(value, record.size);
    }
    void operator()(const char*, bool value, ByteFlag) { ar_.Byte(value ? 1 : 0); }

private:
    ArchiveWriter& ar_;
};

class ArchiveFieldReader {
public:
    explicit ArchiveFieldReader(ArchiveReader& ar) : ar_(ar) {}

    template <class T>
    void operator()(const char* name, T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            value = ar_.Flag();
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
            value = ar_.Int();
        } else if constexpr (StoredKind<T>) {
            value = static_cast<T>(ar_.Int());
        } else if constexpr (std::is_same_v<T, std::uint16_t>) {
            value = ar_.Word();
        } else if constexpr (std::is_same_v<T, std::uint32_t>) {
            value = ar_.DWord();
        } else if constexpr (std::is_same_v<T, double>) {
            value = ar_.Double();
        } else if constexpr (std::is_same_v<T, std::time_t>) {
            value = ar_.TimeStamp();
        } else if constexpr (std::is_same_v<T, std::string>) {
            value = ar_.Text();
        } else if constexpr (std::is_same_v<T, LogFont>) {
            value = ar_.Font();
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
            value = ar_.Doubles();
        } else if constexpr (std::is_same_v<T, std::vector<CComplex>>) {
            value = ar_.Complexes();
        } else if constexpr (ByteBlock<T>) {
            ar_.Raw(value.data(), value.size());
        } else if constexpr (requires { std::tuple_size<T>::value; }) {
            for (auto& element : value) {
                (*this)(name, element);
            }
        } else {
            static_assert(kNoArchiveEncoding<T>, "no setup-file encoding for this field type");
        }
    }
    void operator()(const char*, std::string& value, FixedRecord record) {
        value = ar_.Fixed(record.size);
    }
    void operator()(const char*, bool& value, ByteFlag) { value = ar_.Byte() == 1; }

private:
    ArchiveReader& ar_;
};

// Adds up the bytes the fields take at most (a text's Latin-1 form is never longer than the text),
// so that an image is written without its buffer growing.
class ArchiveFieldSize {
public:
    template <class T>
    void operator()(const char* name, const T& value) {
        if constexpr (std::is_same_v<T, std::string>) {
            size_ += 7 + value.size();
        } else if constexpr (std::is_same_v<T, LogFont>) {
            size_ += LogFont::kBytes;
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
            size_ += 6 + 8 * value.size();
        } else if constexpr (std::is_same_v<T, std::vector<CComplex>>) {
            size_ += 6 + 16 * value.size();
        } else if constexpr (ByteBlock<T>) {
            size_ += value.size();
        } else if constexpr (requires { std::tuple_size<T>::value; }) {
            for (const auto& element : value) {
                (*this)(name, element);
            }
        } else if constexpr (std::is_same_v<T, std::uint16_t>) {
            size_ += 2;
        } else if constexpr (std::is_same_v<T, double>) {
            size_ += 8;
        } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::int32_t> ||
                             StoredKind<T> || std::is_same_v<T, std::uint32_t> ||
                             std::is_same_v<T, std::time_t>) {
            size_ += 4;
        } else {
            static_assert(kNoArchiveEncoding<T>, "no setup-file encoding for this field type");
        }
    }
    void operator()(const char*, const std::string&, FixedRecord record) { size_ += record.size; }
    void operator()(const char*, bool, ByteFlag) { size_ += 1; }

    std::size_t Size() const { return size_; }

private:
    std::size_t size_ = 0;
};

// A load's last step, handed two values: the first takes each field of the second, which a file
// was read into and is thrown away after.
struct FieldMover {
    template <class T, class... How>
    void operator()(const char*, T& to, T& from, How...) const {
        to = std::move(from);
    }
};

}  // namespace kv
