// Scale fitting: the window the chart's autoscale and scale offer choose for a pair of limits.
#include <gtest/gtest.h>

#include <cmath>

#include "display/ScaleFit.h"

namespace kv {
namespace {

TEST(ScaleFit, DataFrom2_3To78_4GivesZeroToHundred) {
    // Step 100 (first of 0.01, 0.02, ... not below 76.1), centre 40.35 fitted to 40: window
    // -10 to 90, shifted to start at 0 because the data are above 0.
    double max = 78.4;
    double min = 2.3;
    FitScale(max, min);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 100.0);
}

TEST(ScaleFit, AllZeroGivesMinusOneToOne) {
    // min -0.05, max 1.0, step 2, centre 0.475 fitted to 0: -1 to 1, no shift (lo is not > 0).
    double max = 0.0;
    double min = 0.0;
    FitScale(max, min);
    EXPECT_EQ(min, -1.0);
    EXPECT_EQ(max, 1.0);
}

TEST(ScaleFit, AllTangentsOfZeroRealPartGive9998To9999) {
    double max = 9999.0;
    double min = 9999.0;
    FitScale(max, min);
    EXPECT_EQ(min, 9998.0);
    EXPECT_EQ(max, 9999.0);
}

TEST(ScaleFit, NegativeDataKeepTheirWindow) {
    // Span 76.1 -> step 100; c = -40.35, p = trunc(log10 40.35) + 1 = 2: g = 0 gives -50..50,
    // not covering -78.4; p = 1: q = -4.035 -> -4, g = -40: -90..10 covers; no shift.
    double max = -2.3;
    double min = -78.4;
    FitScale(max, min);
    EXPECT_EQ(min, -90.0);
    EXPECT_EQ(max, 10.0);
}

TEST(ScaleFit, ZeroMinimumIsReplacedBeforeFitting) {
    // min 0 -> 1e-10; step 50; c = 25.00000000005: p = 1 gives g = 30 (5..55, not covering),
    // p = 0 gives g = 25: 0..50.
    double max = 50.0;
    double min = 0.0;
    FitScale(max, min);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 50.0);
}

TEST(ScaleFit, WindowEqualToTheSpanEnds) {
    // Equal data: the minimum goes down by 0.05 and the step is 0.05, the span itself; the
    // rounded centre may never give an exactly covering window, and the fitting must end anyway
    // with a window of that width over the data.
    for (double v : {5.0, 1234.5678, 0.3, 77.77, -12.5, 1e-7, 3e12}) {
        double max = v;
        double min = v;
        FitScale(max, min);
        const double lo = v - 0.05;
        EXPECT_LE(min, lo) << v;
        EXPECT_GE(max, v) << v;
        EXPECT_LE(max - min, FitStep(v - lo) * (1 + 1e-12) + std::fabs(v) * 1e-15) << v;
    }
    // Values for which the rounded centre never gives a covering window (the refinement would
    // run until 10^p underflows): the window of the step's width is laid over the data.
    double max = 0.1648085916041282;
    double min = max;
    FitScale(max, min);
    EXPECT_EQ(min, 0.1648085916041282 - 0.05);
    EXPECT_EQ(max, 0.1648085916041282);
    max = 0.38997796668406864;  // exactly 0.2 above the minimum
    min = 0.18997796668406863;
    ASSERT_EQ(max - min, 0.2);
    FitScale(max, min);
    EXPECT_EQ(min, 0.18997796668406863);
    EXPECT_EQ(max, 0.38997796668406864);
}

TEST(ScaleFit, NonFiniteLimitsAreLeftAlone) {
    double max = INFINITY;
    double min = 1.0;
    FitScale(max, min);
    EXPECT_EQ(max, INFINITY);
    EXPECT_EQ(min, 1.0);
}

TEST(ScaleFit, StepsAreTheRoundDecimals) {
    EXPECT_EQ(FitStep(76.1), 100.0);
    EXPECT_EQ(FitStep(100.0), 100.0);  // not smaller than the span
    EXPECT_EQ(FitStep(100.5), 200.0);
    EXPECT_EQ(FitStep(1.05), 2.0);
    EXPECT_EQ(FitStep(0.0), 0.01);
    EXPECT_EQ(FitStep(0.03), 0.05);
    EXPECT_EQ(FitStep(0.15), 0.2);
    EXPECT_EQ(FitStep(3e5), 5e5);
}

TEST(ScaleFit, NearestMultipleRoundsHalvesAwayFromZero) {
    EXPECT_EQ(NearestMultiple(40.35, 1), 40.0);
    EXPECT_EQ(NearestMultiple(45.0, 1), 50.0);
    EXPECT_EQ(NearestMultiple(-45.0, 1), -50.0);
    EXPECT_EQ(NearestMultiple(0.475, 0), 0.0);
    EXPECT_EQ(NearestMultiple(-0.5, 0), -1.0);
    EXPECT_EQ(NearestMultiple(4.976, -2), 4.98);
}

TEST(ScaleFit, ExtentsLeaveOutValuesThatAreNotFinite) {
    AxisExtents e;
    EXPECT_FALSE(e.any);
    e.Add(INFINITY);
    e.Add(NAN);
    EXPECT_FALSE(e.any);
    e.Add(3.0);
    e.Add(-2.0);
    e.Add(-INFINITY);
    EXPECT_TRUE(e.any);
    EXPECT_EQ(e.min, -2.0);
    EXPECT_EQ(e.max, 3.0);
}

}  // namespace
}  // namespace kv
