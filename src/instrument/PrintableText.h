#pragma once

// An analyzer's texts (its identification above all) come from the instrument as they are and may
// hold control characters: an escape sequence would act on a terminal, a line feed would break a
// file's comment line. Where such a text is shown or written into a text file it goes through
// PrintableText; where it is kept or compared (the stored instrument name, a setup file's record)
// it stays as the driver gave it.

#include <string>
#include <string_view>

namespace kv {

// The text with every control character (bytes 0 to 31 and 127, tab and line ends included)
// replaced by '?'. Other bytes, those of UTF-8 or Latin-1 letters included, stay.
inline std::string PrintableText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return out;
}

}  // namespace kv
