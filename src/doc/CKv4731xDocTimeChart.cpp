#include <algorithm>
#include <cstddef>

#include "doc/CKv4731xDoc.h"

namespace kv {

void CKv4731xDoc::SetTimeChart(const TimeChartSettings& settings) {
    timeChart_ = settings;
    timeSeries.frequencies = settings.frequencies;
    UpdateAllViews();
}

bool CKv4731xDoc::AddMarkerFrequencyToTimeChart() {
    const std::vector<double>& list = engine_->frequencies;
    if (!markerOn || markerPosition < 0 || markerPosition >= static_cast<int>(list.size())) {
        return false;
    }
    const double f = list[static_cast<std::size_t>(markerPosition)];
    TimeChartSettings settings = timeChart_;
    auto& slots = settings.frequencies;
    if (!(f > 0) || std::find(slots.begin(), slots.end(), f) != slots.end()) {
        return false;
    }
    const auto unused = std::find_if(slots.begin(), slots.end(), [](double s) { return !(s > 0); });
    *(unused != slots.end() ? unused : slots.end() - 1) = f;
    SetTimeChart(settings);
    return true;
}

void CKv4731xDoc::FollowAFrequencyWhenNoneIsChosen() {
    const auto& slots = timeChart_.frequencies;
    const std::vector<double>& list = engine_->frequencies;
    if (list.empty() || std::any_of(slots.begin(), slots.end(), [](double f) { return f > 0; })) {
        return;
    }
    // The marker's frequency when it is on, else the middle of the sweep.
    const bool marker =
        markerOn && markerPosition >= 0 && markerPosition < static_cast<int>(list.size());
    TimeChartSettings settings = timeChart_;
    settings.frequencies[0] =
        list[marker ? static_cast<std::size_t>(markerPosition) : list.size() / 2];
    SetTimeChart(settings);
}

void CKv4731xDoc::ToggleTimeChartAutoscale() {
    TimeChartSettings settings = timeChart_;
    if (settings.autoscale) {
        settings.scale = TimeChartLimits(settings, TimeChartCurves(timeSeries, settings.quantity));
    }
    settings.autoscale = !settings.autoscale;
    SetTimeChart(settings);
}

bool CKv4731xDoc::SetTimeChartScale(const TimeChartBounds& bounds) {
    if (!bounds.Valid()) {
        return false;
    }
    TimeChartSettings settings = timeChart_;
    settings.scale = bounds;
    settings.autoscale = false;
    SetTimeChart(settings);
    return true;
}

void CKv4731xDoc::SeriesRecordAdded() {
    UpdateAllViews();
}

}  // namespace kv
