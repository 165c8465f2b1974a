#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "probe/FrequencyList.h"
#include "probe/FrequencyPage.h"
#include "probe/FrequencySegments.h"

using namespace kv;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(FrequencySegments, LinearThenLogarithmicRowShareTheirJoin) {
    const auto rows = ParseSegments("50MHz:1GHz:101, 1GHz:20GHz:200:log");
    ASSERT_TRUE(rows.Ok()) << rows.refusal;
    const auto result = ListFromSegments(rows.segments);
    ASSERT_TRUE(result.Ok()) << result.refusal;
    const std::vector<double>& f = result.frequencies;
    ASSERT_EQ(f.size(), 300u);  // 101 + 200 - 1: 1 GHz once
    // Linear: (1000 - 50) MHz / 100 = 9.5 MHz a step.
    EXPECT_EQ(f[0], 50e6);
    EXPECT_EQ(f[1], 59.5e6);
    EXPECT_EQ(f[100], 1e9);
    // Logarithmic: ratio 20^(1/199) = exp(2.995732273553991 / 199) = 1.0151678121779197.
    constexpr double kRatio = 1.0151678121779197;
    EXPECT_NEAR(f[101], 1015167812.1779197, 1e-5);
    EXPECT_NEAR(f[200] / f[199], kRatio, 1e-14);
    EXPECT_NEAR(f[298], 20e9 / kRatio, 1e-4);
    EXPECT_EQ(f[299], 20e9);
}

TEST(FrequencySegments, SmallListsFromRows) {
    struct Case {
        std::vector<FrequencySegment> rows;
        std::vector<double> list;
    };
    const Case cases[] = {
        // A row of 1 point is its start; the next row may start above it.
        {{{1e9, 1e9, 1, false}, {2e9, 3e9, 3, false}}, {1e9, 2e9, 2.5e9, 3e9}},
        // A 1-point row at the stop of the row before adds nothing.
        {{{1e6, 3e6, 3, false}, {3e6, 3e6, 1, true}, {3e6, 12e6, 3, true}},
         {1e6, 2e6, 3e6, 6e6, 12e6}},
        {{{100.0, 10000.0, 3, true}}, {100.0, 1000.0, 10000.0}},
    };
    for (const Case& c : cases) {
        const auto result = ListFromSegments(c.rows);
        EXPECT_TRUE(result.Ok()) << result.refusal;
        ASSERT_EQ(result.frequencies.size(), c.list.size());
        for (std::size_t i = 0; i < c.list.size(); ++i) {
            EXPECT_NEAR(result.frequencies[i], c.list[i], c.list[i] * 1e-15) << i;
        }
    }
}

TEST(FrequencySegments, RowsRefusedByNumber) {
    const FrequencySegment good{1e9, 2e9, 11, false};
    struct Case {
        std::vector<FrequencySegment> rows;
        const char* refusal;
    };
    const Case cases[] = {
        {{good, {1.5e9, 3e9, 11, false}}, "Row 2 starts below the stop of row 1."},
        {{good, {2e9, 3e9, 11, false}, {5e9, 4e9, 11, false}},
         "Row 3 runs backwards: its stop is below its start."},
        {{{1e9, 1e9, 0, false}}, "Row 1 needs at least 1 point."},
        {{good, {3e9, 4e9, 1, true}}, "Row 2 needs at least 2 points: its start and stop differ."},
        {{{1e9, 1e9, 5, false}},
         "Row 1 starts and stops at the same frequency: it has 1 point, not 5."},
        {{{0.0, 1e9, 11, false}},
         "Row 1: its start and stop must be finite frequencies above 0 Hz."},
        {{good, {3e9, kInf, 11, true}},
         "Row 2: its start and stop must be finite frequencies above 0 Hz."},
        {{}, "The list has no frequencies; it needs at least 2."},
        {{{1e9, 1e9, 1, false}}, "The list has 1 frequency; it needs at least 2."},
        // Counted before any frequency is made.
        {{good, {2e9, 3e9, 2147483647, false}},
         "The list has 2147483657 frequencies; it may have at most 100001."},
        // Too dense for double precision: the points do not rise.
        {{{1.0, std::nextafter(1.0, 2.0), 3, false}},
         "Frequency 2 (1. Hz) is not above frequency 1 (1. Hz)."},
    };
    for (const Case& c : cases) {
        const auto result = ListFromSegments(c.rows);
        EXPECT_EQ(result.refusal, c.refusal);
        EXPECT_TRUE(result.frequencies.empty());
    }
}

