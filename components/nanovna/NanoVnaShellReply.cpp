#include "NanoVnaShellReply.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 40)) {
        const auto u = static_cast<unsigned char>(c);
        shown += u >= 32 && u < 127 ? c : '?';
    }
    return shown;
}

bool Digits(std::string_view t) {
    if (t.empty() || t.size() > 19) {
        return false;
    }
    for (char c : t) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool Number(std::string_view t, double& v) {
    if (t.empty() || t.size() > 40) {
        return false;
    }
    const std::string s(t);
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(v) &&
           s.find_first_of("xXnNiI") == std::string::npos;
}

}  // namespace

ShellReplyState ReadShellReply(std::string_view bytes, std::string_view command,
                               std::vector<std::string>& lines, std::size_t& used,
                               std::string& error) {
    lines.clear();
    used = 0;
    // The echo: the command's characters, then "\r\n".
    const std::string echo = std::string(command) + "\r\n";
    const std::size_t n = std::min(bytes.size(), echo.size());
    if (bytes.substr(0, n) != std::string_view(echo).substr(0, n)) {
        error = "the analyzer did not echo the command (it sent \"" + Shown(bytes) + "\")";
        return ShellReplyState::Malformed;
    }
    if (bytes.size() < echo.size()) {
        return ShellReplyState::Incomplete;
    }
    std::size_t pos = echo.size();
    for (;;) {
        if (pos > kMaxShellReplyBytes) {
            error = "the reply is longer than " + std::to_string(kMaxShellReplyBytes) + " bytes";
            return ShellReplyState::Malformed;
        }
        const std::string_view rest = bytes.substr(pos);
        // The prompt at a line's start ends the reply.
        const std::size_t p = std::min(rest.size(), kShellPrompt.size());
        if (rest.substr(0, p) == kShellPrompt.substr(0, p)) {
            if (p < kShellPrompt.size()) {
                return ShellReplyState::Incomplete;
            }
            used = pos + kShellPrompt.size();
            return ShellReplyState::Complete;
        }
        std::size_t i = 0;
        for (; i < rest.size(); ++i) {
            const auto c = static_cast<unsigned char>(rest[i]);
            if (c == '\r') {
                break;
            }
            if ((c < 32 && c != '\t') || c == 127 || c == '\n') {
                error = "the reply holds the control byte " + std::to_string(c) +
                        " in the line \"" + Shown(rest.substr(0, i)) + "\"";
                return ShellReplyState::Malformed;
            }
        }
        if (i + 2 > rest.size()) {
            if (rest.size() > kMaxShellReplyBytes) {
                error = "a line of the reply is longer than " +
                        std::to_string(kMaxShellReplyBytes) + " bytes";
                return ShellReplyState::Malformed;
            }
            return ShellReplyState::Incomplete;
        }
        if (rest[i + 1] != '\n') {
            error = "a line of the reply ends in \"\\r\" without \"\\n\" (\"" +
                    Shown(rest.substr(0, i)) + "\")";
            return ShellReplyState::Malformed;
        }
        lines.emplace_back(rest.substr(0, i));
        pos += i + 2;
    }
}

bool ParseShellScanLine(std::string_view line, unsigned mask, ShellScanPoint& point,
                        std::string& error) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    const std::size_t expected = ((mask & 1) ? 1 : 0) + ((mask & 2) ? 2 : 0) + ((mask & 4) ? 2 : 0);
    if (fields.size() != expected) {
        error = "the line \"" + Shown(line) + "\" holds " + std::to_string(fields.size()) +
                " fields where " + std::to_string(expected) + " were expected";
        return false;
    }
    std::size_t f = 0;
    if (mask & 1) {
        if (!Digits(fields[0])) {
            error = "\"" + Shown(fields[0]) + "\" is no frequency in hertz";
            return false;
        }
        point.hz = std::strtoull(std::string(fields[0]).c_str(), nullptr, 10);
        f = 1;
    }
    if (mask & 2) {
        if (!Number(fields[f], point.re) || !Number(fields[f + 1], point.im)) {
            error = "the line \"" + Shown(line) + "\" holds no S11 as two numbers";
            return false;
        }
    }
    return true;
}

int ShellPointsLimit(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (std::string_view key :
             {std::string_view("sweep points exceeds range "), std::string_view("p:")}) {
            const std::size_t at = line.find(key);
            if (at == std::string::npos ||
                (key == "p:" && at > 0 && std::isalnum(static_cast<unsigned char>(line[at - 1])))) {
                continue;
            }
            std::size_t end = at + key.size();
            while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
                ++end;
            }
            const std::string_view digits =
                std::string_view(line).substr(at + key.size(), end - at - key.size());
            if (Digits(digits) && digits.size() <= 6) {
                const int n = std::atoi(std::string(digits).c_str());
                if (n >= 2 && n <= 100000) {
                    return n;
                }
            }
        }
    }
    return 0;
}

}  // namespace kv
