// Chart geometry: margins, mapping, grid, labels and annotation positions. The numbers are worked
// by hand on a 1024 x 448 surface whose margins come out as binary fractions:
//   L = (2·1 + 7·18) / 1024 · 0.5 = 0.0625      plot x from 64 to 896 (width 832)
//   R = (127 + 1) / 1024 = 0.125
//   T = (2 + 18 + 18 + 74) / 448 = 0.25         plot y from 112 to 392 (height 280)
//   B = (2 + 3·18) / 448 = 0.125
#include <gtest/gtest.h>

#include <cmath>

#include "display/ChartLayout.h"
#include "display/LogLimits.h"

namespace kv {
namespace {

ChartMetrics Metrics() {
    ChartMetrics m;
    m.width = m.refWidth = 1024;
    m.height = m.refHeight = 448;
    m.lineWidth = 1;
    m.labelWidth = 127.0;
    m.dateWidth = 127.0;
    m.scaleFontHeight = 18;
    m.parameterFontHeight = 18;
    m.subtitleFontHeight = -18;  // a character height counts by its size
    m.titleFontHeight = 74;
    return m;
}

CPlotFormat ColeCole(double xMin, double xMax, double yMin, double yMax) {
    return CPlotFormat::Make("Cole-Cole e", {xMin, xMax, yMin, yMax});
}

TEST(ChartLayout, MarginsFromFontHeightsAndLabelWidths) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    EXPECT_EQ(layout.L(), 0.0625);
    EXPECT_EQ(layout.R(), 0.125);
    EXPECT_EQ(layout.T(), 0.25);
    EXPECT_EQ(layout.B(), 0.125);
    EXPECT_EQ(layout.PlotLeft(), 64.0);
    EXPECT_EQ(layout.PlotRight(), 896.0);
    EXPECT_EQ(layout.PlotTop(), 112.0);
    EXPECT_EQ(layout.PlotBottom(), 392.0);

    // The wider of the label and the date sets R: date 255 + lw 1 = 256 -> 0.25.
    ChartMetrics m = Metrics();
    m.dateWidth = 255.0;
    EXPECT_EQ(ChartLayout(m, ColeCole(0, 100, 0, 100), 2e8, 2e10).R(), 0.25);
    // No displayed trace: the label width is the line width alone; the date still counts.
    m.labelWidth = 0.0;
    m.dateWidth = 0.0;
    EXPECT_EQ(ChartLayout(m, ColeCole(0, 100, 0, 100), 2e8, 2e10).R(), 1.0 / 1024);
}

TEST(ChartLayout, PrintingScalesWidthsBackAndWidensSideMargins) {
    // A page four times the screen: measured widths are 4x; f = W0/W = 0.25 brings the label
    // back to 127, then L and R are multiplied by 1.2.
    ChartMetrics m = Metrics();
    m.printing = true;
    m.width = 4096;
    m.height = 1792;
    m.labelWidth = 508.0;
    m.dateWidth = 508.0;
    const ChartLayout layout(m, ColeCole(0, 100, 0, 100), 2e8, 2e10);
    EXPECT_DOUBLE_EQ(layout.L(), 0.075);
    EXPECT_DOUBLE_EQ(layout.R(), 0.15);
    EXPECT_EQ(layout.T(), 0.25);
    EXPECT_EQ(layout.B(), 0.125);
}

TEST(ChartLayout, LinearMappingHoldsOffScalePointsAtThePlotEdges) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    // x: 64 + 33 · 8.32 = 338.56; y: 392 + 33 · (-2.8) = 299.6.
    EXPECT_EQ(layout.MapX(33.0), 338);
    EXPECT_EQ(layout.MapY(33.0), 299);
    // Beyond the horizontal limits: the plot edges.
    EXPECT_EQ(layout.MapX(-10.0), 64);
    EXPECT_EQ(layout.MapX(150.0), 896);
    // Above the vertical limits: trunc(H·T·0.95) = trunc(106.4); below: trunc(H(1 - 0.95·B)) =
    // trunc(448 · 0.88125) = trunc(394.8).
    EXPECT_EQ(layout.MapY(150.0), 106);
    EXPECT_EQ(layout.MapY(-5.0), 394);
    EXPECT_EQ(layout.MapY(-1e300), 394);
    // A value that is not a number or infinite (a quotient by a zero reference) has no position.
    EXPECT_FALSE(layout.MapX(NAN));
    EXPECT_FALSE(layout.MapY(NAN));
    EXPECT_FALSE(layout.MapX(INFINITY));
    EXPECT_FALSE(layout.MapX(-INFINITY));
    EXPECT_FALSE(layout.MapY(INFINITY));
    EXPECT_FALSE(layout.MapY(-INFINITY));
    EXPECT_FALSE(layout.Map(33.0, NAN));
    EXPECT_EQ(layout.Map(33.0, 33.0), (ChartPoint{338, 299}));
}

