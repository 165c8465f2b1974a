// Table geometry: header lines, rows and columns, scroll size, clicks, visible rows, printed page
// breaks and the marker keys.
#include <gtest/gtest.h>

#include "display/TableLayout.h"

namespace kv {
namespace {

// Three header lines of 30, 20 and 16; a = 8, h = 16, frequency texts 120 wide; two traces,
// 51 points. Header bottom 66, column titles at 82, row i at 98 + 16·i.
TableLayout Layout() {
    TableMetrics m;
    m.headerX = 14;
    m.headerHeights = {30, 20, 16};
    m.charWidth = 8;
    m.rowHeight = 16;
    m.frequencyWidth = 120;
    m.traceColumns = 2;
    m.points = 51;
    return TableLayout(m);
}

TEST(TableLayout, RowsAndColumns) {
    const TableLayout t = Layout();
    EXPECT_EQ(t.HeaderY(0), 0);
    EXPECT_EQ(t.HeaderY(1), 30);
    EXPECT_EQ(t.HeaderY(2), 50);
    EXPECT_EQ(t.HeaderBottom(), 66);
    EXPECT_EQ(t.ColumnTitleY(), 82);
    EXPECT_EQ(t.RowY(0), 98);
    EXPECT_EQ(t.RowY(50), 898);
    EXPECT_EQ(t.FrequencyX(), 8);
    // Columns 11·a = 88 wide, two per trace, from x = w.
    EXPECT_EQ(t.TraceX(0), 120);
    EXPECT_EQ(t.TraceX(1), 296);
    EXPECT_EQ(t.ColumnTitleCentre(0, 0), 164);
    EXPECT_EQ(t.ColumnTitleCentre(0, 1), 252);
    EXPECT_EQ(t.ColumnTitleCentre(1, 0), 340);
    EXPECT_EQ(t.CellRight(0, 0), 208);
    EXPECT_EQ(t.CellRight(0, 1), 296);
    EXPECT_EQ(t.CellRight(1, 1), 472);
    EXPECT_EQ(t.EndX(), 472);
    // Scroll size: (5·8 + 472, 82 + 52·16).
    EXPECT_EQ(t.ContentWidth(), 512);
    EXPECT_EQ(t.ContentHeight(), 914);
}

TEST(TableLayout, NoHeaderLinesAndNoTraces) {
    TableMetrics m;
    m.charWidth = 7;
    m.rowHeight = 10;
    m.frequencyWidth = 90;
    m.points = 3;
    const TableLayout t(m);
    EXPECT_EQ(t.HeaderBottom(), 0);
    EXPECT_EQ(t.ColumnTitleY(), 10);
    EXPECT_EQ(t.RowY(0), 20);
    EXPECT_EQ(t.ContentWidth(), 35 + 90);
    EXPECT_EQ(t.ContentHeight(), 10 + 40);
}

TEST(TableLayout, RowFromAClick) {
    const TableLayout t = Layout();
    EXPECT_EQ(t.RowAt(82), -1);  // the column-title row
    EXPECT_EQ(t.RowAt(97), -1);
    EXPECT_EQ(t.RowAt(10), -1);  // the header lines
    EXPECT_EQ(t.RowAt(98), 0);
    EXPECT_EQ(t.RowAt(113), 0);
    EXPECT_EQ(t.RowAt(114), 1);
    EXPECT_EQ(t.RowAt(913), 50);
    EXPECT_EQ(t.RowAt(5000), 50);  // below the last row: N - 1
}

TEST(TableLayout, VisibleRowsOfABand) {
    const TableLayout t = Layout();
    EXPECT_EQ(t.VisibleRows(0, 100), std::make_pair(0, 1));  // row 0 at 98..114
    EXPECT_EQ(t.VisibleRows(0, 98), std::make_pair(0, 0));
    // Rows reaching into 500..600: 98 + 16i + 16 > 500 and 98 + 16i < 600 -> i = 25 to 31.
    EXPECT_EQ(t.VisibleRows(500, 100), std::make_pair(25, 32));
    EXPECT_EQ(t.VisibleRows(880, 500), std::make_pair(48, 51));  // row 48 at 866..882
    EXPECT_EQ(t.VisibleRows(10000, 500), std::make_pair(51, 51));
}

TEST(TableLayout, ScrollBringsTheMarkerRowToTheTop) {
    const TableLayout t = Layout();
    EXPECT_EQ(t.ScrollForRow(10), 160);
    EXPECT_EQ(t.ScrollForRow(-1), 0);
}

TEST(TableLayout, PrintedRowsNeverCrossAPageEdge) {
    // Pages 200 high, rows 20 high, the row area from y0 = 20: rows at 40, 60, ... 180; after
    // row 7 the next row would end at 220 > 200, so it and every later row move down by 20.
    TableMetrics m;
    m.charWidth = 8;
    m.rowHeight = 20;
    m.points = 20;
    const auto ys = TableLayout(m).PrintedRowYs(200);
    ASSERT_EQ(ys.size(), 20u);
    EXPECT_EQ(ys[0], 40);
    EXPECT_EQ(ys[7], 180);
    EXPECT_EQ(ys[8], 220);
    EXPECT_EQ(ys[16], 380);
    EXPECT_EQ(ys[17], 420);  // second page edge at 400
    EXPECT_EQ(ys[19], 460);
}

TEST(TableLayout, MarkerKeys) {
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Up, 0, 51), 0);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Down, 50, 51), 50);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Down, 5, 51), 6);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Up, 5, 51), 4);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Home, 30, 51), 0);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::End, 3, 51), 50);
    // After a click on the column titles (-1) either arrow brings the marker to row 0.
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Up, -1, 51), 0);
    EXPECT_EQ(MarkerAfterKey(MarkerMove::Down, -1, 51), 0);
}

TEST(TableLayout, FrequencyTextShapes) {
    const std::vector<double> f = {2e8, 3e8, 9.9e8, 1e9, 1.5e9, 12e9};
    const std::vector<std::string> expected = {"200.000000 MHz", "1.000000000 GHz",
                                               "12.000000000 GHz", "???????"};
    EXPECT_EQ(FrequencyTextShapes(f, 8), expected);
    // A value that rounds up to one more digit is a shape of its own.
    const std::vector<std::string> rounding = {"999.999000 MHz", "1000.000000 MHz"};
    EXPECT_EQ(FrequencyTextShapes({999999000.0, 999999999.9996}, 2), rounding);
    EXPECT_TRUE(FrequencyTextShapes(f, 0).empty());
}

}  // namespace
}  // namespace kv
