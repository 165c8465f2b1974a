// The time chart's rules: the curves a series gives, the autoscale, the geometry, the axis unit
// and the typed frequencies. The numbers are worked by hand.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "display/TimeChart.h"

namespace kv {
namespace {

// Slot 1 at 1 GHz and slot 3 at 3 GHz (slot 2 unused), three records at 0, 5 and 37 s whose
// values are set by hand (9999: not computed).
TimeSeries HandMadeSeries() {
    TimeSeries series;
    series.frequencies = {1e9, 0.0, 3e9, 0.0};
    MeasurementResult result;
    result.frequencies = {1e9, 3e9};
    result.permittivity = {CComplex(40, 10), CComplex(9999, 9999)};
    series.Append(0, 0.0, result);
    result.permittivity = {CComplex(30, 15), CComplex(20, 0)};
    series.Append(1, 5.0, result);
    result.permittivity = {CComplex(36, 9999), CComplex(0, 4)};
    series.Append(2, 37.0, result);
    return series;
}

std::vector<TimeChartPoint> Points(std::vector<std::pair<double, double>> list) {
    std::vector<TimeChartPoint> points;
    for (const auto& [t, v] : list) {
        points.push_back({t, v});
    }
    return points;
}

TEST(TimeChart, CurvesTakeEachSlotsValuesAndSkipWhatIsNotComputed) {
    const TimeSeries series = HandMadeSeries();
    const auto curves = TimeChartCurves(series, TimeChartQuantity::Permittivity);
    ASSERT_EQ(curves.size(), 4u);
    EXPECT_EQ(curves[0].slot, 0);
    EXPECT_EQ(curves[0].part, TimeChartPart::E1);
    EXPECT_EQ(curves[0].points, Points({{0, 40}, {5, 30}, {37, 36}}));
    EXPECT_EQ(curves[1].part, TimeChartPart::E2);
    EXPECT_EQ(curves[1].points, Points({{0, 10}, {5, 15}}));  // 9999 at 37 s left out
    EXPECT_EQ(curves[2].slot, 2);
    EXPECT_EQ(curves[2].frequency, 3e9);
    EXPECT_EQ(curves[2].points, Points({{5, 20}, {37, 0}}));
    EXPECT_EQ(curves[3].points, Points({{5, 0}, {37, 4}}));
    EXPECT_EQ(TimeChartCurveLabel(curves[3]), "3 GHz e''");

    // Loss tangent e''/e': 10/40 and 15/30; the 9999 of e'' and the zero e' give no point.
    const auto tangents = TimeChartCurves(series, TimeChartQuantity::LossTangent);
    ASSERT_EQ(tangents.size(), 2u);
    EXPECT_EQ(tangents[0].points, Points({{0, 0.25}, {5, 0.5}}));
    EXPECT_EQ(tangents[1].points, Points({{5, 0.0}}));
    EXPECT_EQ(TimeChartCurveLabel(tangents[0]), "1 GHz tan d");
}

TEST(TimeChart, AutoscaleAndLimits) {
    const TimeSeries series = HandMadeSeries();
    // Values 0 to 40 (a minimum of exactly 0 counts as 1e-10): window 50 around the multiple of
    // 10 nearest 20, -5 to 45, shifted to start at 0 for data above 0: 0 to 50. The last record
    // at 37 s gives 0 to 50 s.
    const auto fitted =
        TimeChartAutoscale(TimeChartCurves(series, TimeChartQuantity::Permittivity));
    ASSERT_TRUE(fitted);
    EXPECT_EQ(*fitted, (TimeChartBounds{0, 50, 0, 50}));
    // Tangents 0, 0.25 and 0.5: window 0.5 around 0.25; p = -1 gives 0.3 (0.05 to 0.55, not
    // covering 1e-10), p = -2 gives 0.25: 0 to 0.5.
    const auto tangents =
        TimeChartAutoscale(TimeChartCurves(series, TimeChartQuantity::LossTangent));
    ASSERT_TRUE(tangents);
    EXPECT_DOUBLE_EQ(tangents->valueMin, 0.0);
    EXPECT_DOUBLE_EQ(tangents->valueMax, 0.5);
    EXPECT_EQ(tangents->timeMax, 5.0);  // the last tangent at 5 s

    // No point: no autoscale, and the limits drawn are the settings' own.
    TimeSeries empty;
    empty.frequencies = {1e9, 0, 0, 0};
    EXPECT_FALSE(TimeChartAutoscale(TimeChartCurves(empty, TimeChartQuantity::Permittivity)));
    TimeChartSettings settings;
    settings.scale = {10, 20, -1, 1};
    EXPECT_EQ(TimeChartLimits(settings, {}), settings.scale);
    settings.autoscale = false;
    EXPECT_EQ(TimeChartLimits(settings, TimeChartCurves(series, TimeChartQuantity::Permittivity)),
              settings.scale);
    // Limits that do not increase are never drawn.
    settings.scale = {20, 10, -1, 1};
    EXPECT_EQ(TimeChartLimits(settings, {}), TimeChartBounds{});
}

TEST(TimeChart, LayoutPlacesTimesAndValues) {
    // 1000 x 400, text 20 high, value labels 60 wide, legend 170 wide:
    // plot x from 60 + 20 = 80 to 1000 - (170 + 30) = 800, y from 2.5 * 20 = 50 to 400 - 60 = 340.
    const TimeChartLayout layout(1000, 400, 20, 60, 170, TimeChartBounds{0, 100, 0, 50});
    EXPECT_EQ(layout.PlotLeft(), 80);
    EXPECT_EQ(layout.PlotRight(), 800);
    EXPECT_EQ(layout.PlotTop(), 50);
    EXPECT_EQ(layout.PlotBottom(), 340);
    EXPECT_DOUBLE_EQ(layout.X(50), 440);
    EXPECT_DOUBLE_EQ(layout.Y(25), 195);
    EXPECT_DOUBLE_EQ(layout.Y(50), 50);
    // At most 720 / 160 = 4 time intervals: step 25 rounds up to 50; 290 / 50 = 5 value
    // intervals: step 10.
    EXPECT_EQ(layout.TimeTicks(), (std::vector<double>{0, 50, 100}));
    EXPECT_EQ(layout.ValueTicks(), (std::vector<double>{0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(layout.TimeAxisTitle(), "Time (s)");
    // An hour is labelled in minutes (ticks still in seconds), a night in hours.
    const TimeChartLayout hour(1000, 400, 20, 60, 170, TimeChartBounds{0, 3600, 0, 50});
    EXPECT_EQ(hour.TimeAxisTitle(), "Time (min)");
    EXPECT_EQ(hour.TimeTicks(), (std::vector<double>{0, 1200, 2400, 3600}));
    EXPECT_STREQ(TimeAxisUnitFor(8 * 3600.0).name, "h");
    EXPECT_EQ(TickLabel(0.5, 0.1), "0.5");
    EXPECT_EQ(TickLabel(20, 20), "20");
    EXPECT_EQ(TickLabel(-0.25, 0.05), "-0.25");
}

TEST(TimeChart, TypedFrequencies) {
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"2.45 GHz", 2.45e9}, {"915mhz", 915e6},       {" 500 kHz ", 500e3},
        {"1e9", 1e9},         {"10 Hz", 10.0},         {"", 0.0},
        {"   ", 0.0},         {"abc", std::nullopt},   {"-1 GHz", std::nullopt},
        {"0", std::nullopt},  {"1 THz", std::nullopt}, {"1 GHz x", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseTimeChartFrequency(text), expected) << text;
    }
    EXPECT_EQ(TimeChartFrequencyText(2.45e9), "2.45 GHz");
    EXPECT_EQ(TimeChartFrequencyText(915e6), "915 MHz");
    EXPECT_EQ(TimeChartFrequencyText(1.23456789e9, 10), "1.23456789 GHz");
    EXPECT_EQ(ParseTimeChartFrequency(TimeChartFrequencyText(1.23456789e9, 10)), 1.23456789e9);
}

}  // namespace
}  // namespace kv