TEST(ChartLayout, FrequencyFormatsMapHertz) {
    // e' from 200 MHz to 20 GHz: 1 GHz lies at 64 + 8e8 · 832 / 1.98e10 = 97.616.
    const ChartLayout layout(Metrics(), CPlotFormat::Make("e'", {200, 20, 0, 100}), 2e8, 2e10);
    EXPECT_EQ(layout.MapX(1e9), 97);
    EXPECT_EQ(layout.MapX(1e8), 64);
    EXPECT_EQ(layout.MapX(3e10), 896);
}

TEST(ChartLayout, LogarithmicMappingIsNotLimited) {
    CPlotFormat f = ColeCole(1, 1000, 1, 100);
    f.xLog = 1;
    f.yLog = 1;
    const ChartLayout layout(Metrics(), f, 2e8, 2e10);
    // x: s = 832 / 3; px = s · log10 x + 64.  y: e = -280 / 2; py = 392 - 140 · log10 y.
    EXPECT_EQ(layout.MapX(10.0), 341);  // 341.33
    EXPECT_EQ(layout.MapX(20.0), 424);  // 64 + 277.33 · 1.30103 = 424.82
    EXPECT_EQ(layout.MapX(2e5), 1534);  // 64 + 277.33 · 5.30103, right of the plot
    EXPECT_EQ(layout.MapY(20.0), 209);  // 392 - 182.14
    EXPECT_EQ(layout.MapY(0.5), 434);   // 392 + 42.14, below the plot
    EXPECT_FALSE(layout.MapX(0.0));
    EXPECT_FALSE(layout.MapX(-3.0));
    EXPECT_FALSE(layout.MapY(0.0));
    EXPECT_FALSE(layout.MapY(NAN));
}

TEST(ChartLayout, LinearGridHasElevenLinesEachWay) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    // x = 64 + k · 0.1 · 832.
    const int xs[] = {64, 147, 230, 313, 396, 480, 563, 646, 729, 812, 896};
    const auto vertical = layout.VerticalGridLines();
    ASSERT_EQ(vertical.size(), 11u);
    for (std::size_t k = 0; k < 11; ++k) {
        EXPECT_EQ(vertical[k], (GridLine{xs[k], 112, xs[k], 392})) << k;
    }
    // y = 112 + k · 28.
    const auto horizontal = layout.HorizontalGridLines();
    ASSERT_EQ(horizontal.size(), 11u);
    for (std::size_t k = 0; k < 11; ++k) {
        const int y = 112 + 28 * static_cast<int>(k);
        EXPECT_EQ(horizontal[k], (GridLine{64, y, 896, y})) << k;
    }
}

TEST(ChartLayout, GridLinesMoveBackByHalfTheLineWidth) {
    ChartMetrics m = Metrics();
    m.lineWidth = 3;  // L = (6 + 126)/1024 · 0.5; the offset is 3 div 2 = 1
    m.labelWidth = 125.0;
    m.dateWidth = 125.0;
    const ChartLayout layout(m, ColeCole(0, 100, 0, 100), 2e8, 2e10);
    const double left = 1024 * layout.L();  // 66
    EXPECT_EQ(left, 66.0);
    const auto vertical = layout.VerticalGridLines();
    ASSERT_FALSE(vertical.empty());
    EXPECT_EQ(vertical.front().x1, 65);
    EXPECT_EQ(vertical.front().y1, static_cast<int>(448 * layout.T()) - 1);
}

TEST(ChartLayout, DegeneratePlotStillEndsTheGrid) {
    // Margins wider than the surface: the plot has a negative width; the grid still has at
    // most eleven lines.
    ChartMetrics m = Metrics();
    m.width = m.refWidth = 100;
    m.height = m.refHeight = 40;
    const ChartLayout layout(m, ColeCole(0, 100, 0, 100), 2e8, 2e10);
    EXPECT_LE(layout.VerticalGridLines().size(), 11u);
    EXPECT_LE(layout.HorizontalGridLines().size(), 11u);
}

