#pragma once

// Values of the "Set Frequency" page and its own leave-page checks.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "probe/FrequencySegments.h"
#include "probe/Sweep.h"

namespace kv {

struct FrequencyPage {
    Sweep sweep;
    bool setChartScale = true;
    bool logSweepEnabled = true;
    // The rows of a list sweep as the page shows them. Leaving the page with the list kind makes
    // them the sweep's list; with no rows the sweep's list is kept as it is.
    std::vector<FrequencySegment> segments;

    struct Refusal {
        std::string text;
        std::string caption;
    };
    // The checks made when the operator leaves the page with OK: the start may not lie above
    // the stop, and there must be at least one point. Equal start and stop pass. A list is
    // checked as ListFromSegments checks its rows (naming the row), or without rows as
    // CheckFrequencyList checks the sweep's list.
    std::optional<Refusal> LeaveCheck() const;
    // LeaveCheck; when it passes on the list kind with rows, the sweep becomes the list sweep of
    // the rows' list.
    std::optional<Refusal> Leave();

    // What the page says of a list sweep it shows without rows: "The current list (N points
    // from A to B) is kept unless rows are entered."; empty for any other page.
    std::string KeptListNote() const;
};

// The most rows the page shows for a list it opens on.
inline constexpr std::size_t kMostShownRows = 100;

// The rows the page opens with on a list sweep: `remembered` (the rows the list was last set
// from) when they give exactly this list, else its linear runs (SplitLinearRuns) as linear rows
// when there are at most kMostShownRows of them and they give exactly this list, else none.
std::vector<FrequencySegment> RowsOfList(const std::vector<double>& list,
                                         const std::vector<FrequencySegment>& remembered = {});

// The unit texts the page offers, in order.
inline constexpr const char* kUnitTexts[] = {"Hz", "KHz", "MHz", "GHz"};

}  // namespace kv
