// Values of the chart and texts of the table, with and without trace math.
#include <gtest/gtest.h>

#include <cmath>

#include "display/CPlotFormat.h"
#include "display/TraceValues.h"

namespace kv {
namespace {

class TraceValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int t = 0; t < kTraceCount; ++t) {
            traces[t] = CTrace(kTraceLabels[t], kTraceColours[t]);
            set.traces[static_cast<std::size_t>(t)] = &traces[t];
        }
        // Data: e' 50, 0, 40; e'' 5, 3, 8.  Memory 1: e' 25, 20, 10; e'' 2, 0, 4.
        traces[0].permittivity = {{50, 5}, {0, 3}, {40, 8}};
        traces[0].permeability = {{1.5, 0.25}, {2, 1}, {3, 0}};
        traces[1].permittivity = {{25, 2}, {20, 0}, {10, 4}};
        traces[1].permeability = {{0.5, 0.5}, {4, 2}, {1, 1}};
        for (int t : {0, 1}) {
            traces[t].displayed = traces[t].valid = true;
        }
        set.frequencies = &frequencies;
    }

    CTrace traces[kTraceCount];
    std::vector<double> frequencies = {2e8, 1e9, 1.5e9};
    TraceSet set;
};

TEST_F(TraceValuesTest, ChartValuesWithMathOff) {
    EXPECT_EQ(ChartXValue(set, kFormatE1, 0, 1), 1e9);
    EXPECT_EQ(ChartYValue(set, kFormatE1, 0, 0), 50.0);
    EXPECT_EQ(ChartYValue(set, kFormatE2, 0, 2), 8.0);
    EXPECT_EQ(ChartYValue(set, kFormatTanE, 0, 0), 0.1);
    EXPECT_EQ(ChartYValue(set, kFormatTanE, 0, 1), 9999.0);  // e' is 0
    EXPECT_EQ(ChartXValue(set, kFormatColeColeE, 1, 2), 10.0);
    EXPECT_EQ(ChartYValue(set, kFormatColeColeE, 1, 2), 4.0);
    // The u formats read the permeability array.
    EXPECT_EQ(ChartXValue(set, kFormatU1, 0, 2), 1.5e9);
    EXPECT_EQ(ChartYValue(set, kFormatU1, 0, 0), 1.5);
    EXPECT_EQ(ChartYValue(set, kFormatU2, 0, 0), 0.25);
    EXPECT_EQ(ChartYValue(set, kFormatTanU, 1, 0), 1.0);
    EXPECT_EQ(ChartXValue(set, kFormatColeColeU, 0, 1), 2.0);
    EXPECT_EQ(ChartYValue(set, kFormatColeColeU, 0, 1), 1.0);
}

TEST_F(TraceValuesTest, ChartValuesDividedByTheReference) {
    set.mathMode = TraceMath::Divide;
    set.referenceTrace = 1;
    EXPECT_EQ(ChartXValue(set, kFormatE1, 0, 0), 2e8);  // frequencies are not divided
    EXPECT_EQ(ChartYValue(set, kFormatE1, 0, 0), 2.0);  // 50 / 25
    EXPECT_EQ(ChartYValue(set, kFormatE2, 0, 0), 2.5);  // 5 / 2
    EXPECT_EQ(ChartYValue(set, kFormatTanE, 0, 0), 0.1 / 0.08);
    EXPECT_EQ(ChartXValue(set, kFormatColeColeE, 0, 2), 4.0);  // 40 / 10
    EXPECT_EQ(ChartYValue(set, kFormatColeColeE, 0, 2), 2.0);  // 8 / 4
    // A zero reference value gives an infinite quotient; 0 / 0 is not a number.
    EXPECT_EQ(ChartYValue(set, kFormatE2, 0, 1), INFINITY);  // 3 / 0
    set.referenceTrace = 0;                                  // Data by itself: 1 where it is not 0
    EXPECT_EQ(ChartYValue(set, kFormatE1, 0, 0), 1.0);
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 0, 1)));
}

