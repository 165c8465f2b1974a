#include "ScpiReader.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The newline after a block, when there is one; a CR before it is allowed.
ScpiParse TakeBlockEnd(const char* data, std::size_t size, std::size_t pos, std::size_t& consumed,
                       std::string& error) {
    if (pos < size && data[pos] == '\r') {
        ++pos;
    }
    if (pos >= size) {
        return ScpiParse::NeedMore;
    }
    if (data[pos] != '\n') {
        error = "The block is longer than its header says.";
        return ScpiParse::Malformed;
    }
    consumed = pos + 1;
    return ScpiParse::Complete;
}

}  // namespace

ScpiParse ParseScpiAnswer(const char* data, std::size_t size, long long indefiniteBytes,
                          std::size_t maxBytes, ScpiAnswer& answer, std::size_t& consumed,
                          std::string& error) {
    consumed = 0;
    if (size == 0) {
        return ScpiParse::NeedMore;
    }
    if (data[0] != '#') {
        const void* nl = std::memchr(data, '\n', size);
        if (nl == nullptr) {
            if (size > maxBytes) {
                error = "The answer is longer than " + std::to_string(maxBytes) + " bytes.";
                return ScpiParse::Malformed;
            }
            return ScpiParse::NeedMore;
        }
        std::size_t end = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
        consumed = end + 1;
        if (end > 0 && data[end - 1] == '\r') {
            --end;
        }
        answer.block = false;
        answer.bytes.assign(data, end);
        return ScpiParse::Complete;
    }
    if (size < 2) {
        return ScpiParse::NeedMore;
    }
    if (!IsDigit(data[1])) {
        error = "The block header \"#" + std::string(1, data[1]) + "\" is not a number of digits.";
        return ScpiParse::Malformed;
    }
    const std::size_t digits = static_cast<std::size_t>(data[1] - '0');
    if (digits == 0) {
        if (indefiniteBytes < 0) {
            error = "An indefinite block came where none was expected.";
            return ScpiParse::Malformed;
        }
        const std::size_t length = static_cast<std::size_t>(indefiniteBytes);
        if (length > maxBytes) {
            error = "The block is longer than " + std::to_string(maxBytes) + " bytes.";
            return ScpiParse::Malformed;
        }
        if (size < 2 + length) {
            return ScpiParse::NeedMore;
        }
        const ScpiParse end = TakeBlockEnd(data, size, 2 + length, consumed, error);
        if (end == ScpiParse::Complete) {
            answer.block = true;
            answer.bytes.assign(data + 2, length);
        }
        return end;
    }
    if (size < 2 + digits) {
        return ScpiParse::NeedMore;
    }
    std::size_t length = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = data[2 + i];
        if (!IsDigit(c)) {
            error = "The block length \"" + std::string(data + 2, digits) + "\" is not a number.";
            return ScpiParse::Malformed;
        }
        length = length * 10 + static_cast<std::size_t>(c - '0');
        if (length > maxBytes) {
            error = "The block is longer than " + std::to_string(maxBytes) + " bytes.";
            return ScpiParse::Malformed;
        }
    }
    const std::size_t start = 2 + digits;
    if (size < start + length) {
        return ScpiParse::NeedMore;
    }
    const ScpiParse end = TakeBlockEnd(data, size, start + length, consumed, error);
    if (end == ScpiParse::Complete) {
        answer.block = true;
        answer.bytes.assign(data + start, length);
    }
    return end;
}

bool ParseScpiNumber(const std::string& text, double& value) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    // No "inf", "nan" or hexadecimal numbers from an analyzer.
    for (char c : t) {
        if (!(IsDigit(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) {
            return false;
        }
    }
    return end == t.c_str() + t.size() && errno != ERANGE;
}

bool DecodeScpiNumbers(const ScpiAnswer& answer, bool swapped, std::vector<double>& out,
                       std::string& error) {
    out.clear();
    if (answer.block) {
        if (answer.bytes.size() % 8 != 0) {
            error = "The block of " + std::to_string(answer.bytes.size()) +
                    " bytes does not hold whole 64-bit numbers.";
            return false;
        }
        out.resize(answer.bytes.size() / 8);
        const auto* p = reinterpret_cast<const unsigned char*>(answer.bytes.data());
        for (std::size_t i = 0; i < out.size(); ++i) {
            std::uint64_t bits = 0;
            for (int b = 0; b < 8; ++b) {
                const unsigned char byte = p[8 * i + static_cast<std::size_t>(b)];
                // Big-endian: the first byte is the most significant.
                const int shift = swapped ? 8 * b : 8 * (7 - b);
                bits |= static_cast<std::uint64_t>(byte) << shift;
            }
            double v = 0;
            std::memcpy(&v, &bits, sizeof v);
            out[i] = v;
        }
        return true;
    }
    std::size_t pos = 0;
    const std::string& t = answer.bytes;
    if (TrimBlanks(t).empty()) {
        error = "The analyzer answered nothing where numbers were expected.";
        return false;
    }
    while (pos <= t.size()) {
        std::size_t comma = t.find(',', pos);
        if (comma == std::string::npos) {
            comma = t.size();
        }
        double v = 0;
        if (!ParseScpiNumber(t.substr(pos, comma - pos), v)) {
            std::string shown = t.substr(pos, comma - pos).substr(0, 40);
            error = "The answer holds \"" + shown + "\" where a number was expected.";
            out.clear();
            return false;
        }
        out.push_back(v);
        pos = comma + 1;
    }
    return true;
}

bool ParseScpiError(const std::string& text, int& number, std::string& message) {
    const std::size_t comma = text.find(',');
    double n = 0;
    // Error numbers are small whole numbers; anything else is no error answer.
    if (comma == std::string::npos || !ParseScpiNumber(text.substr(0, comma), n) ||
        !(n >= -1e6 && n <= 1e6) || n != std::floor(n)) {
        return false;
    }
    number = static_cast<int>(n);
    message = TrimBlanks(text.substr(comma + 1));
    if (message.size() >= 2 && message.front() == '"' && message.back() == '"') {
        message = message.substr(1, message.size() - 2);
    }
    return true;
}

std::string EncodeReal64Block(const std::vector<double>& values, bool swapped) {
    std::string body(values.size() * 8, '\0');
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &values[i], sizeof bits);
        for (int b = 0; b < 8; ++b) {
            const int shift = swapped ? 8 * b : 8 * (7 - b);
            body[8 * i + static_cast<std::size_t>(b)] = static_cast<char>((bits >> shift) & 0xff);
        }
    }
    const std::string length = std::to_string(body.size());
    return "#" + std::to_string(length.size()) + length + body;
}

}  // namespace kv
