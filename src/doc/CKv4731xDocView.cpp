// Values, scales and the marker of the chart and table views.
#include <algorithm>
#include <cmath>
#include <optional>

#include "display/LogLimits.h"
#include "display/ScaleFit.h"
#include "display/ScaleSheet.h"
#include "display/TableLayout.h"
#include "display/TraceValues.h"
#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"

namespace kv {

namespace {

constexpr const char* kReferenceInvalidText =
    "Reference trace is not valid. Math functions turned off.";
constexpr const char* kReferenceInvalidCaption = "Display";

TraceSet ViewTraces(const CKv4731xDoc& doc) {
    TraceSet set;
    for (int t = 0; t < kTraceCount; ++t) {
        set.traces[static_cast<std::size_t>(t)] = &doc.Trace(t);
    }
    set.frequencies = &doc.Engine().frequencies;
    set.mathMode = doc.mathMode;
    set.referenceTrace = doc.referenceTrace;
    return set;
}

// Limits that fit the values of the displayed and valid traces (trace math applied) in the
// current chart format: the vertical pair fitted, the horizontal pair fitted for a Cole-Cole
// format and written in a frequency unit otherwise. No value when there is nothing to fit.
struct FittedScale {
    Limits limits;
    std::string minUnit;
    std::string maxUnit;
};

std::optional<FittedScale> FitToData(const CKv4731xDoc& doc) {
    const TraceSet set = ViewTraces(doc);
    const int format = RecordOf(doc.CurrentChartFormat());
    const int points = doc.ViewPointCount();
    AxisExtents x;
    AxisExtents y;
    for (int t = 0; t < kTraceCount; ++t) {
        if (!doc.TraceDisplayedAndValid(t)) {
            continue;
        }
        for (int i = 0; i < points; ++i) {
            // A point has a place on the chart only with both values.
            const double xv = ChartXValue(set, format, t, i);
            const double yv = ChartYValue(set, format, t, i);
            if (std::isfinite(xv) && std::isfinite(yv)) {
                x.Add(xv);
                y.Add(yv);
            }
        }
    }
    if (!x.any) {
        return std::nullopt;
    }
    FittedScale fit;
    fit.limits = {x.min, x.max, y.min, y.max};
    FitScale(fit.limits.yMax, fit.limits.yMin);
    if (doc.CurrentChart().IsColeCole()) {
        FitScale(fit.limits.xMax, fit.limits.xMin);
        fit.minUnit = doc.CurrentChart().minUnit;
        fit.maxUnit = doc.CurrentChart().maxUnit;
    } else {
        fit.minUnit = ScaleHzToUnit(fit.limits.xMin);
        fit.maxUnit = ScaleHzToUnit(fit.limits.xMax);
    }
    return fit;
}

}  // namespace

int CKv4731xDoc::ViewPointCount() const {
    return std::max(0, engine_->sweep.numPoints);
}

double CKv4731xDoc::XValue(int trace, int point) const {
    return ChartXValue(ViewTraces(*this), RecordOf(currentChartFormat_), trace, point);
}

double CKv4731xDoc::YValue(int trace, int point) const {
    return ChartYValue(ViewTraces(*this), RecordOf(currentChartFormat_), trace, point);
}

std::string CKv4731xDoc::CellText(int trace, int point, int column) const {
    return TableCellText(ViewTraces(*this), RecordOf(currentTableFormat_), trace, point, column);
}

std::string CKv4731xDoc::CopyRowText(int point, bool permeability) const {
    return TableCopyRow(ViewTraces(*this), RecordOf(currentTableFormat_), point, permeability);
}

std::vector<std::string> CKv4731xDoc::CopyTitles(bool permeability, bool sensitivity) const {
    return TableCopyTitles(ViewTraces(*this), RecordOf(currentTableFormat_), permeability,
                           sensitivity);
}

std::string CKv4731xDoc::ColumnTitle(int trace, int column) const {
    const auto& titles = Format(RecordOf(currentTableFormat_)).columnTitles;
    const std::string& quantity = titles[static_cast<std::size_t>(column == 0 ? 0 : 1)];
    return TableColumnTitle(trace, quantity, DisplayedTraceCount(ViewTraces(*this)) >= 2);
}

void CKv4731xDoc::Autoscale() {
    SetModified();
    const auto fit = FitToData(*this);
    if (!fit) {
        return;
    }
    CPlotFormat& format = CurrentChart();
    format.current = fit->limits;
    format.minUnit = fit->minUnit;
    format.maxUnit = fit->maxUnit;
    UpdateAllViews();
}

void CKv4731xDoc::SetScale(int page) {
    CPlotFormat& format = CurrentChart();
    const bool coleCole = format.IsColeCole();

    // The offer the "AutoScale" buttons load.
    if (const auto fit = FitToData(*this)) {
        format.offer = fit->limits;
        format.offerMinUnit = fit->minUnit;
        format.offerMaxUnit = fit->maxUnit;
    } else {
        format.offer = format.defaults;
        format.offerMinUnit = format.minUnit;
        format.offerMaxUnit = format.maxUnit;
    }

    if (page >= 0) {
        scaleSheetPage = page;
    }
    ScaleSheet sheet{format};
    int activePage = scaleSheetPage;
    if (!ui_.EditScaleSheet(sheet, activePage)) {
        return;
    }

    SetModified();
    const CPlotFormat& edited = sheet.format;
    if (coleCole) {
        format.current.xMax = edited.current.xMax;
        format.current.xMin = edited.current.xMin;
        format.maxUnit = edited.maxUnit;
        format.minUnit = edited.minUnit;
    } else {
        double max = edited.current.xMax * UnitMultiplier(edited.maxUnit);
        double min = edited.current.xMin * UnitMultiplier(edited.minUnit);
        format.maxUnit = ScaleHzToUnit(max);
        format.minUnit = ScaleHzToUnit(min);
        format.current.xMax = max;
        format.current.xMin = min;
    }
    format.xLog = edited.xLog;
    format.current.yMax = edited.current.yMax;
    format.current.yMin = edited.current.yMin;
    format.yLog = edited.yLog;
    scaleSheetPage = activePage;
    UpdateAllViews();
}

void CKv4731xDoc::DefaultScale() {
    SetModified();
    CPlotFormat& format = CurrentChart();
    format.current = format.defaults;
    format.minUnit = format.defaultMinUnit;
    format.maxUnit = format.defaultMaxUnit;
    format.xLog = 0;
    format.yLog = 0;
    UpdateAllViews();
}

void CKv4731xDoc::ToggleMarker() {
    markerOn = !markerOn;
    UpdateAllViews();
}

void CKv4731xDoc::CheckLogLimits() {
    // The limits are corrected before the messages are shown, so that a paint the message box
    // causes finds nothing left to report.
    for (const std::string& text : CorrectLogLimits(CurrentChart())) {
        ui_.Message(text, kLogLimitsCaption, Buttons::Ok);
    }
}

void CKv4731xDoc::CheckReference() {
    if (mathMode != TraceMath::Off && !TraceValid(referenceTrace)) {
        mathMode = TraceMath::Off;
        ui_.Message(kReferenceInvalidText, kReferenceInvalidCaption, Buttons::Ok);
    }
}

void CKv4731xDoc::PlaceMarker(int index, bool scrollTable) {
    markerOn = true;
    markerPosition = index;
    UpdateAllViews(scrollTable ? UpdateHint::ScrollToMarker : UpdateHint::All);
}

void CKv4731xDoc::MoveMarker(MarkerKey key) {
    MarkerMove move = MarkerMove::Home;
    switch (key) {
        case MarkerKey::Home:
            move = MarkerMove::Home;
            break;
        case MarkerKey::End:
            move = MarkerMove::End;
            break;
        case MarkerKey::Up:
            move = MarkerMove::Up;
            break;
        case MarkerKey::Down:
            move = MarkerMove::Down;
            break;
    }
    markerPosition = MarkerAfterKey(move, markerPosition, ViewPointCount());
    UpdateAllViews(UpdateHint::ScrollToMarker);
}

}  // namespace kv
