#include "touchstone/Touchstone.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "instrument/RegularFile.h"

#include "instrument/PrintableText.h"

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string_view> Split(std::string_view s) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsBlank(s[i])) {
            ++i;
        }
        const std::size_t begin = i;
        while (i < s.size() && !IsBlank(s[i])) {
            ++i;
        }
        if (i > begin) {
            tokens.push_back(s.substr(begin, i - begin));
        }
    }
    return tokens;
}

// A finite number in the C locale's form, an optional "+" sign allowed.
std::optional<double> Number(std::string_view token) {
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '-' || token.front() == '+')) {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || ptr != token.data() + token.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A token as the message shows it: at most 40 bytes, control characters as "?" (a message is
// one line of text).
std::string Quoted(std::string_view token) {
    std::string text(token.substr(0, 40));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return "'" + text + "'";
}

enum class Format { RI, MA, DB };

struct Options {
    double unit = 1e9;
    Format format = Format::MA;
    double reference = 50.0;
};

class Reader {
public:
    TouchstoneParse Run(std::string_view text);

private:
    // Each returns an empty text when the line reads, else the reason.
    std::string OptionLine(std::string_view body);
    std::string Keyword(std::string_view line);
    std::string DataLine(std::string_view line);

    TouchstoneParse result_;
    Options options_;
    int version_ = 1;
    bool sawContent_ = false;
    bool sawOptions_ = false;
    bool sawPorts_ = false;
    long declaredPoints_ = -1;
    bool inNetworkData_ = false;
    bool afterNetworkData_ = false;
    bool inInformation_ = false;
    bool ended_ = false;
    bool referencePending_ = false;
    bool referenceGiven_ = false;
};

std::string Reader::OptionLine(std::string_view body) {
    for (std::string_view token : Split(body)) {
        const std::string t = Lower(token);
        if (referencePending_) {
            const auto r = Number(token);
            if (!r || *r <= 0.0) {
                return "the reference resistance " + Quoted(token) + " is not a positive number";
            }
            if (!referenceGiven_) {
                options_.reference = *r;
            }
            referencePending_ = false;
        } else if (t == "hz" || t == "khz" || t == "mhz" || t == "ghz") {
            options_.unit = t == "hz" ? 1.0 : t == "khz" ? 1e3 : t == "mhz" ? 1e6 : 1e9;
        } else if (t == "s") {
        } else if (t == "y" || t == "z" || t == "h" || t == "g") {
            return "the file holds " + std::string(token) +
                   " parameters; only S parameters are read";
        } else if (t == "ri" || t == "ma" || t == "db") {
            options_.format = t == "ri" ? Format::RI : t == "ma" ? Format::MA : Format::DB;
        } else if (t == "r") {
            referencePending_ = true;
        } else {
            return "the option line holds an unknown field " + Quoted(token);
        }
    }
    if (referencePending_) {
        referencePending_ = false;
        return "the option line names no reference resistance after R";
    }
    return {};
}

std::string Reader::Keyword(std::string_view line) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return "the keyword " + Quoted(line) + " has no closing bracket";
    }
    const std::string name = Lower(Trim(line.substr(1, close - 1)));
    const std::string_view rest = Trim(line.substr(close + 1));
    const bool first = !sawContent_;
    sawContent_ = true;
    if (inInformation_) {
        if (name == "end information") {
            inInformation_ = false;
        }
        return {};
    }
    if (name == "version") {
        const auto v = Number(rest);
        if (!first) {
            return "[Version] must come before everything else";
        }
        if (!v || *v < 2.0 || *v >= 3.0) {
            return "version " + Quoted(rest) + " is not read (versions 1 and 2 are)";
        }
        version_ = 2;
        return {};
    }
    if (version_ == 1) {
        return "the keyword [" + std::string(line.substr(1, close - 1)) +
               "] belongs to version 2, but the file has no [Version] line";
    }
    if (name == "number of ports") {
        const auto n = Number(rest);
        if (!n || *n != 1.0) {
            return "the file describes " + Quoted(rest) + " ports; only one-port files are read";
        }
        sawPorts_ = true;
    } else if (name == "number of frequencies") {
        const auto n = Number(rest);
        if (!n || *n < 1.0 || *n > 1e8 || *n != std::floor(*n)) {
            return "the number of frequencies " + Quoted(rest) + " is not a positive whole number";
        }
        declaredPoints_ = static_cast<long>(*n);
    } else if (name == "reference") {
        if (rest.empty()) {
            referencePending_ = true;
            return {};
        }
        const auto tokens = Split(rest);
        const auto r = Number(tokens.front());
        if (tokens.size() != 1 || !r || *r <= 0.0) {
            return "[Reference] " + Quoted(rest) + " is not one positive resistance";
        }
        options_.reference = *r;
        referenceGiven_ = true;
    } else if (name == "two-port data order" || name == "matrix format" ||
               name == "mixed-mode order" || name == "number of noise frequencies") {
    } else if (name == "begin information") {
        inInformation_ = true;
    } else if (name == "network data") {
        if (!sawOptions_) {
            return "[Network Data] comes before the option line";
        }
        if (!sawPorts_) {
            return "[Network Data] comes before [Number of Ports]";
        }
        if (declaredPoints_ < 0) {
            return "[Network Data] comes before [Number of Frequencies]";
        }
        inNetworkData_ = true;
    } else if (name == "noise data") {
        inNetworkData_ = false;
        afterNetworkData_ = true;
    } else if (name == "end") {
        ended_ = true;
    } else {
        return "[" + std::string(line.substr(1, close - 1)) +
               "] is not a keyword this program reads";
    }
    return {};
}

std::string Reader::DataLine(std::string_view line) {
    const auto tokens = Split(line);
    if (tokens.size() != 3) {
        return "a point of a one-port file is three numbers (frequency, two parts of S11), the "
               "line "
               "holds " +
               std::to_string(tokens.size());
    }
    double v[3];
    for (int i = 0; i < 3; ++i) {
        const auto n = Number(tokens[static_cast<std::size_t>(i)]);
        if (!n) {
            return Quoted(tokens[static_cast<std::size_t>(i)]) + " is not a number";
        }
        v[i] = *n;
    }
    const double f = v[0] * options_.unit;
    if (!(f >= 0.0) || !std::isfinite(f)) {
        return "the frequency " + Quoted(tokens[0]) + " is negative or too large";
    }
    auto& data = result_.data;
    if (!data.frequencies.empty() && !(f > data.frequencies.back())) {
        return "the frequency " + Quoted(tokens[0]) + " is not above the one before";
    }
    CComplex s;
    switch (options_.format) {
        case Format::RI:
            s = CComplex(v[1], v[2]);
            break;
        case Format::MA:
        case Format::DB: {
            const double magnitude =
                options_.format == Format::MA ? v[1] : std::pow(10.0, v[1] / 20.0);
            const double angle = v[2] * kPi / 180.0;
            s = CComplex(magnitude * std::cos(angle), magnitude * std::sin(angle));
            break;
        }
    }
    if (!std::isfinite(s.re) || !std::isfinite(s.im)) {
        return "the value of S11 is too large";
    }
    data.frequencies.push_back(f);
    data.s11.push_back(s);
    return {};
}

