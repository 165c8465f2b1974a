#include "persist/Latin1.h"

#include <cstdint>

namespace kv {

namespace {

// Length of the UTF-8 sequence that starts with `lead`, 0 when it cannot start one.
std::size_t SequenceLength(std::uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

}  // namespace

std::string ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        const std::size_t n = SequenceLength(lead);
        bool valid = n != 0 && i + n <= utf8.size();
        std::uint32_t code = 0;
        if (valid) {
            code = n == 1 ? lead : (lead & (0xFFu >> (n + 1)));
            for (std::size_t k = 1; k < n; ++k) {
                const auto c = static_cast<std::uint8_t>(utf8[i + k]);
                if ((c & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (c & 0x3Fu);
            }
            // Overlong forms and code points beyond Unicode are not characters.
            constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
            valid = valid && code >= kSmallest[n] && code <= 0x10FFFF;
        }
        if (!valid) {
            // One '?' for the stray byte; decoding resumes at the next one.
            out.push_back('?');
            ++i;
            continue;
        }
        out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
        i += n;
    }
    return out;
}

std::string FromLatin1(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto c = static_cast<std::uint8_t>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace kv
