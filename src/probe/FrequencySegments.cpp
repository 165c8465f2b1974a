#include "probe/FrequencySegments.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "instrument/PrintableText.h"
#include "probe/Units.h"

namespace kv {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A text typed or read from a file, as a message quotes it: control characters made visible and
// a long text cut short.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    std::string shown = PrintableText(text.substr(0, kLongest));
    if (text.size() > kLongest) {
        shown += "...";
    }
    return "'" + shown + "'";
}

std::optional<double> FrequencyHz(std::string_view text) {
    double value = 0.0;
    std::string unit;
    if (!ParseFrequency(std::string(text), value, unit)) {
        return std::nullopt;
    }
    return value * UnitMultiplier(unit);
}

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The message form of a frequency, also of one that is no frequency at all.
std::string Shown(double hz) {
    return std::isfinite(hz) ? FormatFrequency(hz) : Printf("%g", hz);
}

std::string CountText(std::size_t n) {
    return n == 0 ? "no frequencies" : n == 1 ? "1 frequency" : Printf("%zu frequencies", n);
}

std::optional<std::string> CheckLength(std::size_t n) {
    if (n < kMinListFrequencies) {
        return "The list has " + CountText(n) +
               Printf("; it needs at least %zu.", kMinListFrequencies);
    }
    if (n > kMaxListFrequencies) {
        return "The list has " + CountText(n) +
               Printf("; it may have at most %zu.", kMaxListFrequencies);
    }
    return std::nullopt;
}

// CheckFrequencyList; with `lines` (the file line of every frequency) the texts name lines.
std::optional<std::string> CheckList(const std::vector<double>& frequencies,
                                     const std::vector<std::size_t>& lines) {
    if (auto refusal = CheckLength(frequencies.size())) {
        return refusal;
    }
    const bool byLine = !lines.empty();
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const std::string what =
            byLine ? Printf("The frequency on line %zu", lines[i]) : Printf("Frequency %zu", i + 1);
        if (!(std::isfinite(f) && f > 0.0)) {
            return what + " (" + Shown(f) + ") is not a finite frequency above 0 Hz.";
        }
        if (i > 0 && !(f > frequencies[i - 1])) {
            const std::string before =
                byLine ? Printf("the one on line %zu", lines[i - 1]) : Printf("frequency %zu", i);
            return what + " (" + Shown(f) + ") is not above " + before + " (" +
                   Shown(frequencies[i - 1]) + ").";
        }
    }
    return std::nullopt;
}

