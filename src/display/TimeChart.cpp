#include "display/TimeChart.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "display/ScaleFit.h"
#include "probe/ProbeModel.h"

namespace kv {

namespace {

bool Usable(double value) {
    return std::isfinite(value) && value != kInvalidValue;
}

// The first of 1, 2, 5 x 10^n not below `value` (value > 0).
double RoundUp125(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= value * (1.0 - 1e-12)) {
            return m * power;
        }
    }
    return 10.0 * power;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

bool TimeChartBounds::Valid() const {
    return std::isfinite(timeMin) && std::isfinite(timeMax) && std::isfinite(valueMin) &&
           std::isfinite(valueMax) && timeMin < timeMax && valueMin < valueMax;
}

std::vector<TimeChartCurve> TimeChartCurves(const TimeSeries& series, TimeChartQuantity quantity) {
    std::vector<TimeChartCurve> curves;
    for (int slot = 0; slot < kTimeSeriesFrequencies; ++slot) {
        const std::size_t k = static_cast<std::size_t>(slot);
        const double frequency = series.frequencies[k];
        if (!(frequency > 0)) {
            continue;
        }
        const std::vector<TimeChartPart> parts =
            quantity == TimeChartQuantity::LossTangent
                ? std::vector<TimeChartPart>{TimeChartPart::LossTangent}
                : std::vector<TimeChartPart>{TimeChartPart::E1, TimeChartPart::E2};
        for (TimeChartPart part : parts) {
            TimeChartCurve curve;
            curve.slot = slot;
            curve.frequency = frequency;
            curve.part = part;
            for (const TimeSeriesRecord& record : series.Records()) {
                const double e1 = record.values[k].re;
                const double e2 = record.values[k].im;
                double value = 0.0;
                if (part == TimeChartPart::E1) {
                    if (!Usable(e1)) {
                        continue;
                    }
                    value = e1;
                } else if (part == TimeChartPart::E2) {
                    if (!Usable(e2)) {
                        continue;
                    }
                    value = e2;
                } else {
                    if (!Usable(e1) || !Usable(e2) || e1 == 0.0) {
                        continue;
                    }
                    value = e2 / e1;
                }
                curve.points.push_back({record.seconds, value});
            }
            curves.push_back(std::move(curve));
        }
    }
    return curves;
}

std::optional<TimeChartBounds> TimeChartAutoscale(const std::vector<TimeChartCurve>& curves) {
    AxisExtents values;
    double lastTime = 0.0;
    for (const TimeChartCurve& curve : curves) {
        for (const TimeChartPoint& p : curve.points) {
            values.Add(p.value);
            if (std::isfinite(p.seconds)) {
                lastTime = std::max(lastTime, p.seconds);
            }
        }
    }
    if (!values.any) {
        return std::nullopt;
    }
    TimeChartBounds bounds;
    bounds.timeMin = 0.0;
    bounds.timeMax = RoundUp125(std::max(lastTime, 1.0));
    double max = values.max;
    double min = values.min;
    FitScale(max, min);
    bounds.valueMin = min;
    bounds.valueMax = max;
    return bounds;
}

TimeChartBounds TimeChartLimits(const TimeChartSettings& settings,
                                const std::vector<TimeChartCurve>& curves) {
    if (settings.autoscale) {
        if (const auto fitted = TimeChartAutoscale(curves); fitted && fitted->Valid()) {
            return *fitted;
        }
    }
    return settings.scale.Valid() ? settings.scale : TimeChartBounds{};
}

TimeAxisUnit TimeAxisUnitFor(double span) {
    if (span > 5 * 3600.0) {
        return {3600.0, "h"};
    }
    if (span > 300.0) {
        return {60.0, "min"};
    }
    return {1.0, "s"};
}

std::vector<double> AxisTicks(double min, double max, int maxTicks) {
    std::vector<double> ticks;
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max) || maxTicks < 1) {
        return ticks;
    }
    const double step = RoundUp125((max - min) / maxTicks);
    const double tolerance = step * 1e-9;
    for (double k = std::ceil((min - tolerance) / step); k * step <= max + tolerance; k += 1.0) {
        const double value = k * step;
        ticks.push_back(std::fabs(value) < tolerance ? 0.0 : value);
    }
    return ticks;
}

