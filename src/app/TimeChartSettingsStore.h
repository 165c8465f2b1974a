#pragma once

// The time chart's settings in the program's settings (group "Time Chart"): shown, quantity,
// frequencies, autoscale and limits. No setup file holds them.

#include <QSettings>

#include "display/TimeChart.h"

namespace kv {

inline constexpr const char* kTimeChartSettingsGroup = "Time Chart";

// The stored settings; a missing or unreadable value keeps its default.
TimeChartSettings LoadTimeChartSettings(QSettings& settings);
void SaveTimeChartSettings(QSettings& settings, const TimeChartSettings& values);

}  // namespace kv