TEST(ChartLayout, LogFrequencyGridFollowsTheSweepDecades) {
    // Sweep 100 MHz to 10 GHz: a = 8, b = 10, e = 832 / 2 = 416, o = 64 - 8·416.
    CPlotFormat f = CPlotFormat::Make("e'", {50, 50, 0, 100});  // limits do not matter
    f.xLog = 1;
    const ChartLayout layout(Metrics(), f, 1e8, 1e10);
    const auto lines = layout.VerticalGridLines();
    // Two edge lines, then w·10^v for v = 8, 9 and w = 1..9 (10 GHz is not below the stop).
    ASSERT_EQ(lines.size(), 20u);
    std::vector<int> xs;
    for (const GridLine& l : lines) {
        EXPECT_EQ(l.y1, 112);
        EXPECT_EQ(l.y2, 392);
        xs.push_back(l.x1);
    }
    // 64 + 416 · log10(w) and 480 + 416 · log10(w).
    const std::vector<int> expected = {64,  896, 64,  189, 262, 314, 354, 387, 415, 439,
                                       460, 480, 605, 678, 730, 770, 803, 831, 855, 876};
    EXPECT_EQ(xs, expected);
}

TEST(ChartLayout, LogVerticalGridCoversTheDecadesOfTheLimits) {
    CPlotFormat f = ColeCole(0, 100, 1, 100);
    f.yLog = 1;
    const ChartLayout layout(Metrics(), f, 1e8, 1e10);
    const auto lines = layout.HorizontalGridLines();
    // Edges at 392 (y min) and 112 (y max); u = 0: w = 1..10; u = 1: w = 1..9 (100 is not
    // below y max).
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0].y1, 392);
    EXPECT_EQ(lines[1].y1, 112);
    EXPECT_EQ(lines[2].y1, 392);   // 1
    EXPECT_EQ(lines[3].y1, 349);   // 2: 392 - 140 · 0.30103
    EXPECT_EQ(lines[11].y1, 252);  // 10
    EXPECT_EQ(lines[12].y1, 252);  // 10 again, from the next decade
    EXPECT_EQ(lines[13].y1, 209);  // 20
    EXPECT_EQ(lines[0].x1, 64);
    EXPECT_EQ(lines[0].x2, 896);
}

TEST(ChartLayout, LogGridOfAnImpossibleSweepIsEmpty) {
    CPlotFormat f = CPlotFormat::Make("e'", {200, 20, 0, 100});
    f.xLog = 1;
    EXPECT_TRUE(ChartLayout(Metrics(), f, 0.0, 1e10).VerticalGridLines().empty());
}

TEST(ChartLayout, AxisNumberFormatFollowsTheSpan) {
    EXPECT_STREQ(AxisNumberFormat(100.0), "% 5.0f");
    EXPECT_STREQ(AxisNumberFormat(-150.0), "% 5.0f");
    EXPECT_STREQ(AxisNumberFormat(99.99), "% 5.1f");
    EXPECT_STREQ(AxisNumberFormat(10.0), "% 5.1f");
    EXPECT_STREQ(AxisNumberFormat(9.99), "% 5.2f");
    EXPECT_STREQ(AxisNumberFormat(1.0), "% 5.2f");
    EXPECT_STREQ(AxisNumberFormat(0.5), "% 5.3f");
    EXPECT_STREQ(AxisNumberFormat(0.1), "% 5.3f");
    EXPECT_STREQ(AxisNumberFormat(0.05), "% 5.4f");
    EXPECT_STREQ(AxisNumberFormat(0.01), "% 5.4f");
    EXPECT_STREQ(AxisNumberFormat(0.005), "% 5.5f");
    EXPECT_STREQ(AxisNumberFormat(0.0), "% 5.5f");
}

TEST(ChartLayout, VerticalLabelsEveryFifthOfTheAxis) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    // Right-aligned at trunc(0.9 · 64) - 1 = 56; y = trunc(112 + k · 56 - 20 div 2).
    const auto labels = layout.VerticalLabels(20);
    const char* texts[] = {"  100", "   80", "   60", "   40", "   20", "    0"};
    ASSERT_EQ(labels.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(labels[k], (ChartText{texts[k], 56, 102 + 56 * static_cast<int>(k),
                                        TextAlign::Right, TextBaseline::Top}))
            << k;
    }
    // A span of 0.5 writes three decimals.
    const auto narrow =
        ChartLayout(Metrics(), ColeCole(0, 100, 2, 2.5), 2e8, 2e10).VerticalLabels(20);
    EXPECT_EQ(narrow[0].text, " 2.500");
    EXPECT_EQ(narrow[1].text, " 2.400");
    EXPECT_EQ(narrow[5].text, " 2.000");
}