std::string TickLabel(double value, double step) {
    int decimals = 0;
    if (step > 0 && std::isfinite(step)) {
        decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string TimeChartFrequencyText(double hz, int digits) {
    struct Unit {
        double scale;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{1e9, "GHz"}, {1e6, "MHz"}, {1e3, "kHz"}, {1.0, "Hz"}};
    for (const Unit& unit : kUnits) {
        if (std::fabs(hz) >= unit.scale || unit.scale == 1.0) {
            char text[64];
            std::snprintf(text, sizeof text, "%.*g %s", digits, hz / unit.scale, unit.name);
            return text;
        }
    }
    return {};
}

std::optional<double> ParseTimeChartFrequency(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        return 0.0;
    }
    const char* begin = trimmed.c_str();
    char* end = nullptr;
    const double number = std::strtod(begin, &end);
    if (end == begin) {
        return std::nullopt;
    }
    const std::string unit = Lower(Trim(std::string(end)));
    double scale = 0.0;
    if (unit.empty() || unit == "hz") {
        scale = 1.0;
    } else if (unit == "khz") {
        scale = 1e3;
    } else if (unit == "mhz") {
        scale = 1e6;
    } else if (unit == "ghz") {
        scale = 1e9;
    } else {
        return std::nullopt;
    }
    const double hz = number * scale;
    if (!std::isfinite(hz) || !(hz > 0)) {
        return std::nullopt;
    }
    return hz;
}

std::string TimeChartCurveLabel(const TimeChartCurve& curve) {
    const char* part = curve.part == TimeChartPart::E1   ? "e'"
                       : curve.part == TimeChartPart::E2 ? "e''"
                                                         : "tan d";
    return TimeChartFrequencyText(curve.frequency) + " " + part;
}

std::string TimeChartParameterLabel(TimeChartQuantity quantity) {
    return quantity == TimeChartQuantity::LossTangent ? "Loss tangent e''/e' against time"
                                                      : "e' and e'' against time";
}

// ------------------------------------------------------------------------------ layout

TimeChartLayout::TimeChartLayout(int width, int height, int textHeight, int valueLabelWidth,
                                 int legendWidth, const TimeChartBounds& bounds)
    : bounds_(bounds), unit_(TimeAxisUnitFor(bounds.timeMax - bounds.timeMin)) {
    const double th = std::max(1, textHeight);
    // Above: the parameter label and a line of room; below: the time labels and the axis title;
    // left: the value labels; right: the legend.
    left_ = std::max(0, valueLabelWidth) + th;
    top_ = 2.5 * th;
    right_ = width - (legendWidth > 0 ? legendWidth + 1.5 * th : th);
    bottom_ = height - 3.0 * th;
    // At most one time label every 8 text heights and one value label every 2.5.
    maxTimeTicks_ = std::clamp(static_cast<int>((right_ - left_) / (8 * th)), 1, 10);
    maxValueTicks_ = std::clamp(static_cast<int>((bottom_ - top_) / (2.5 * th)), 1, 10);
}

double TimeChartLayout::X(double seconds) const {
    return left_ +
           (seconds - bounds_.timeMin) / (bounds_.timeMax - bounds_.timeMin) * (right_ - left_);
}

double TimeChartLayout::Y(double value) const {
    return bottom_ -
           (value - bounds_.valueMin) / (bounds_.valueMax - bounds_.valueMin) * (bottom_ - top_);
}

std::vector<double> TimeChartLayout::TimeTicks() const {
    std::vector<double> ticks =
        AxisTicks(bounds_.timeMin / unit_.seconds, bounds_.timeMax / unit_.seconds, maxTimeTicks_);
    for (double& t : ticks) {
        t *= unit_.seconds;
    }
    return ticks;
}

std::vector<double> TimeChartLayout::ValueTicks() const {
    return AxisTicks(bounds_.valueMin, bounds_.valueMax, maxValueTicks_);
}

std::string TimeChartLayout::TimeAxisTitle() const {
    return std::string("Time (") + unit_.name + ")";
}

}  // namespace kv
