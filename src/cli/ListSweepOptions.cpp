#include "cli/ListSweepOptions.h"

#include <cctype>
#include <charconv>
#include <string>

#include "instrument/RegularFile.h"
#include "touchstone/Touchstone.h"

namespace kv {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// A field of the Touchstone option line (the reader refuses the parameters other than S with its
// own reason), or the resistance after R.
bool OptionField(const std::string& field, bool afterR) {
    static const char* const kFields[] = {"hz", "khz", "mhz", "ghz", "s",  "y", "z",
                                          "h",  "g",   "ri",  "ma",  "db", "r"};
    for (const char* known : kFields) {
        if (field == known) {
            return true;
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return afterR && error == std::errc() && end == field.data() + field.size();
}

bool OptionLine(std::string_view body) {
    int fields = 0;
    bool afterR = false;
    for (std::size_t i = 0; i < body.size();) {
        if (IsBlank(body[i])) {
            ++i;
            continue;
        }
        std::string field;
        for (; i < body.size() && !IsBlank(body[i]); ++i) {
            field += static_cast<char>(std::tolower(static_cast<unsigned char>(body[i])));
        }
        if (!OptionField(field, afterR)) {
            return false;
        }
        afterR = field == "r";
        ++fields;
    }
    return fields > 0;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

}  // namespace

bool IsTouchstoneListFile(const std::string& path, std::string_view text) {
    if (path.size() >= 4 && LowerAscii(path.substr(path.size() - 4)) == ".s1p") {
        return true;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find_first_of("\r\n", from);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(from, end - from);
        from = end + 1;
        line = line.substr(0, line.find('!'));
        while (!line.empty() && IsBlank(line.front())) {
            line.remove_prefix(1);
        }
        if (line.find_first_not_of(" \t\r\f\v") == std::string_view::npos) {
            continue;
        }
        if (line.front() == '[') {
            return LowerAscii(line.substr(0, 9)) == "[version]";
        }
        return line.front() == '#' && OptionLine(line.substr(1));
    }
    return false;
}

FrequencyListResult ReadListFile(const std::string& path) {
    std::string text;
    const RegularFileStatus status = ReadRegularFile(path, text, kMaxTouchstoneFileBytes);
    if (status != RegularFileStatus::Ok) {
        return {
            {},
            "The file cannot be read: " + RegularFileReason(status, kMaxTouchstoneFileBytes) + "."};
    }
    if (!IsTouchstoneListFile(path, text)) {
        return ParseFrequencyListText(text);
    }
    const TouchstoneParse parse = ParseTouchstone(text);
    if (!parse.ok) {
        return {{},
                "The Touchstone file does not read at line " + std::to_string(parse.line) + ": " +
                    parse.reason + "."};
    }
    if (auto refusal = CheckFrequencyList(parse.data.frequencies)) {
        return {{}, *refusal};
    }
    return {parse.data.frequencies, {}};
}

bool ReadSweepList(CliOptions& o, std::FILE* err) {
    if (!o.segments && !o.listFile) {
        return true;
    }
    FrequencyListResult list;
    if (o.segments) {
        const SegmentsResult rows = ParseSegments(*o.segments);
        list = rows.Ok() ? ListFromSegments(rows.segments) : FrequencyListResult{{}, rows.refusal};
    } else {
        list = ReadListFile(*o.listFile);
    }
    if (!list.Ok()) {
        const std::string option = o.segments ? "--segments" : "--list " + *o.listFile;
        std::fprintf(err, "kv47310-cli: %s: %s\n", option.c_str(), list.refusal.c_str());
        return false;
    }
    o.list = std::move(list.frequencies);
    return true;
}

}  // namespace kv
