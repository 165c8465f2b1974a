// The uncertainty of the Data trace in the views: the chart's band, the table's columns and the
// budget window.
#include <algorithm>

#include "display/BudgetSheet.h"
#include "display/TraceValues.h"
#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"

namespace kv {

void CKv4731xDoc::TakeResultUncertainty() {
    CTrace& data = traces_[kDataTrace];
    const MeasurementResult& result = engine_->result;
    const std::size_t n = data.permittivity.size();
    if (n > 0 && result.uncertaintyE1.size() == n && result.uncertaintyE2.size() == n) {
        data.uncertaintyE1 = result.uncertaintyE1;
        data.uncertaintyE2 = result.uncertaintyE2;
    } else {
        data.uncertaintyE1.clear();
        data.uncertaintyE2.clear();
    }
}

bool CKv4731xDoc::DataHasUncertainty() const {
    return TraceValid(kDataTrace) && Trace(kDataTrace).HasUncertainty();
}

bool CKv4731xDoc::UncertaintyColumnsShown() const {
    return uncertaintyBand && mathMode == TraceMath::Off && TraceDisplayedAndValid(kDataTrace) &&
           Trace(kDataTrace).HasUncertainty();
}

std::string CKv4731xDoc::UncertaintyTitle(int column) const {
    int shown = 0;
    for (int t = 0; t < kTraceCount; ++t) {
        shown += TraceDisplayedAndValid(t) ? 1 : 0;
    }
    return UncertaintyColumnTitle(column, shown >= 2);
}

std::string CKv4731xDoc::UncertaintyText(int point, int column) const {
    return Trim(UncertaintyCellText(Trace(kDataTrace), point, column));
}

std::optional<UncertaintyExtent> CKv4731xDoc::BandAt(int trace, int point) const {
    if (!uncertaintyBand || !TraceDisplayedAndValid(trace)) {
        return std::nullopt;
    }
    TraceSet set;
    for (int t = 0; t < kTraceCount; ++t) {
        set.traces[static_cast<std::size_t>(t)] = &Trace(t);
    }
    set.frequencies = &engine_->frequencies;
    set.mathMode = mathMode;
    set.referenceTrace = referenceTrace;
    return ChartUncertainty(set, RecordOf(currentChartFormat_), trace, point);
}

void CKv4731xDoc::ToggleUncertaintyBand() {
    uncertaintyBand = !uncertaintyBand;
    profile_.Write(kProfileUncertaintyBand, uncertaintyBand ? "1" : "0");
    UpdateAllViews();
}

void CKv4731xDoc::OnUncertaintyBudget() {
    const MeasurementResult& result = engine_->result;
    const int points = static_cast<int>(result.frequencies.size());
    if (points == 0) {
        return;
    }
    const int point = std::clamp(markerPosition, 0, points - 1);
    const auto budget = engine_->BudgetAt(static_cast<std::size_t>(point));
    if (!budget) {
        ui_.Message(kNoBudgetText +
                        FrequencyText(result.frequencies[static_cast<std::size_t>(point)],
                                      FrequencyForm::Fixed) +
                        ".",
                    kBudgetCaption, Buttons::Ok);
        return;
    }
    ui_.ShowBudget(BudgetSheetOf(*budget));
}

}  // namespace kv