TEST_F(TraceValuesTest, ChartValuesLessTheReference) {
    set.mathMode = TraceMath::Subtract;
    set.referenceTrace = 1;
    EXPECT_EQ(ChartYValue(set, kFormatE1, 0, 0), 25.0);
    EXPECT_EQ(ChartYValue(set, kFormatE2, 0, 1), 3.0);
    EXPECT_EQ(ChartYValue(set, kFormatTanE, 0, 1), 9999.0 - 0.0);
    EXPECT_EQ(ChartXValue(set, kFormatColeColeE, 0, 0), 25.0);
    EXPECT_EQ(ChartYValue(set, kFormatColeColeE, 0, 0), 3.0);
    EXPECT_EQ(ChartXValue(set, kFormatE2, 0, 1), 1e9);
}

TEST_F(TraceValuesTest, PointsPastTheArraysHaveNoValue) {
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 0, 3)));
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 0, -1)));
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 2, 0)));  // Memory 2 is empty
    frequencies.resize(2);
    EXPECT_TRUE(std::isnan(ChartXValue(set, kFormatE1, 0, 2)));
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 3, 0), "");
    // A shorter reference leaves the point without a value under math.
    traces[1].permittivity.resize(1);
    set.mathMode = TraceMath::Subtract;
    set.referenceTrace = 1;
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 0, 1)));
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 1, 1), "");
    set.referenceTrace = 7;  // a reference no document has
    EXPECT_TRUE(std::isnan(ChartYValue(set, kFormatE1, 0, 0)));
}

TEST_F(TraceValuesTest, CellTextsWithMathOff) {
    traces[0].permittivity[2] = {-1.23456, 8};
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 0, 0), "50.0000");
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 0, 1), "5.0000");
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 2, 0), "-1.2346");
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 0, 0, 1), "0.1000");
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 0, 1, 1), "9999");  // e' exactly 0
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 0, 2, 1), "-6.4800");
}

TEST_F(TraceValuesTest, CellTextsUnderTraceMath) {
    set.referenceTrace = 1;
    set.mathMode = TraceMath::Divide;
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 0, 0), "2.0000");
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 0, 1), "2.5000");
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 0, 0, 1), "1.2500");   // 0.1 / 0.08
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 1, 1), "infinite");  // 3 / 0
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 1, 0), "0.0000");    // 0 / 20
    set.referenceTrace = 0;
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 1, 0), "undefined");  // 0 / 0
    set.referenceTrace = 1;
    set.mathMode = TraceMath::Subtract;
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 0, 0), "25.0000");
    EXPECT_EQ(TableCellText(set, kFormatTableReIm, 0, 2, 1), "4.0000");
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 0, 0, 1), "0.0200");  // 0.1 - 0.08
    EXPECT_EQ(TableCellText(set, kFormatTableReTan, 1, 0, 0), "0.0000");  // itself
}

TEST_F(TraceValuesTest, CopyRowKeepsColumnWidthsWithMathOff) {
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 0),
              "200000000.\t  50.0000\t   5.0000\t  25.0000\t   2.0000");
    // The tangent text is trimmed at its left.
    EXPECT_EQ(TableCopyRow(set, kFormatTableReTan, 0),
              "200000000.\t  50.0000\t0.1000\t  25.0000\t0.0800");
    EXPECT_EQ(TableCopyRow(set, kFormatTableReTan, 1),
              "1000000000.\t   0.0000\t9999\t  20.0000\t0.0000");
    // Only displayed and valid traces have columns.
    traces[0].displayed = false;
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 2), "1500000000.\t  10.0000\t   4.0000");
    traces[1].valid = false;
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 2), "1500000000.");
}

TEST_F(TraceValuesTest, CopyRowIsTrimmedUnderTraceMath) {
    set.mathMode = TraceMath::Subtract;
    set.referenceTrace = 1;
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 0),
              "200000000.\t25.0000\t3.0000\t0.0000\t0.0000");
    set.mathMode = TraceMath::Divide;
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 1),
              "1000000000.\t0.0000\tinfinite\t1.0000\tundefined");
}

TEST_F(TraceValuesTest, CopyRowFrequencyTexts) {
    frequencies = {1234567.891, 12.0, 123456789012345678.0};
    traces[0].displayed = traces[1].displayed = false;
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 0), "1234567.891");
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 1), "12.");
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 2), "1.23456789012346e+017");
    EXPECT_EQ(TableCopyRow(set, kFormatTableReIm, 3), "???????");
}

}  // namespace
}  // namespace kv
