#pragma once

// Field visitors over a setup file's archive: handed to a value's field list, they write each
// field, or read it back, in the encoding its type has in setup files (flags and ints as 4 bytes,
// words as 2, colours as a dword, doubles, texts, 4-byte time stamps, fonts, arrays element by
// element, and texts kept in a fixed record).

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <type_traits>

#include "display/LogFont.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"

namespace kv {

// A field list marks a text kept in a NUL-padded record of `size` bytes with this.
struct FixedRecord {
    std::size_t size;
};

template <class T>
inline constexpr bool kNoArchiveEncoding = false;

class ArchiveFieldWriter {
public:
    explicit ArchiveFieldWriter(ArchiveWriter& ar) : ar_(ar) {}

    template <class T>
    void operator()(const char* name, const T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            ar_.Flag(value);
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
            ar_.Int(value);
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

private:
    ArchiveReader& ar_;
};

}  // namespace kv
