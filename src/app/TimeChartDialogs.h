#pragma once

// The time chart's dialogs: its four frequencies, and its scale.

#include <QDialog>
#include <array>
#include <optional>

#include "display/TimeChart.h"

class QLineEdit;

namespace kv {

// Four entries, "1.5 GHz" or "915 MHz" or a number of Hz; an empty entry leaves its slot unused.
// OK with an entry it cannot read says which and stays open.
class TimeChartFrequenciesDialog : public QDialog {
    Q_OBJECT

public:
    TimeChartFrequenciesDialog(const std::array<double, kTimeSeriesFrequencies>& frequencies,
                               QWidget* parent = nullptr);
    // The entries as frequencies (0: unused); no value when one cannot be read.
    std::optional<std::array<double, kTimeSeriesFrequencies>> Frequencies() const;
    QLineEdit* Entry(int slot) const { return entries_[static_cast<std::size_t>(slot)]; }
    void accept() override;

private:
    std::array<QLineEdit*, kTimeSeriesFrequencies> entries_{};
};

// The limits of the time axis (seconds since the series began) and of the value axis.
class TimeChartScaleDialog : public QDialog {
    Q_OBJECT

public:
    TimeChartScaleDialog(const TimeChartBounds& bounds, QWidget* parent = nullptr);
    // The limits typed; no value when one is not a number or a pair does not increase.
    std::optional<TimeChartBounds> Bounds() const;
    // 0 time from, 1 time to, 2 value from, 3 value to.
    QLineEdit* Entry(int limit) const { return entries_[static_cast<std::size_t>(limit)]; }
    void accept() override;

private:
    std::array<QLineEdit*, 4> entries_{};
};

}  // namespace kv
