#include "display/ChartLayout.h"

#include <locale.h>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <ctime>

#include "probe/Units.h"

namespace kv {

namespace {

// Positions further out than this are far beyond any surface; holding them there keeps every
// conversion to int defined without changing what is visible.
constexpr double kFar = 4194304.0;

int Trunc(double v) {
    return static_cast<int>(std::clamp(v, -kFar, kFar));
}

// The grid of a linear axis has 11 lines: k = 0 to 10 while inside the plot.
constexpr int kLinearGridLines = 11;

}  // namespace

const char* AxisNumberFormat(double span) {
    const double d = std::fabs(span);
    if (d >= 100.0) {
        return "% 5.0f";
    }
    if (d >= 10.0) {
        return "% 5.1f";
    }
    if (d >= 1.0) {
        return "% 5.2f";
    }
    if (d >= 0.1) {
        return "% 5.3f";
    }
    if (d >= 0.01) {
        return "% 5.4f";
    }
    return "% 5.5f";
}

std::string FrequencyLabel(double value, const std::string& unit) {
    return FormatGeneral(value, 9) + " " + unit;
}

namespace {

// The stamps are written in the C locale whatever the user's: English month names and AM/PM.
std::string CLocaleTime(std::time_t stamp, const char* format) {
    std::tm local{};
    localtime_r(&stamp, &local);
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    char text[128];
    const std::size_t n = cLocale != locale_t{}
                              ? strftime_l(text, sizeof text, format, &local, cLocale)
                              : std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

}  // namespace

std::string DateStampText(std::time_t stamp) {
    return CLocaleTime(stamp, "%B %d, %Y");
}

std::string TimeStampText(std::time_t stamp) {
    return CLocaleTime(stamp, "%I:%M %p");
}

int MarkerIndexForClick(const std::vector<std::optional<int>>& px, int clickX, bool coleCole) {
    const int count = static_cast<int>(px.size());
    for (int i = 0; i < count; ++i) {
        if (!px[static_cast<std::size_t>(i)]) {
            continue;
        }
        const int x = *px[static_cast<std::size_t>(i)];
        if (coleCole ? x < clickX : x > clickX) {
            return std::max(0, i - 1);
        }
    }
    return std::max(0, count - 1);
}

ChartLayout::ChartLayout(const ChartMetrics& m, const CPlotFormat& format, double sweepStartHz,
                         double sweepStopHz)
    : w_(m.width),
      h_(m.height),
      w0_(m.refWidth > 0 ? m.refWidth : 1),
      h0_(m.refHeight > 0 ? m.refHeight : 1),
      lw_(m.lineWidth),
      format_(format),
      xMin_(format.XMinHz()),
      xMax_(format.XMaxHz()),
      sweepStart_(sweepStartHz),
      sweepStop_(sweepStopHz) {
    const double f = m.printing && w_ > 0.0 ? w0_ / w_ : 1.0;
    const double labelWidth = m.labelWidth * f + lw_;
    const double dateWidth = lw_ + f * m.dateWidth;
    const double widest = std::max(labelWidth, dateWidth);
    const double lw2 = 2.0 * lw_;
    const double scale = std::abs(m.scaleFontHeight);
    l_ = (lw2 + 7.0 * scale) / w0_ * 0.5;
    r_ = widest / w0_;
    t_ = (lw2 + std::abs(m.parameterFontHeight) + std::abs(m.subtitleFontHeight) +
          std::abs(m.titleFontHeight)) /
         h0_;
    b_ = (lw2 + 3.0 * scale) / h0_;
    if (m.printing) {
        l_ *= 1.2;
        r_ *= 1.2;
    }
}

std::optional<int> ChartLayout::MapX(double x) const {
    if (!std::isfinite(x)) {
        return std::nullopt;  // never a pixel position
    }
    if (format_.xLog != 0) {
        const double a = std::log10(xMin_);
        const double b = std::log10(xMax_);
        double s = w_ * (1.0 - l_ - r_);
        if (a != b) {
            s /= b - a;
        }
        const double v = s * std::log10(x) + w_ * l_ - a * s;
        if (std::isnan(v) || !(x > 0.0)) {
            return std::nullopt;
        }
        return Trunc(v);
    }
    const double s = w_ * (1.0 - l_ - r_) / (xMax_ - xMin_);
    const double v = w_ * l_ - xMin_ * s + x * s;
    if (std::isnan(v)) {
        return std::nullopt;
    }
    const int right = Trunc(w_ * (1.0 - r_));
    const int left = Trunc(w_ * l_);
    return std::max(left, std::min(right, Trunc(v)));
}

std::optional<int> ChartLayout::MapY(double y) const {
    if (!std::isfinite(y)) {
        return std::nullopt;  // never a pixel position
    }
    const double yMin = format_.current.yMin;
    const double yMax = format_.current.yMax;
    if (format_.yLog != 0) {
        const double a = std::log10(yMax);
        const double b = std::log10(yMin);
        double e = h_ * (1.0 - t_ - b_);
        if (a != b) {
            e = -e / (a - b);
        }
        const double v = e * std::log10(y) + h_ * t_ - a * e;
        if (std::isnan(v) || !(y > 0.0)) {
            return std::nullopt;
        }
        return Trunc(v);
    }
    const double base = h_ * (1.0 - b_);
    const double s = (h_ * t_ - base) / (yMax - yMin);
    const double v = base - yMin * s + y * s;
    if (std::isnan(v)) {
        return std::nullopt;
    }
    const int py = Trunc(v);
    if (py > Trunc(h_ * (1.0 - b_))) {
        return Trunc(h_ * (1.0 - 0.95 * b_));
    }
    if (py < Trunc(h_ * t_)) {
        return Trunc(h_ * t_ * 0.95);
    }
    return py;
}

std::optional<ChartPoint> ChartLayout::Map(double x, double y) const {
    const auto px = MapX(x);
    const auto py = MapY(y);
    if (!px || !py) {
        return std::nullopt;
    }
    return ChartPoint{*px, *py};
}

std::vector<GridLine> ChartLayout::VerticalGridLines() const {
    std::vector<GridLine> lines;
    const double off = lw_ / 2;
    const int top = Trunc(h_ * t_ - off);
    const int bottom = Trunc(h_ * (1.0 - b_) - off);
    if (format_.xLog == 0) {
        for (int k = 0; k < kLinearGridLines; ++k) {
            const double x = w_ * l_ + k * 0.1 * (w_ * (1.0 - l_ - r_));
            if (!(x <= w_ * (1.0 - r_) + 0.00001)) {
                break;
            }
            lines.push_back({Trunc(x - off), top, Trunc(x - off), bottom});
        }
        return lines;
    }
    // The decades of the sweep, whatever the format's limits.
    const double a = std::log10(sweepStart_);
    const double b = std::log10(sweepStop_);
    if (!std::isfinite(a) || !std::isfinite(b)) {
        return lines;
    }
    double e = w_ * (1.0 - l_ - r_);
    if (a != b) {
        e /= b - a;
    }
    const double o = w_ * l_ - a * e;
    for (double x : {o + a * e, o + b * e}) {
        lines.push_back({Trunc(x - off), top, Trunc(x - off), bottom});
    }
    for (int v = static_cast<int>(std::floor(a)); v <= b; ++v) {
        for (int w = 1; w <= 9; ++w) {
            const double f = w * std::pow(10.0, v);
            const double x = o + e * std::log10(f);
            if (sweepStop_ > f && std::log10(f) >= a) {
                lines.push_back({Trunc(x - off), top, Trunc(x - off), bottom});
            }
        }
    }
    return lines;
}

std::vector<GridLine> ChartLayout::HorizontalGridLines() const {
    std::vector<GridLine> lines;
    const double off = lw_ / 2;
    const int left = Trunc(w_ * l_ - off);
    const int right = Trunc(w_ * (1.0 - r_) - off);
    if (format_.yLog == 0) {
        for (int k = 0; k < kLinearGridLines; ++k) {
            const double y = h_ * t_ + k * 0.1 * (h_ * (1.0 - t_ - b_));
            if (!(y <= h_ * (1.0 - b_) + 0.00001)) {
                break;
            }
            lines.push_back({left, Trunc(y - off), right, Trunc(y - off)});
        }
        return lines;
    }
    const double yMin = format_.current.yMin;
    const double yMax = format_.current.yMax;
    const double a = std::log10(yMax);
    const double b = std::log10(yMin);
    if (!std::isfinite(a) || !std::isfinite(b)) {
        return lines;
    }
    double e = h_ * (1.0 - t_ - b_);
    if (a != b) {
        e = -e / (a - b);
    }
    const double o = h_ * t_ - a * e;
    for (double y : {o + b * e, o + a * e}) {
        lines.push_back({left, Trunc(y - off), right, Trunc(y - off)});
    }
    for (int u = static_cast<int>(std::floor(b)); u < a; ++u) {
        for (int w = 1; w <= 10; ++w) {
            const double f = w * std::pow(10.0, u);
            const double y = o + e * std::log10(f);
            if (yMax > f && std::log10(f) >= b) {
                lines.push_back({left, Trunc(y - off), right, Trunc(y - off)});
            }
        }
    }
    return lines;
}

std::vector<ChartText> ChartLayout::VerticalLabels(int tm) const {
    std::vector<ChartText> labels;
    const double yMin = format_.current.yMin;
    const double yMax = format_.current.yMax;
    const bool log = format_.yLog != 0;
    const int n = log ? 1 : 5;
    const double step = log ? h_ * (1.0 - t_ - b_) : 0.2 * h_ * (1.0 - t_ - b_);
    const char* number = AxisNumberFormat(yMax - yMin);
    const int x = Trunc(0.9 * w_ * l_) - lw_;
    for (int k = 0; k <= n; ++k) {
        const double value = yMax - k * (yMax - yMin) / n;
        const int y = Trunc(h_ * t_ + k * step - (tm / 2));
        labels.push_back({Printf(number, value), x, y, TextAlign::Right, TextBaseline::Top});
    }
    return labels;
}

std::vector<ChartText> ChartLayout::HorizontalLabels(int tm) const {
    std::vector<ChartText> labels;
    if (format_.IsColeCole()) {
        const double xMin = format_.current.xMin;
        const double xMax = format_.current.xMax;
        const bool log = format_.xLog != 0;
        const int n = log ? 1 : 5;
        const double step = log ? w_ * (1.0 - l_ - r_) : 0.2 * w_ * (1.0 - l_ - r_);
        const char* number = AxisNumberFormat(xMax - xMin);
        const int y = Trunc(h_ * (1.0 - b_) + (tm / 2)) + lw_;
        for (int k = 0; k <= n; ++k) {
            const double value = xMin + k * (xMax - xMin) / n;
            labels.push_back({Printf(number, value), Trunc(w_ * l_ + k * step), y,
                              TextAlign::Centre, TextBaseline::Top});
        }
        labels.push_back({FormatFrequency(sweepStart_) + " - " + FormatFrequency(sweepStop_),
                          Trunc(w_ * (1.0 - l_ - r_) * 0.5 + w_ * l_),
                          Trunc(h_ * (1.0 - b_) + 2 * tm) + lw_, TextAlign::Centre,
                          TextBaseline::Top});
        return labels;
    }
    const int y = Trunc(h_ * (1.0 - 0.9 * b_)) + lw_;
    labels.push_back({FrequencyLabel(format_.current.xMin, format_.minUnit), Trunc(w_ * l_), y,
                      TextAlign::Left, TextBaseline::Top});
    labels.push_back({FrequencyLabel(format_.current.xMax, format_.maxUnit), Trunc(w_ * (1.0 - r_)),
                      y, TextAlign::Right, TextBaseline::Top});
    return labels;
}

ChartText ChartLayout::Title(const std::string& text) const {
    return {text, static_cast<int>(w_) / 2, 0, TextAlign::Centre, TextBaseline::Top};
}

ChartText ChartLayout::Subtitle(const std::string& text, int titleFontHeight) const {
    const int y = std::abs(Trunc(h_ / h0_ * titleFontHeight)) + lw_;
    return {text, static_cast<int>(w_) / 2, y, TextAlign::Centre, TextBaseline::Top};
}

ChartText ChartLayout::Date(const std::string& text) const {
    return {" " + text, Trunc((1.0 - r_) * w_) + lw_, Trunc(h_ * t_), TextAlign::Left,
            TextBaseline::Top};
}

ChartText ChartLayout::Time(const std::string& text, int timeDateFontHeight) const {
    // The time goes one font height below the date; a negative stored height (a character
    // height) counts by its size, so that the time never climbs above the date.
    const int y = Trunc(h_ / h0_ * std::abs(timeDateFontHeight) + h_ * t_);
    return {" " + text, Trunc((1.0 - r_) * w_) + lw_, y, TextAlign::Left, TextBaseline::Top};
}

ChartText ChartLayout::ParameterLabel(const std::string& text) const {
    return {text, Trunc(w_ * l_), Trunc(h_ * t_) - lw_, TextAlign::Left, TextBaseline::Bottom};
}

ChartText ChartLayout::TraceLabel(const std::string& text, ChartPoint p, int cw, int tm) const {
    return {text, Trunc(0.1 * cw + p.x) + lw_, p.y + tm / 2, TextAlign::Left, TextBaseline::Bottom};
}

std::vector<ChartPoint> ChartLayout::MarkerTriangle(ChartPoint p, int cw, int tm) const {
    const int y = p.y - tm / 2 - lw_;
    return {{p.x + cw / 4 + lw_, y}, {p.x - cw / 4 - lw_, y}, {p.x, p.y}};
}

}  // namespace kv
