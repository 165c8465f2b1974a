#pragma once

// A sweep on any list of frequencies: the list itself, built from rows of start, stop, points
// and spacing, or read from a text. Every function here says why it refuses a list in a text fit
// for the operator.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// One row of a list: `points` frequencies from start to stop inclusive, spaced equally in hertz
// or, when logarithmic, by an equal ratio. A row of 1 point is its start (and its stop).
struct FrequencySegment {
    double startHz = 0.0;
    double stopHz = 0.0;
    int points = 0;
    bool logarithmic = false;

    bool operator==(const FrequencySegment&) const = default;
};

// How long a list may be.
inline constexpr std::size_t kMinListFrequencies = 2;
inline constexpr std::size_t kMaxListFrequencies = 100001;

// A list of frequencies in hertz, or the text that says why there is none.
struct FrequencyListResult {
    std::vector<double> frequencies;  // empty when refused
    std::string refusal;              // empty when the list is good

    bool Ok() const { return refusal.empty(); }
};

// The rows of a list as typed, or the text that says why they could not be read.
struct SegmentsResult {
    std::vector<FrequencySegment> segments;
    std::string refusal;

    bool Ok() const { return refusal.empty(); }
};

// Why the list is no list the program measures on: fewer than 2 or more than 100001
// frequencies, a frequency not finite or not above 0 Hz, or one not above the one before (the
// text names it by its 1-based number). None for a good list.
std::optional<std::string> CheckFrequencyList(const std::vector<double>& frequencies);

// The rows' frequencies in order. A row that starts exactly at the stop of the row before does
// not repeat that frequency. Refused, naming the row by its 1-based number: a row whose
// frequencies are not finite and above 0 Hz, that runs backwards, has too few points (1 when
// its start is its stop, else 2) or more than 1 between equal start and stop, or starts below
// the stop of the row before; then the whole list as CheckFrequencyList does.
FrequencyListResult ListFromSegments(const std::vector<FrequencySegment>& segments);

// The terminal's form of rows: "START:STOP:POINTS" with an optional ":log" or ":lin" (linear, the
// default), rows separated by commas, for example "50MHz:1GHz:101,1GHz:20GHz:200:log".
// Frequencies take the units of ParseFrequency (Units.h); blanks around every part are ignored.
// Refused, naming the row and the part, for anything else. The rows are not checked against
// each other here (ListFromSegments does that).
SegmentsResult ParseSegments(std::string_view text);

// One row as typed: its start, stop and number of points (blanks around each ignored), into
// `segment`'s start, stop and points. Refused as ParseSegments refuses them, naming row `row`:
// "Row 2: the start 'x' is not a frequency.".
std::optional<std::string> ParseSegmentRow(std::size_t row, std::string_view start,
                                           std::string_view stop, std::string_view points,
                                           FrequencySegment& segment);

// A list file's text: one frequency a line, in hertz or with a unit as ParseFrequency takes it.
// Blank lines and lines starting with '#' or '!' are skipped; lines end in LF or CR LF. Refused,
// naming the line by its number, for a line that is no frequency, and for a list
// CheckFrequencyList refuses (naming lines, not frequencies).
FrequencyListResult ParseFrequencyListText(std::string_view text);

}  // namespace kv
