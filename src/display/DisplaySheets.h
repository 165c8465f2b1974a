#pragma once

// Values of the two display sheets. "Display" (data to memory, traces displayed, trace math) and
// "Display options" (title, subtitle, time and date, the element fonts and colours, the grid and
// the four traces) work on these copies; the document takes them back on OK only.

#include <array>
#include <ctime>
#include <string>

#include "display/CTrace.h"
#include "display/LogFont.h"
#include "display/TraceMath.h"

namespace kv {

// The views a print, a preview, a copy or an export is made of.
enum class ViewKind { Chart, Table, TimeChart };

// A text element of the chart and table: title, subtitle.
struct TextAnnotation {
    std::string text;
    bool shown = true;
    ColorRef colour = 0;
    LogFont font;

    bool operator==(const TextAnnotation&) const = default;
};

// ------------------------------------------------------------------------------ "Display" sheet

enum DisplaySheetPage { kPageDataToMemory = 0, kPageTracesDisplayed = 1, kPageTraceMath = 2 };
inline constexpr int kDisplaySheetPages = 3;

struct DisplaySheet {
    int memory = -1;  // data to memory: -1 none chosen, 0 to 2 Memory 1 to 3
    std::array<bool, kTraceCount> displayed{};
    std::array<bool, kTraceCount> valid{};
    TraceMath mathMode = TraceMath::Off;
    int referenceTrace = 0;

    // An invalid trace can neither be switched on nor be the reference.
    bool CanDisplay(int trace) const { return valid[static_cast<std::size_t>(trace)]; }
    bool CanReference(int trace) const { return valid[static_cast<std::size_t>(trace)]; }
};

// ---------------------------------------------------------------------- "Display options" sheet

enum DisplayOptionsPage {
    kPageTitle = 0,
    kPageSubtitle = 1,
    kPageTimeDate = 2,
    kPageParameterFont = 3,
    kPageLabelFont = 4,
    kPageGrid = 5,
    kPageTableFont = 6,
    kPageFirstTrace = 7,  // Data; Memory 1 to 3 follow
};
inline constexpr int kDisplayOptionsPages = 11;
inline constexpr const char* kDisplayOptionsCaptions[kDisplayOptionsPages] = {
    "Title",      "SubTitle", "Time and date", "Parameter font", "Label font", "Grid color",
    "Table font", "Data",     "Memory 1",      "Memory 2",       "Memory 3"};

// A colour and a font with the sample text its page shows (not stored back).
struct StyledElement {
    ColorRef colour = 0;
    LogFont font;
    std::string sample;
};

struct TraceStyle {
    std::string label;
    ColorRef colour = 0;
    LogFont font;
};

struct TimeDateOptions {
    bool shown = true;
    bool updateOnMeasurement = true;
    ColorRef colour = 0;
    LogFont font;
    std::time_t dateStamp = 0;  // its date is shown
    std::time_t timeStamp = 0;  // its time is shown
};

struct DisplayOptionsSheet {
    // The sheet with only the four trace pages (pages kPageFirstTrace and after).
    bool tracesOnly = false;

    TextAnnotation title;
    TextAnnotation subtitle;
    TimeDateOptions timeDate;
    StyledElement parameter;  // sample: the chart's parameter label
    StyledElement scale;      // sample: the sweep's start frequency
    StyledElement table;      // sample: "Frequency"
    ColorRef gridColour = 0;
    int lineWidth = 1;  // the chart's line width, 0 to 10 on the slider
    std::array<TraceStyle, kTraceCount> traces;
};

inline constexpr int kMaxLineWidth = 10;

// The preview of the time-and-date page: " <date> \r\n" followed by " <time>" padded with blanks
// to the length of the date text.
std::string TimeDatePreviewText(std::time_t dateStamp, std::time_t timeStamp);

// The positions of the grid page's preview lines: ten lines spaced one eleventh of `extent` (the
// screen's resolution in that direction) apart, the first at one eleventh.
std::array<int, 10> GridPreviewLines(int extent);

}  // namespace kv