TEST(FrequencySegments, ListLimits) {
    EXPECT_EQ(CheckFrequencyList({1.0, 2.0}), std::nullopt);
    EXPECT_EQ(CheckFrequencyList(std::vector<double>(100001, 1.0)),
              "Frequency 2 (1. Hz) is not above frequency 1 (1. Hz).");
    EXPECT_EQ(CheckFrequencyList(std::vector<double>(100002, 1.0)),
              "The list has 100002 frequencies; it may have at most 100001.");
    EXPECT_EQ(CheckFrequencyList({1e9, 2e9, 1.5e9}),
              "Frequency 3 (1.5 GHz) is not above frequency 2 (2. GHz).");
    EXPECT_EQ(CheckFrequencyList({1e9, -5e6}),
              "Frequency 2 (-5000000. Hz) is not a finite frequency above 0 Hz.");
    EXPECT_EQ(CheckFrequencyList({0.0, 1e9}),
              "Frequency 1 (0. Hz) is not a finite frequency above 0 Hz.");
    EXPECT_EQ(CheckFrequencyList({1e9, std::nan("")}),
              "Frequency 2 (nan) is not a finite frequency above 0 Hz.");
    EXPECT_EQ(CheckFrequencyList({1e9, kInf}),
              "Frequency 2 (inf) is not a finite frequency above 0 Hz.");
}

TEST(FrequencySegments, ParsesTheTerminalForm) {
    const auto rows = ParseSegments(" 2.5e9 : 3 GHz : 5 ,3GHz:4ghz:2:LOG,\t4GHz:5000000kHz:3:lin ");
    ASSERT_TRUE(rows.Ok()) << rows.refusal;
    const std::vector<FrequencySegment> expected = {
        {2.5e9, 3e9, 5, false}, {3e9, 4e9, 2, true}, {4e9, 5e9, 3, false}};
    EXPECT_EQ(rows.segments, expected);
}

TEST(FrequencySegments, TerminalFormRefusals) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "The list has no rows."},
        {"  ", "The list has no rows."},
        {"1GHz:2GHz:3,", "Row 2 is empty."},
        {"1GHz:2GHz:3,,3GHz:4GHz:2", "Row 2 is empty."},
        {"1GHz:2GHz", "Row 1: '1GHz:2GHz' is not START:STOP:POINTS with an optional :log or :lin."},
        {"1GHz:2GHz:3:log:x",
         "Row 1: '1GHz:2GHz:3:log:x' is not START:STOP:POINTS with an optional :log or :lin."},
        {"1GHz:2GHz:3, fast:2GHz:3", "Row 2: the start 'fast' is not a frequency."},
        {"1GHz:2 THz:3", "Row 1: the stop '2 THz' is not a frequency."},
        {"1GHz::3", "Row 1: the stop '' is not a frequency."},
        {"nan:2GHz:3", "Row 1: the start 'nan' is not a frequency."},
        {"1GHz:inf GHz:3", "Row 1: the stop 'inf GHz' is not a frequency."},
        {"1GHz:2GHz:3.5", "Row 1: the number of points '3.5' is not a whole number."},
        {"1GHz:2GHz:99999999999",
         "Row 1: the number of points '99999999999' is not a whole number."},
        {"1GHz:2GHz:3:geo", "Row 1: the spacing 'geo' is neither log nor lin."},
        {"1GHz:2GHz:3:", "Row 1: the spacing '' is neither log nor lin."},
    };
    for (const auto& [text, refusal] : cases) {
        const auto rows = ParseSegments(text);
        EXPECT_EQ(rows.refusal, refusal) << text;
        EXPECT_FALSE(rows.Ok());
    }
}

TEST(FrequencySegments, ListFileText) {
    const auto result = ParseFrequencyListText(
        "\xEF\xBB\xBF# made by hand\r\n! comment\r\n\r\n  200MHz \r\n1.5e9\r\n\t2 GHz\n3000000000");
    ASSERT_TRUE(result.Ok()) << result.refusal;
    EXPECT_EQ(result.frequencies, (std::vector<double>{200e6, 1.5e9, 2e9, 3e9}));

    const std::pair<const char*, const char*> cases[] = {
        {"# a\r\n1GHz\r\n\r\n2 GHz x\r\n", "Line 4: '2 GHz x' is not a frequency."},
        {"1GHz\n\x1b[2J\n", "Line 2: '?[2J' is not a frequency."},
        {"# a\r\n1GHz\r\n\r\n500MHz\r\n",
         "The frequency on line 4 (500. MHz) is not above the one on line 2 (1. GHz)."},
        {"1GHz\n# 0\n0\n", "The frequency on line 3 (0. Hz) is not a finite frequency above 0 Hz."},
        {"# only a comment\r\n1GHz\r\n", "The list has 1 frequency; it needs at least 2."},
    };
    for (const auto& [text, refusal] : cases) {
        const auto list = ParseFrequencyListText(text);
        EXPECT_EQ(list.refusal, refusal) << text;
        EXPECT_TRUE(list.frequencies.empty());
    }
}

