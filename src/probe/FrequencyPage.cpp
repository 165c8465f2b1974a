#include "probe/FrequencyPage.h"

#include "instrument/LinearRuns.h"
#include "probe/FrequencyList.h"
#include "probe/Units.h"

namespace kv {

namespace {

constexpr const char* kCaption = "Setup";

bool GivesExactly(const std::vector<FrequencySegment>& rows, const std::vector<double>& list) {
    return !rows.empty() && ListFromSegments(rows).frequencies == list;
}

}  // namespace

std::optional<FrequencyPage::Refusal> FrequencyPage::LeaveCheck() const {
    if (sweep.sweepType == SweepKind::List) {
        std::optional<std::string> refusal;
        if (segments.empty()) {
            refusal = CheckFrequencyList(sweep.list);
        } else if (FrequencyListResult rows = ListFromSegments(segments); !rows.Ok()) {
            refusal = std::move(rows.refusal);
        }
        if (refusal) {
            return Refusal{std::move(*refusal), kCaption};
        }
        return std::nullopt;
    }
    const double start = sweep.StartHz();
    const double stop = sweep.StopHz();
    if (stop < start) {
        return Refusal{"The start frequency must be less than the stop frequency.", kCaption};
    }
    if (sweep.numPoints <= 0) {
        return Refusal{"The number of points must be greater than zero.", kCaption};
    }
    return std::nullopt;
}

std::optional<FrequencyPage::Refusal> FrequencyPage::Leave() {
    if (sweep.sweepType != SweepKind::List || segments.empty()) {
        return LeaveCheck();
    }
    FrequencyListResult rows = ListFromSegments(segments);
    if (!rows.Ok()) {
        return Refusal{std::move(rows.refusal), kCaption};
    }
    sweep = ListSweep(std::move(rows.frequencies));
    return std::nullopt;
}

std::string FrequencyPage::KeptListNote() const {
    if (sweep.sweepType != SweepKind::List || !segments.empty() || sweep.list.empty()) {
        return {};
    }
    return Printf("The current list (%zu points from ", sweep.list.size()) +
           FormatFrequency(sweep.list.front()) + " to " + FormatFrequency(sweep.list.back()) +
           ") is kept unless rows are entered.";
}

std::vector<FrequencySegment> RowsOfList(const std::vector<double>& list,
                                         const std::vector<FrequencySegment>& remembered) {
    if (GivesExactly(remembered, list)) {
        return remembered;
    }
    const std::vector<LinearRun> runs = SplitLinearRuns(list);
    if (runs.size() > kMostShownRows) {
        return {};
    }
    std::vector<FrequencySegment> rows;
    rows.reserve(runs.size());
    for (const LinearRun& run : runs) {
        rows.push_back({run.start, run.stop, run.points, false});
    }
    return GivesExactly(rows, list) ? rows : std::vector<FrequencySegment>{};
}

}  // namespace kv
