// A list of frequencies as linear runs (the segments of a list sweep).

#include <gtest/gtest.h>

#include <cmath>

#include "instrument/LinearRuns.h"

namespace kv {
namespace {

std::vector<double> Row(double a, double b, int n) {
    std::vector<double> f;
    for (int i = 0; i < n; ++i) {
        f.push_back(n == 1 ? a : a + i * ((b - a) / (n - 1)));
    }
    return f;
}

std::vector<double> Joined(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<double> Moved(std::vector<double> f, std::size_t i, double by) {
    f[i] += by;
    return f;
}

struct RunsCase {
    const char* name;
    std::vector<double> list;
    std::vector<LinearRun> runs;
};

class SplitRuns : public ::testing::TestWithParam<RunsCase> {};

TEST_P(SplitRuns, GivesTheRunsAndTheirPointsAgain) {
    const auto& c = GetParam();
    const auto runs = SplitLinearRuns(c.list);
    ASSERT_EQ(runs.size(), c.runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        EXPECT_DOUBLE_EQ(runs[r].start, c.runs[r].start) << "run " << r;
        EXPECT_DOUBLE_EQ(runs[r].stop, c.runs[r].stop) << "run " << r;
        EXPECT_EQ(runs[r].points, c.runs[r].points) << "run " << r;
    }
    const auto points = ExpandLinearRuns(runs);
    ASSERT_EQ(points.size(), c.list.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_LE(std::fabs(points[i] - c.list[i]), 1.0) << "point " << i;
    }
}

// 50 MHz to 1 GHz in 9.5 MHz steps, then 1.095 GHz to 20 GHz in 95 MHz steps; a point 0.9 Hz off
// stays on its line (point 5 of 1 MHz steps: the step to it, (5e6 + 0.9) / 5, keeps points 1 to 4
// within 1 Hz), 1.1 Hz off it ends the run there (point 6 is then 1.1 Hz off the line 0 to 5); a
// row that doubles has no three points in a line.
INSTANTIATE_TEST_SUITE_P(
    Lists, SplitRuns,
    ::testing::Values(RunsCase{"empty", {}, {}}, RunsCase{"one_point", {2e9}, {{2e9, 2e9, 1}}},
                      RunsCase{"two_runs",
                               Joined(Row(50e6, 1e9, 101), Row(1.095e9, 20e9, 200)),
                               {{50e6, 1e9, 101}, {1.095e9, 20e9, 200}}},
                      RunsCase{
                          "point_0_9_hz_off", Moved(Row(0, 10e6, 11), 5, 0.9), {{0, 10e6, 11}}},
                      RunsCase{"point_1_1_hz_off",
                               Moved(Row(0, 10e6, 11), 5, 1.1),
                               {{0, 5e6 + 1.1, 6}, {6e6, 10e6, 5}}},
                      RunsCase{"meeting_point_to_the_earlier_run",
                               {1e6, 2e6, 3e6, 4e6, 6e6, 8e6},
                               {{1e6, 4e6, 4}, {6e6, 8e6, 2}}},
                      RunsCase{"geometric_row_in_pairs",
                               {1e6, 2e6, 4e6, 8e6, 16e6},
                               {{1e6, 2e6, 2}, {4e6, 8e6, 2}, {16e6, 16e6, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv
