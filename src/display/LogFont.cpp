#include "display/LogFont.h"

#include <algorithm>
#include <cstring>

namespace kv {

std::string LogFont::FaceName() const {
    const auto end = std::find(faceName.begin(), faceName.end(), '\0');
    return std::string(faceName.begin(), end);
}

void LogFont::SetFaceName(const std::string& name) {
    faceName.fill('\0');
    std::memcpy(faceName.data(), name.data(), std::min(name.size(), faceName.size() - 1));
}

namespace {

void PutInt(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t GetInt(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace

std::array<std::uint8_t, LogFont::kBytes> LogFont::ToBytes() const {
    std::array<std::uint8_t, kBytes> b{};
    PutInt(&b[0], height);
    PutInt(&b[4], width);
    PutInt(&b[8], escapement);
    PutInt(&b[12], orientation);
    PutInt(&b[16], weight);
    b[20] = italic;
    b[21] = underline;
    b[22] = strikeOut;
    b[23] = charSet;
    b[24] = outPrecision;
    b[25] = clipPrecision;
    b[26] = quality;
    b[27] = pitchAndFamily;
    std::memcpy(&b[28], faceName.data(), 32);
    return b;
}

LogFont LogFont::FromBytes(const std::uint8_t* b) {
    LogFont f;
    f.height = GetInt(&b[0]);
    f.width = GetInt(&b[4]);
    f.escapement = GetInt(&b[8]);
    f.orientation = GetInt(&b[12]);
    f.weight = GetInt(&b[16]);
    f.italic = b[20];
    f.underline = b[21];
    f.strikeOut = b[22];
    f.charSet = b[23];
    f.outPrecision = b[24];
    f.clipPrecision = b[25];
    f.quality = b[26];
    f.pitchAndFamily = b[27];
    std::memcpy(f.faceName.data(), &b[28], 32);
    return f;
}

LogFont StockSystemFont() {
    LogFont f;
    f.height = 16;
    f.width = 7;
    f.weight = 700;
    f.SetFaceName("System");
    return f;
}

}  // namespace kv
