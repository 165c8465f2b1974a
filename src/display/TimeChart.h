#pragma once

// The time chart: e' and e'' (or the loss tangent e''/e') at up to four chosen frequencies
// against the time since the series began. Its settings (kept in the program's settings, never
// in a setup file), the curves a series gives, the autoscale, the time axis's unit and the
// geometry of the drawing. Everything here is numbers; nothing is drawn.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "display/TimeSeries.h"

namespace kv {

// What the time chart plots at each frequency.
enum class TimeChartQuantity { Permittivity, LossTangent };

// The axis limits: time in seconds since the series began, and the plotted value.
struct TimeChartBounds {
    double timeMin = 0.0;
    double timeMax = 60.0;
    double valueMin = 0.0;
    double valueMax = 100.0;

    bool operator==(const TimeChartBounds&) const = default;
    // Both pairs finite and increasing.
    bool Valid() const;
};

struct TimeChartSettings {
    bool shown = false;
    TimeChartQuantity quantity = TimeChartQuantity::Permittivity;
    // Hz; 0 leaves a slot unused.
    std::array<double, kTimeSeriesFrequencies> frequencies{};
    // On: the limits follow the records at every drawing; off: `scale` holds them.
    bool autoscale = true;
    TimeChartBounds scale;

    bool operator==(const TimeChartSettings&) const = default;
};

// One line of the chart: a frequency slot's e', e'' or loss tangent over the records.
enum class TimeChartPart { E1, E2, LossTangent };
struct TimeChartPoint {
    double seconds = 0.0;
    double value = 0.0;
    bool operator==(const TimeChartPoint&) const = default;
};
struct TimeChartCurve {
    int slot = 0;
    double frequency = 0.0;
    TimeChartPart part = TimeChartPart::E1;
    std::vector<TimeChartPoint> points;
};

// The curves of a series, slot by slot (unused slots give none): e' then e'' for each slot, or
// the loss tangent e''/e'. A value of 9999 (not computed), a value that is not finite and a loss
// tangent of a zero e' give no point; the line goes on from the next point.
std::vector<TimeChartCurve> TimeChartCurves(const TimeSeries& series, TimeChartQuantity quantity);

// The limits that hold every point: time from 0 to the first of 1, 2, 5 x 10^n seconds not below
// the last record's time (at least 1 s), values fitted as the frequency chart's autoscale fits
// them (FitScale). No value when no curve holds a point.
std::optional<TimeChartBounds> TimeChartAutoscale(const std::vector<TimeChartCurve>& curves);

// The limits a drawing uses: the autoscale when it is on and finds points, else the settings'.
TimeChartBounds TimeChartLimits(const TimeChartSettings& settings,
                                const std::vector<TimeChartCurve>& curves);

// The unit the time axis is labelled in for limits `span` seconds apart: seconds up to 300 s,
// minutes up to 5 h, hours beyond.
struct TimeAxisUnit {
    double seconds = 1.0;  // one unit in seconds
    const char* name = "s";
};
TimeAxisUnit TimeAxisUnitFor(double span);

// Tick values from `min` to `max`: multiples of a 1, 2 or 5 x 10^n step giving at most
// `maxTicks` intervals.
std::vector<double> AxisTicks(double min, double max, int maxTicks);

// A tick's label: the value with as many decimals as the step needs (at most 6).
std::string TickLabel(double value, double step);

// A frequency as the legend writes it: "915 MHz", "2.45 GHz", "500 kHz", "10 Hz" (up to
// `digits` significant digits).
std::string TimeChartFrequencyText(double hz, int digits = 4);
// A typed frequency: a number with an optional unit (Hz, kHz, MHz, GHz; letter case ignored,
// "Hz" unless said); an empty text is 0 (the slot unused). No value for anything else, or for a
// frequency that is not above 0.
std::optional<double> ParseTimeChartFrequency(const std::string& text);

// The legend entry of a curve: "<frequency> e'", "<frequency> e''", "<frequency> tan d".
std::string TimeChartCurveLabel(const TimeChartCurve& curve);
// The parameter label above the plot.
std::string TimeChartParameterLabel(TimeChartQuantity quantity);

// The geometry of a drawing of `width` x `height` device units whose text is `textHeight` high,
// the widest value label `valueLabelWidth` and the widest legend entry `legendWidth` wide
// (its sample line included).
class TimeChartLayout {
public:
    TimeChartLayout(int width, int height, int textHeight, int valueLabelWidth, int legendWidth,
                    const TimeChartBounds& bounds);

    double PlotLeft() const { return left_; }
    double PlotTop() const { return top_; }
    double PlotRight() const { return right_; }
    double PlotBottom() const { return bottom_; }
    bool Drawable() const { return right_ - left_ >= 2 && bottom_ - top_ >= 2; }

    // Device position of a time and value (not limited to the plot).
    double X(double seconds) const;
    double Y(double value) const;

    const TimeChartBounds& Bounds() const { return bounds_; }
    const TimeAxisUnit& Unit() const { return unit_; }
    // Ticks of the time axis (seconds) and of the value axis.
    std::vector<double> TimeTicks() const;
    std::vector<double> ValueTicks() const;
    // The time axis's title: "Time (s)", "Time (min)", "Time (h)".
    std::string TimeAxisTitle() const;

private:
    double left_ = 0.0;
    double top_ = 0.0;
    double right_ = 0.0;
    double bottom_ = 0.0;
    int maxTimeTicks_ = 10;
    int maxValueTicks_ = 8;
    TimeChartBounds bounds_;
    TimeAxisUnit unit_;
};

}  // namespace kv