// ------------------------------------------------------------------ the "Set Frequency" page

// Leaving the page with the list kind: the rows become the list, a refused row is named, and
// without rows the sweep's own list stays (or is refused when there is none).
TEST(FrequencyPage, LeavingWithTheListKind) {
    const std::vector<double> kept{3e8, 4e8, 7e8};
    const FrequencySegment lin{50e6, 1e9, 101, false};
    struct Case {
        Sweep sweep;
        std::vector<FrequencySegment> rows;
        std::string refusal;
        std::vector<double> list;  // when not refused
    };
    Sweep linear;
    linear.sweepType = SweepKind::List;  // a linear sweep's page switched to the list kind
    const Case cases[] = {
        {ListSweep(kept), {}, "", kept},
        {linear, {}, "The list has no frequencies; it needs at least 2.", {}},
        {ListSweep(kept), {{1e6, 2e6, 2, false}}, "", {1e6, 2e6}},
        {ListSweep(kept),
         {lin, {0.9e9, 2e9, 3, false}},
         "Row 2 starts below the stop of row 1.",
         {}},
        {linear, {{2e9, 1e9, 3, true}}, "Row 1 runs backwards: its stop is below its start.", {}},
    };
    for (const Case& c : cases) {
        FrequencyPage page;
        page.sweep = c.sweep;
        page.segments = c.rows;
        const auto checked = page.LeaveCheck();
        const auto left = page.Leave();
        if (c.refusal.empty()) {
            EXPECT_FALSE(checked.has_value()) << checked->text;
            EXPECT_FALSE(left.has_value());
            EXPECT_EQ(page.sweep, ListSweep(c.list));
        } else {
            ASSERT_TRUE(left.has_value());
            EXPECT_EQ(left->text, c.refusal);
            EXPECT_EQ(left->caption, "Setup");
            ASSERT_TRUE(checked.has_value());
            EXPECT_EQ(checked->text, c.refusal);
            EXPECT_EQ(page.sweep, c.sweep);  // refused: nothing taken
        }
    }
}

// The rows a list opens with: the rows it was set from, else its linear runs, else none (with
// the note that the list is kept) when there are too many runs or they do not give it exactly.
TEST(FrequencyPage, RowsOfAListOpenedOnThePage) {
    const std::vector<FrequencySegment> logRows{{1e9, 1e9, 1, false}, {2e9, 16e9, 4, true}};
    const std::vector<double> logList = ListFromSegments(logRows).frequencies;
    // Squares of 1 to n MHz: no three points in a line, so n / 2 runs of two (and one of one).
    const auto squares = [](int n) {
        std::vector<double> list;
        for (int k = 1; k <= n; ++k) {
            list.push_back(k * k * 1e6);
        }
        return list;
    };
    // Within the runs' 1 Hz of the line from 1 to 1.2 GHz, but not on it.
    const std::vector<double> inexact{1e9, 1.1e9 + 0.25, 1.2e9};
    struct Case {
        std::vector<double> list;
        std::vector<FrequencySegment> remembered;
        std::vector<FrequencySegment> rows;
    };
    const Case cases[] = {
        {{1e6, 2e6, 3e6, 10e6, 20e6, 30e6, 40e6},
         {},
         {{1e6, 3e6, 3, false}, {10e6, 40e6, 4, false}}},
        {logList, logRows, logRows},
        // Remembered rows of another list are not offered.
        {{1e9, 2e9, 4e9}, logRows, {{1e9, 2e9, 2, false}, {4e9, 4e9, 1, false}}},
        {squares(201), {}, {}},  // 101 runs
        {inexact, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowsOfList(c.list, c.remembered), c.rows);
    }
    EXPECT_EQ(RowsOfList(squares(200)).size(), 100u);

    FrequencyPage page;
    page.sweep = ListSweep(squares(203));
    EXPECT_EQ(page.KeptListNote(),
              "The current list (203 points from 1. MHz to 41.209 GHz) is kept unless rows are "
              "entered.");
    page.segments = logRows;
    EXPECT_EQ(page.KeptListNote(), "");
}
