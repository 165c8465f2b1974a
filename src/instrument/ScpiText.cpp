#include "instrument/ScpiText.h"

#include <cctype>

namespace kv {

std::string TrimBlanks(const std::string& text) {
    std::size_t a = 0;
    std::size_t b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) {
        ++a;
    }
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) {
        --b;
    }
    return text.substr(a, b - a);
}

}  // namespace kv