TEST(ChartLayout, FrequencyFormatHasTwoHorizontalLabels) {
    const ChartLayout layout(Metrics(), CPlotFormat::Make("e'", {200, 20, 0, 100}), 2e8, 2e10);
    // y = trunc(448 · (1 - 0.9 · 0.125)) + 1 = trunc(397.6) + 1.
    const auto labels = layout.HorizontalLabels(20);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0], (ChartText{"200. MHz", 64, 398, TextAlign::Left, TextBaseline::Top}));
    EXPECT_EQ(labels[1], (ChartText{"20. GHz", 896, 398, TextAlign::Right, TextBaseline::Top}));
}

TEST(ChartLayout, FrequencyLabelKeepsNineDigitsAndThePoint) {
    EXPECT_EQ(FrequencyLabel(200.0, "MHz"), "200. MHz");
    EXPECT_EQ(FrequencyLabel(1.5, "GHz"), "1.5 GHz");
    EXPECT_EQ(FrequencyLabel(123456789.0, "Hz"), "123456789. Hz");
    EXPECT_EQ(FrequencyLabel(2.123456789123, "GHz"), "2.12345679 GHz");
    EXPECT_EQ(FrequencyLabel(1234567891.0, "Hz"), "1.23456789e+009 Hz");
    EXPECT_EQ(FrequencyLabel(0.0, "Hz"), "0. Hz");
}

TEST(ChartLayout, ColeColeLabelsAndTheSweepBelowThem) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    const auto labels = layout.HorizontalLabels(20);
    // Centred at trunc(64 + k · 166.4), top at trunc(392 + 10) + 1; the sweep at
    // (trunc(832 · 0.5 + 64), trunc(392 + 40) + 1).
    ASSERT_EQ(labels.size(), 7u);
    const int xs[] = {64, 230, 396, 563, 729, 896};
    const char* texts[] = {"    0", "   20", "   40", "   60", "   80", "  100"};
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(labels[k],
                  (ChartText{texts[k], xs[k], 403, TextAlign::Centre, TextBaseline::Top}));
    }
    EXPECT_EQ(labels[6],
              (ChartText{"200. MHz - 20. GHz", 480, 433, TextAlign::Centre, TextBaseline::Top}));
}

TEST(ChartLayout, LogColeColeHasOnlyItsEnds) {
    CPlotFormat f = ColeCole(1, 1000, 0, 100);
    f.xLog = 1;
    const auto labels = ChartLayout(Metrics(), f, 2e8, 2e10).HorizontalLabels(20);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].text, "    1");
    EXPECT_EQ(labels[0].x, 64);
    EXPECT_EQ(labels[1].text, " 1000");
    EXPECT_EQ(labels[1].x, 896);
}

TEST(ChartLayout, AnnotationPositions) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    EXPECT_EQ(layout.Title("Title"),
              (ChartText{"Title", 512, 0, TextAlign::Centre, TextBaseline::Top}));
    // |trunc(H/H0 · 74)| + 1, whatever the sign of the stored height.
    EXPECT_EQ(layout.Subtitle("Sub", 74).y, 75);
    EXPECT_EQ(layout.Subtitle("Sub", -74).y, 75);
    // Date at (trunc(0.875 · 1024) + 1, trunc(112)); the time one font height lower.
    EXPECT_EQ(layout.Date("May 01, 2024"),
              (ChartText{" May 01, 2024", 897, 112, TextAlign::Left, TextBaseline::Top}));
    EXPECT_EQ(layout.Time("09:30 AM", 9),
              (ChartText{" 09:30 AM", 897, 121, TextAlign::Left, TextBaseline::Top}));
    EXPECT_EQ(layout.Time("09:30 AM", -9).y, 121);
    EXPECT_EQ(layout.ParameterLabel("e'"),
              (ChartText{"e'", 64, 111, TextAlign::Left, TextBaseline::Bottom}));
}