// Why row `row` (1-based) can give no frequencies, or none.
std::optional<std::string> CheckRow(const FrequencySegment& s, std::size_t row,
                                    const FrequencySegment* before) {
    const double a = s.startHz;
    const double b = s.stopHz;
    if (!(std::isfinite(a) && std::isfinite(b) && a > 0.0 && b > 0.0)) {
        return Printf("Row %zu: its start and stop must be finite frequencies above 0 Hz.", row);
    }
    if (b < a) {
        return Printf("Row %zu runs backwards: its stop is below its start.", row);
    }
    if (s.points < 1) {
        return Printf("Row %zu needs at least 1 point.", row);
    }
    if (a != b && s.points < 2) {
        return Printf("Row %zu needs at least 2 points: its start and stop differ.", row);
    }
    if (a == b && s.points > 1) {
        return Printf("Row %zu starts and stops at the same frequency: it has 1 point, not %d.",
                      row, s.points);
    }
    if (before != nullptr && a < before->stopHz) {
        return Printf("Row %zu starts below the stop of row %zu.", row, row - 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckFrequencyList(const std::vector<double>& frequencies) {
    return CheckList(frequencies, {});
}

FrequencyListResult ListFromSegments(const std::vector<FrequencySegment>& segments) {
    // Every row is checked and the length known before a frequency is made, so that a row of
    // two billion points is refused rather than allocated.
    std::size_t total = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const FrequencySegment* before = i > 0 ? &segments[i - 1] : nullptr;
        if (auto refusal = CheckRow(segments[i], i + 1, before)) {
            return {{}, *refusal};
        }
        const bool shared = before != nullptr && segments[i].startHz == before->stopHz;
        total += static_cast<std::size_t>(segments[i].points) - (shared ? 1 : 0);
    }
    if (auto refusal = CheckLength(total)) {
        return {{}, *refusal};
    }
    std::vector<double> list;
    list.reserve(total);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const FrequencySegment& s = segments[i];
        const int first = i > 0 && s.startHz == segments[i - 1].stopHz ? 1 : 0;
        const int last = s.points - 1;
        for (int j = first; j <= last; ++j) {
            if (j == last) {
                list.push_back(s.stopHz);
            } else if (s.logarithmic) {
                list.push_back(s.startHz * std::pow(s.stopHz / s.startHz, double(j) / last));
            } else {
                list.push_back(s.startHz + j * ((s.stopHz - s.startHz) / last));
            }
        }
    }
    // Rows too dense for double precision give frequencies that do not rise.
    if (auto refusal = CheckFrequencyList(list)) {
        return {{}, *refusal};
    }
    return {std::move(list), {}};
}

std::optional<std::string> ParseSegmentRow(std::size_t row, std::string_view start,
                                           std::string_view stop, std::string_view points,
                                           FrequencySegment& segment) {
    start = TrimBlanks(start);
    stop = TrimBlanks(stop);
    points = TrimBlanks(points);
    const auto startHz = FrequencyHz(start);
    const auto stopHz = FrequencyHz(stop);
    const auto count = WholeNumber(points);
    const std::string prefix = Printf("Row %zu: ", row);
    if (!startHz) {
        return prefix + "the start " + Quoted(start) + " is not a frequency.";
    }
    if (!stopHz) {
        return prefix + "the stop " + Quoted(stop) + " is not a frequency.";
    }
    if (!count) {
        return prefix + "the number of points " + Quoted(points) + " is not a whole number.";
    }
    segment.startHz = *startHz;
    segment.stopHz = *stopHz;
    segment.points = *count;
    return std::nullopt;
}

SegmentsResult ParseSegments(std::string_view text) {
    SegmentsResult result;
    if (TrimBlanks(text).empty()) {
        result.refusal = "The list has no rows.";
        return result;
    }
    std::size_t row = 0;
    std::size_t from = 0;
    while (from <= text.size()) {
        ++row;
        auto comma = text.find(',', from);
        if (comma == std::string_view::npos) {
            comma = text.size();
        }
        const std::string_view rowText = TrimBlanks(text.substr(from, comma - from));
        from = comma + 1;
        if (rowText.empty()) {
            result.refusal = Printf("Row %zu is empty.", row);
            return result;
        }
        std::vector<std::string_view> parts;
        for (std::size_t p = 0; p <= rowText.size();) {
            auto colon = rowText.find(':', p);
            if (colon == std::string_view::npos) {
                colon = rowText.size();
            }
            parts.push_back(TrimBlanks(rowText.substr(p, colon - p)));
            p = colon + 1;
        }
        if (parts.size() != 3 && parts.size() != 4) {
            result.refusal = Printf("Row %zu: ", row) + Quoted(rowText) +
                             " is not START:STOP:POINTS with an optional :log or :lin.";
            return result;
        }
        FrequencySegment segment;
        if (auto refusal = ParseSegmentRow(row, parts[0], parts[1], parts[2], segment)) {
            result.refusal = std::move(*refusal);
            return result;
        }
        const std::string prefix = Printf("Row %zu: ", row);
        if (parts.size() == 4) {
            std::string spacing(parts[3]);
            for (char& c : spacing) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (spacing != "log" && spacing != "lin") {
                result.refusal =
                    prefix + "the spacing " + Quoted(parts[3]) + " is neither log nor lin.";
                return result;
            }
            segment.logarithmic = spacing == "log";
        }
        result.segments.push_back(segment);
    }
    return result;
}

FrequencyListResult ParseFrequencyListText(std::string_view text) {
    // A byte order mark, as some editors write one, is no part of the first line.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        text.remove_prefix(kBom.size());
    }
    std::vector<double> list;
    std::vector<std::size_t> lines;
    std::size_t lineNumber = 0;
    for (std::size_t from = 0; from < text.size();) {
        ++lineNumber;
        auto end = text.find('\n', from);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == '#' || line.front() == '!') {
            continue;
        }
        const auto hz = FrequencyHz(line);
        if (!hz) {
            return {{}, Printf("Line %zu: ", lineNumber) + Quoted(line) + " is not a frequency."};
        }
        list.push_back(*hz);
        lines.push_back(lineNumber);
    }
    if (auto refusal = CheckList(list, lines)) {
        return {{}, *refusal};
    }
    return {std::move(list), {}};
}

}  // namespace kv
