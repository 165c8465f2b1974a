#pragma once

// Geometry of the chart: margins from font heights and label widths, the mapping of values to
// device coordinates (linear and logarithmic, with the off-scale rules), the grid lines, the axis
// labels and the positions of the annotations. Everything here is computed from numbers the
// painter measured; nothing is drawn.

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "display/CPlotFormat.h"

namespace kv {

// What the layout needs from the surface and the document.
struct ChartMetrics {
    int width = 0;      // W: drawing width in device units
    int height = 0;     // H
    int refWidth = 0;   // W0: client size at the last screen paint
    int refHeight = 0;  // H0
    bool printing = false;
    int lineWidth = 1;  // the chart line width
    // Widest label of a displayed trace (valid or not) followed by "a", in its font as drawn;
    // 0 when no trace is displayed.
    double labelWidth = 0.0;
    // The date stamp text followed by "a", in the time-and-date font as drawn.
    double dateWidth = 0.0;
    // Stored font heights (their sign is ignored).
    int scaleFontHeight = 0;
    int parameterFontHeight = 0;
    int subtitleFontHeight = 0;
    int titleFontHeight = 0;
};

struct GridLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool operator==(const GridLine&) const = default;
};

enum class TextAlign { Left, Centre, Right };
enum class TextBaseline { Top, Bottom };

// A text to draw: its reference point and how the text sits on it.
struct ChartText {
    std::string text;
    int x = 0;
    int y = 0;
    TextAlign align = TextAlign::Left;
    TextBaseline baseline = TextBaseline::Top;
    bool operator==(const ChartText&) const = default;
};

struct ChartPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// The number format of the labels of an axis whose limits are `span` apart: "% 5.0f" from 100,
// "% 5.1f" from 10, "% 5.2f" from 1, "% 5.3f" from 0.1, "% 5.4f" from 0.01, else "% 5.5f".
const char* AxisNumberFormat(double span);

// A horizontal limit as the frequency label writes it: at most 9 significant digits, plain
// notation when they suffice, a whole number keeping its point ("200."); then a blank and the
// unit text.
std::string FrequencyLabel(double value, const std::string& unit);

// The date and time of the stamps as the chart, the table and the table copy write them:
// "%B %d, %Y" and "%I:%M %p" of the local time, in the C locale ("March 12, 1970", "01:05 PM")
// whatever the user's locale.
std::string DateStampText(std::time_t stamp);
std::string TimeStampText(std::time_t stamp);

// The marker index a click at x gives, from the horizontal positions of the points of the first
// displayed and valid trace (no value: the point is not drawn and is passed over): the index
// before the first point right of the click (Cole-Cole: left of it), at least 0; the last point
// when no point is.
int MarkerIndexForClick(const std::vector<std::optional<int>>& px, int clickX, bool coleCole);

class ChartLayout {
public:
    ChartLayout() = default;
    // The layout of the chart of `format` (current limits, logarithmic flags) on a surface; the
    // sweep's start and stop frequencies (Hz) place the logarithmic frequency grid and the
    // Cole-Cole sweep label.
    ChartLayout(const ChartMetrics& metrics, const CPlotFormat& format, double sweepStartHz,
                double sweepStopHz);

    // Margins as fractions of the drawing size.
    double L() const { return l_; }
    double R() const { return r_; }
    double T() const { return t_; }
    double B() const { return b_; }
    double W() const { return w_; }
    double H() const { return h_; }

    // Plot area: x from W·L to W(1 − R), y from H·T (top) to H(1 − B).
    double PlotLeft() const { return w_ * l_; }
    double PlotRight() const { return w_ * (1.0 - r_); }
    double PlotTop() const { return h_ * t_; }
    double PlotBottom() const { return h_ * (1.0 - b_); }

    // Device position of a value (Hz for a frequency format). Linear: horizontally limited to
    // the plot, vertically an off-scale value is held just outside it (above: trunc(H·T·0.95),
    // below: trunc(H(1 − 0.95·B))). Logarithmic: not limited. A value that has no position (not
    // a number, infinite, or not above 0 on a logarithmic axis) gives no value and is not drawn.
    std::optional<int> MapX(double x) const;
    std::optional<int> MapY(double y) const;
    std::optional<ChartPoint> Map(double x, double y) const;

    // Grid lines across the horizontal axis (vertical lines) and across the vertical axis
    // (horizontal lines), each offset by −(lw div 2) in both coordinates.
    std::vector<GridLine> VerticalGridLines() const;
    std::vector<GridLine> HorizontalGridLines() const;

    // Axis labels; textHeight is the height of the scale font as drawn.
    std::vector<ChartText> VerticalLabels(int textHeight) const;
    std::vector<ChartText> HorizontalLabels(int textHeight) const;

    // Annotations: the title centred at (W div 2, 0); the subtitle centred below the title's
    // height; the date and the time left of the right margin; the parameter label above the
    // plot's top left corner.
    ChartText Title(const std::string& text) const;
    ChartText Subtitle(const std::string& text, int titleFontHeight) const;
    ChartText Date(const std::string& text) const;
    ChartText Time(const std::string& text, int timeDateFontHeight) const;
    ChartText ParameterLabel(const std::string& text) const;

    // A trace's label beside the point (px, py), and the marker triangle with its tip on it;
    // cw and tm are the maximum character width and the text height of the parameter font as
    // drawn.
    ChartText TraceLabel(const std::string& text, ChartPoint p, int cw, int tm) const;
    std::vector<ChartPoint> MarkerTriangle(ChartPoint p, int cw, int tm) const;

    const CPlotFormat& Format() const { return format_; }

private:
    double w_ = 0.0;
    double h_ = 0.0;
    double w0_ = 1.0;
    double h0_ = 1.0;
    int lw_ = 1;
    double l_ = 0.15;
    double r_ = 0.15;
    double t_ = 0.2;
    double b_ = 0.15;
    CPlotFormat format_;
    double xMin_ = 0.0;
    double xMax_ = 0.0;
    double sweepStart_ = 0.0;
    double sweepStop_ = 0.0;
};

}  // namespace kv