TouchstoneParse Reader::Run(std::string_view text) {
    int lineNumber = 0;
    std::size_t at = 0;
    std::string reason;
    // A UTF-8 byte-order mark before the first line is no part of it.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        at = 3;
    }
    while (at < text.size() && reason.empty()) {
        // Lines end in LF, CR LF or a lone CR.
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (end < text.size() && text[end] == '\r' && at < text.size() && text[at] == '\n') {
            ++at;
        }
        ++lineNumber;
        if (line.find('\0') != std::string_view::npos) {
            reason = "the line holds a NUL byte, so this is not a text file";
            break;
        }
        if (ended_) {
            continue;
        }
        if (const std::size_t bang = line.find('!'); bang != std::string_view::npos) {
            line = line.substr(0, bang);
        }
        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            reason = Keyword(line);
        } else if (inInformation_) {
        } else if (referencePending_) {
            const auto tokens = Split(line);
            const auto r = Number(tokens.front());
            if (tokens.size() != 1 || !r || *r <= 0.0) {
                reason = "[Reference] " + Quoted(line) + " is not one positive resistance";
            } else {
                options_.reference = *r;
                referenceGiven_ = true;
                referencePending_ = false;
            }
        } else if (line.front() == '#') {
            sawContent_ = true;
            // Only the first option line counts.
            if (!sawOptions_) {
                sawOptions_ = true;
                const double reference = options_.reference;
                reason = OptionLine(line.substr(1));
                if (referenceGiven_) {
                    options_.reference = reference;
                }
            }
        } else if (version_ == 2 && afterNetworkData_) {
        } else if (version_ == 2 && !inNetworkData_) {
            reason = "data come before [Network Data]";
        } else {
            sawContent_ = true;
            reason = DataLine(line);
            if (reason.empty() && version_ == 2 &&
                static_cast<long>(result_.data.frequencies.size()) > declaredPoints_) {
                reason = "the file holds more points than [Number of Frequencies] says (" +
                         std::to_string(declaredPoints_) + ")";
            }
        }
    }
    if (reason.empty()) {
        const long points = static_cast<long>(result_.data.frequencies.size());
        if (version_ == 2 && !inNetworkData_ && !afterNetworkData_) {
            reason = "the file has no [Network Data]";
        } else if (points == 0) {
            reason = "the file holds no data";
        } else if (version_ == 2 && points != declaredPoints_) {
            reason = "the file holds " + std::to_string(points) +
                     " points, but [Number of Frequencies] says " + std::to_string(declaredPoints_);
        }
    }
    if (!reason.empty()) {
        result_.ok = false;
        result_.line = std::max(lineNumber, 1);
        result_.reason = reason;
        result_.data = TouchstoneData{};
        return result_;
    }
    result_.ok = true;
    result_.line = 0;
    result_.data.referenceOhms = options_.reference;
    return result_;
}

void AppendNumber(std::string& out, double value) {
    char buffer[40];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, ec == std::errc() ? ptr : buffer);
}

// A comment holds one line of printable text: line ends become blanks, other control
// characters are replaced.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return PrintableText(text);
}

}  // namespace

TouchstoneParse ParseTouchstone(std::string_view text) {
    return Reader().Run(text);
}

TouchstoneParse ReadTouchstoneFile(const std::string& path) {
    std::string text;
    const RegularFileStatus status = ReadRegularFile(path, text, kMaxTouchstoneFileBytes);
    if (status != RegularFileStatus::Ok) {
        TouchstoneParse refused;
        refused.reason = RegularFileReason(status, kMaxTouchstoneFileBytes);
        return refused;
    }
    return ParseTouchstone(text);
}

std::string TouchstoneErrorText(const std::string& path, const TouchstoneParse& parse) {
    if (parse.line <= 0) {
        return "The Touchstone file " + path + " cannot be read: " + parse.reason + ".";
    }
    return "The Touchstone file " + path + " does not read at line " + std::to_string(parse.line) +
           ": " + parse.reason + ".";
}

bool AllFinite(const TouchstoneData& data) {
    return std::all_of(data.frequencies.begin(), data.frequencies.end(),
                       [](double f) { return std::isfinite(f); }) &&
           std::all_of(data.s11.begin(), data.s11.end(), [](const CComplex& s) {
               return std::isfinite(s.re) && std::isfinite(s.im);
           });
}

std::string FormatTouchstone(const TouchstoneData& data, const std::string& instrument,
                             const std::string& date) {
    std::string out = "! One-port reflection S11 written by kv47310\n";
    out += "! Instrument: " + OneLine(instrument) + "\n";
    out += "! Date: " + OneLine(date) + "\n";
    out += "# Hz S RI R ";
    AppendNumber(out, data.referenceOhms);
    out += "\n";
    const std::size_t n = std::min(data.frequencies.size(), data.s11.size());
    for (std::size_t i = 0; i < n; ++i) {
        AppendNumber(out, data.frequencies[i]);
        out += ' ';
        AppendNumber(out, data.s11[i].re);
        out += ' ';
        AppendNumber(out, data.s11[i].im);
        out += '\n';
    }
    return out;
}

}  // namespace kv