TEST(ChartLayout, TraceLabelAndMarkerTriangle) {
    const ChartLayout layout(Metrics(), ColeCole(0, 100, 0, 100), 2e8, 2e10);
    // (trunc(0.1 · 20 + 500) + 1, 200 + 20 div 2), bottom-left.
    EXPECT_EQ(layout.TraceLabel("< Data", {500, 200}, 20, 20),
              (ChartText{"< Data", 503, 210, TextAlign::Left, TextBaseline::Bottom}));
    // Tip on the point, base tm div 2 + lw above it, cw div 4 + lw to each side.
    const std::vector<ChartPoint> triangle = {{506, 189}, {494, 189}, {500, 200}};
    EXPECT_EQ(layout.MarkerTriangle({500, 200}, 20, 20), triangle);
}

TEST(ChartLayout, MarkerFromAClick) {
    const std::vector<std::optional<int>> px = {10, 20, 30, 40};
    EXPECT_EQ(MarkerIndexForClick(px, 25, false), 1);  // 30 is right of it: index 2 - 1
    EXPECT_EQ(MarkerIndexForClick(px, 20, false), 1);  // 20 is not right of 20
    EXPECT_EQ(MarkerIndexForClick(px, 5, false), 0);   // -1 held at 0
    EXPECT_EQ(MarkerIndexForClick(px, 45, false), 3);  // nothing right of it: the last point
    // Cole-Cole scans for the first point left of the click.
    const std::vector<std::optional<int>> cc = {40, 30, 20, 10};
    EXPECT_EQ(MarkerIndexForClick(cc, 25, true), 1);
    EXPECT_EQ(MarkerIndexForClick(cc, 5, true), 3);
    // Points that are not drawn are passed over.
    const std::vector<std::optional<int>> gaps = {std::nullopt, 10, std::nullopt, 30};
    EXPECT_EQ(MarkerIndexForClick(gaps, 20, false), 2);
    EXPECT_EQ(MarkerIndexForClick({}, 20, false), 0);
}

TEST(ChartLayout, StampTexts) {
    // 2024-03-05 14:07 local time.
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&t);
    EXPECT_EQ(DateStampText(stamp), "March 05, 2024");
    EXPECT_EQ(TimeStampText(stamp), "02:07 PM");
}

TEST(LogLimits, ZeroMinimumIsReportedOnceAndSetToOne) {
    CPlotFormat f = CPlotFormat::Make("e'", {0, 20, 0, 100});
    f.xLog = 1;
    const auto first = CorrectLogLimits(f);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0],
              "Zero or negitive values not allowed in log scale.  Minimum value of horizonal "
              "scale set to 1");
    EXPECT_EQ(f.current.xMin, 1.0);
    EXPECT_EQ(f.minUnit, "MHz");
    EXPECT_TRUE(CorrectLogLimits(f).empty());
}

TEST(LogLimits, MaximumBelowMinimumBecomesMinimumPlusOneInItsUnit) {
    // 2 GHz to 500 MHz: the maximum becomes 3 GHz.
    CPlotFormat f = CPlotFormat::Make("e'", {2, 500, 1, 100});
    f.minUnit = "GHz";
    f.maxUnit = "MHz";
    f.xLog = 1;
    const auto messages = CorrectLogLimits(f);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Maximum value of scale must be larger than miminum.  Maximum value of horizonal "
              "scale set to miminum value+1");
    EXPECT_EQ(f.current.xMax, 3.0);
    EXPECT_EQ(f.maxUnit, "GHz");
}

TEST(LogLimits, VerticalAxisGetsBothMessagesInOrder) {
    CPlotFormat f = CPlotFormat::Make("e'", {200, 20, -5, -10});
    f.yLog = 1;
    const auto messages = CorrectLogLimits(f);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0],
              "Zero or negitive values not allowed in log scale.  Minimum value of verticle "
              "scale set to 1");
    EXPECT_EQ(messages[1],
              "Maximum value of scale must be larger than miminum.  Maximum value of verticle "
              "scale set to miminum value+1");
    EXPECT_EQ(f.current.yMin, 1.0);
    EXPECT_EQ(f.current.yMax, 2.0);
}

TEST(LogLimits, LinearAxesAreNeverTested) {
    CPlotFormat f = CPlotFormat::Make("e'", {0, -20, 0, -100});
    const CPlotFormat before = f;
    EXPECT_TRUE(CorrectLogLimits(f).empty());
    EXPECT_EQ(f, before);
}

}  // namespace
}  // namespace kv
