#pragma once

// A font description in the 60-byte layout setup files store byte for byte: height, width,
// escapement, orientation and weight as 4-byte ints; italic, underline, strike-out, character set,
// output precision, clip precision, quality, pitch and family as bytes; a 32-byte face name.

#include <array>
#include <cstdint>
#include <string>

namespace kv {

struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{};

    std::string FaceName() const;
    void SetFaceName(const std::string& name);

    static constexpr std::size_t kBytes = 60;
    std::array<std::uint8_t, kBytes> ToBytes() const;
    static LogFont FromBytes(const std::uint8_t* bytes);

    bool operator==(const LogFont&) const = default;
};

// The face name every default font asks for.
inline constexpr const char* kDefaultFaceName = "Time New Roman";

// The stock system font's description, the base of every default font when no display tells
// otherwise (height 16, width 7, weight 700).
LogFont StockSystemFont();

}  // namespace kv
