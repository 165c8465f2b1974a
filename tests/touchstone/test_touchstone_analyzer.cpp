// The "Touchstone files" analyzer driven directly: which file each prompt of a calibration plays,
// the correction after the download, the sweep it reports, and the files it refuses.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "TouchstoneAnalyzer.h"
#include "probe/FrequencyList.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

class TouchstoneAnalyzerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("kv-touchstone-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A file on 1, 2 and 3 GHz whose S11 is (value, -value) at every point.
    std::string Constant(const std::string& name, double value, const char* frequencies = "1 2 3") {
        std::string text = "# GHz S RI R 50\n";
        double f = 0;
        for (const char* p = frequencies; *p != '\0'; ++p) {
            if (*p != ' ') {
                f = *p - '0';
                text += std::to_string(static_cast<int>(f)) + " " + std::to_string(value) + " " +
                        std::to_string(-value) + "\n";
            }
        }
        return Write(name, text);
    }

    // A file in Hz of these frequency texts whose S11 is (value, 0) at every point.
    std::string OnGrid(const std::string& name, double value,
                       const std::vector<std::string>& frequencies) {
        std::string text = "! made-up grid\n# Hz S RI R 50\n";
        for (const std::string& f : frequencies) {
            text += f + " " + std::to_string(value) + " 0\n";
        }
        return Write(name, text);
    }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }

    // The first point of one sweep.
    static CComplex Sweep(TouchstoneAnalyzer& a) {
        std::vector<CComplex> trace(3);
        EXPECT_EQ(a.MeasureTrace(trace), 0) << a.LastError();
        return trace[0];
    }

    static void Prompt(TouchstoneAnalyzer& a, const std::string& title) {
        a.ShowTitle(title);
        a.ShowMessage("a prompt");
        a.ArmOperatorResponse();
    }

    fs::path dir_;
};

TEST_F(TouchstoneAnalyzerTest, PlaysTheFileOfEachPromptAndCorrectsAfterTheDownload) {
    TouchstoneAnalyzer a({{"air", Constant("air.s1p", 0.1)},
                          {"short", Constant("short.s1p", 0.2)},
                          {"water", Constant("water.s1p", 0.3)},
                          {"load", Constant("load.s1p", 0.4)},
                          {"standard1", Constant("s1.s1p", 0.5)},
                          {"standard2", Constant("s2.s1p", 0.6)},
                          {"standard3", Constant("s3.s1p", 0.7)},
                          {"sample", Constant("sample.s1p", 0.8)}});
    ASSERT_EQ(a.CheckInstrument(), 0) << a.LastError();
    double start = 0, stop = 0;
    int points = 0;
    EXPECT_EQ(a.GetStartFrequency(start) + a.GetStopFrequency(stop) + a.GetNumberOfPoints(points),
              0);
    EXPECT_EQ(start, 1e9);
    EXPECT_EQ(stop, 3e9);
    EXPECT_EQ(points, 3);
    EXPECT_EQ(a.QueryLogSweepSupport(), kLogSweepNotOffered);
    const std::vector<double> sweep = {1e9, 2e9, 3e9};
    a.SetFrequencyList(sweep, 3, 0);

    // Air, short (read twice: the same file), water; nothing corrected while calibrating.
    a.BeginCalibration();
    Prompt(a, "Measuring air.");
    EXPECT_EQ(Sweep(a).re, 0.1);
    Prompt(a, "Measuring the shorting block.");
    EXPECT_EQ(Sweep(a).re, 0.2);
    EXPECT_EQ(Sweep(a).re, 0.2);
    Prompt(a, "Measuring water.");
    EXPECT_EQ(Sweep(a).re, 0.3);

    // Directivity (0.05, 0), source match (0, 0.1), tracking (0.9, 0): the sample's reading
    // m = (0.8, -0.8) corrects to (m - d) / (t + s (m - d)). By hand: m - d = (0.75, -0.8);
    // s (m - d) = (0.08, 0.075); the denominator (0.98, 0.075), |.|^2 = 0.966025;
    // (0.75, -0.8) (0.98, -0.075) / 0.966025 = (0.675, -0.840250) / 0.966025.
    const std::vector<CComplex> d(3, CComplex(0.05, 0)), s(3, CComplex(0, 0.1)),
        t(3, CComplex(0.9, 0));
    a.DownloadCalibration(d, s, t);
    Prompt(a, "Measuring sample...");
    const CComplex g = Sweep(a);
    EXPECT_NEAR(g.re, 0.675 / 0.966025, 1e-12);
    EXPECT_NEAR(g.im, -0.84025 / 0.966025, 1e-12);
    std::vector<CComplex> again(3);
    EXPECT_EQ(a.ReadTrace(again), 0);
    EXPECT_EQ(again[0].re, g.re);

    // Load, air, short, told by the first title; the user-defined standards otherwise.
    a.BeginCalibration();
    Prompt(a, "Measuring the load.");
    EXPECT_EQ(Sweep(a).re, 0.4);
    Prompt(a, "Measuring air.");
    EXPECT_EQ(Sweep(a).re, 0.1);
    Prompt(a, "Measuring the shorting block.");
    EXPECT_EQ(Sweep(a).re, 0.2);
    a.BeginCalibration();
    for (double value : {0.5, 0.6, 0.7}) {
        Prompt(a, "Measuring Methanol");
        EXPECT_EQ(Sweep(a).re, value);
    }
}

TEST_F(TouchstoneAnalyzerTest, RefusesFilesThatDoNotFitWithTheFileAndThePoint) {
    // A file that does not read.
    TouchstoneAnalyzer bad({{"sample", Write("bad.s1p", "# GHz S RI\n1 0 0\n2 0\n")}});
    EXPECT_NE(bad.CheckInstrument(), 0);
    EXPECT_EQ(bad.LastError(), "The Touchstone file " + (dir_ / "bad.s1p").string() +
                                   " does not read at line 3: a point of a one-port file is three "
                                   "numbers (frequency, two parts of S11), the line holds 2.");
    // Files on other frequencies than each other.
    const std::string air = Constant("air.s1p", 0.1);
    TouchstoneAnalyzer apart({{"air", air}, {"sample", Constant("other.s1p", 0.1, "1 2 4")}});
    EXPECT_NE(apart.CheckInstrument(), 0);
    EXPECT_EQ(apart.LastError(), "The frequencies of " + (dir_ / "other.s1p").string() +
                                     " are not those of " + air +
                                     ": point 3 (4 GHz in the file, 3 GHz in " + air + ").");
    // The sweep the program sets differs from the files; a standard without a file.
    TouchstoneAnalyzer a({{"sample", Constant("sample.s1p", 0.8)}});
    ASSERT_EQ(a.CheckInstrument(), 0);
    const std::vector<double> sweep = {1e9, 2e9 + 2500, 3e9};
    a.SetFrequencyList(sweep, 3, 0);
    std::vector<CComplex> trace(3);
    EXPECT_NE(a.MeasureTrace(trace), 0);
    EXPECT_EQ(a.LastError(), "The frequencies of " + (dir_ / "sample.s1p").string() +
                                 " are not those of the sweep: point 2 (2 GHz in the file, "
                                 "2.0000025 GHz in the sweep).");
    a.SetFrequencyList(std::vector<double>{1e9, 2e9 + 1500, 3e9}, 3, 0);  // within 1e-6 f
    EXPECT_EQ(a.MeasureTrace(trace), 0);
    a.BeginCalibration();
    Prompt(a, "Measuring air.");
    EXPECT_NE(a.MeasureTrace(trace), 0);
    EXPECT_EQ(a.LastError(),
              "No Touchstone file is named for the air (setting "
              "TouchstoneFiles/air, terminal option --air).");
}

// Frequencies as another program writes them: "%.12g" Hz.
std::vector<std::string> Texts(const std::vector<double>& f) {
    std::vector<std::string> texts;
    for (double x : f) {
        char text[32];
        std::snprintf(text, sizeof text, "%.12g", x);
        texts.push_back(text);
    }
    return texts;
}

// 21 points from 300 kHz to 3 GHz, each 10^0.2 times the last.
std::vector<std::string> GeometricGrid() {
    std::vector<double> f;
    for (int k = 0; k <= 20; ++k) {
        f.push_back(300e3 * std::pow(10.0, k / 5.0));
    }
    return Texts(f);
}

// 1 to 10 MHz in steps of 1 MHz, then 12.5 to 50 MHz in steps of 2.5 MHz: 26 points.
std::vector<std::string> TwoSegmentGrid() {
    std::vector<double> f;
    for (int k = 1; k <= 10; ++k) {
        f.push_back(k * 1e6);
    }
    for (int k = 5; k <= 20; ++k) {
        f.push_back(k * 2.5e6);
    }
    return Texts(f);
}

TEST_F(TouchstoneAnalyzerTest, TakesAnyGridAsItsListExactlyAsWritten) {
    struct Case {
        const char* name;
        std::vector<std::string> grid;
        std::vector<double> other;  // a list it refuses
        std::string refusal;
    };
    const std::vector<double> linear =
        FrequencyList(SweepBetween(300e3, 3e9, 21, SweepKind::Linear));
    std::vector<double> cut;
    for (const std::string& f : TwoSegmentGrid()) {
        cut.push_back(std::strtod(f.c_str(), nullptr));
    }
    cut.pop_back();
    const Case cases[] = {
        {"geometric", GeometricGrid(), linear,
         "The Touchstone files hold only their own frequencies, 21 points from 300 kHz to 3 GHz: "
         "the list differs at point 2 (150.285 MHz in the list, 475.4679577 kHz in the files)."},
        {"segments", TwoSegmentGrid(), cut,
         "The Touchstone files hold only their own frequencies, 26 points from 1 MHz to 50 MHz: "
         "the list differs at point 26 (none in the list, 50 MHz in the files)."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> expected;
        for (const std::string& f : c.grid) {
            expected.push_back(std::strtod(f.c_str(), nullptr));
        }
        const std::string prefix = c.name;
        TouchstoneAnalyzer a({{"air", OnGrid(prefix + "-air.s1p", 0.1, c.grid)},
                              {"short", OnGrid(prefix + "-short.s1p", 0.2, c.grid)},
                              {"water", OnGrid(prefix + "-water.s1p", 0.3, c.grid)},
                              {"sample", OnGrid(prefix + "-sample.s1p", 0.8, c.grid)}});
        ASSERT_EQ(a.CheckInstrument(), 0) << a.LastError();
        std::vector<double> list;
        ASSERT_EQ(a.GetFrequencyList(list), 0);
        EXPECT_EQ(list, expected);
        double start = 0, stop = 0;
        int points = 0;
        a.GetStartFrequency(start);
        a.GetStopFrequency(stop);
        a.GetNumberOfPoints(points);
        EXPECT_EQ(start, expected.front());
        EXPECT_EQ(stop, expected.back());
        EXPECT_EQ(points, static_cast<int>(expected.size()));
        EXPECT_EQ(a.QueryLogSweepSupport(), kLogSweepNotOffered);
        EXPECT_EQ(a.ListRefusal(expected), "");
        EXPECT_EQ(a.ListRefusal(c.other), c.refusal);

        // Sent another sweep it keeps the files' list; on the files' list it measures.
        a.SetFrequencyList(c.other, static_cast<int>(c.other.size()), 0);
        ASSERT_EQ(a.GetFrequencyList(list), 0);
        EXPECT_EQ(list, expected);
        a.SetFrequencyList(expected, static_cast<int>(expected.size()), kListSweep);
        std::vector<CComplex> trace(expected.size());
        ASSERT_EQ(a.MeasureTrace(trace), 0) << a.LastError();
        EXPECT_EQ(trace.back().re, 0.8);
    }

    // A file whose seventh point is 20 Hz (4 10^-6 f) off the first file's.
    std::vector<std::string> off = GeometricGrid();
    ASSERT_EQ(off[6], "4754679.57738");
    off[6] = "4754700";
    const std::string air = OnGrid("air.s1p", 0.1, GeometricGrid());
    const std::string sample = OnGrid("sample.s1p", 0.8, off);
    TouchstoneAnalyzer apart({{"air", air}, {"sample", sample}});
    EXPECT_NE(apart.CheckInstrument(), 0);
    EXPECT_EQ(apart.LastError(), "The frequencies of " + sample + " are not those of " + air +
                                     ": point 7 (4.7547 MHz in the file, 4.754679577 MHz in " +
                                     air + ").");
}

}  // namespace
}  // namespace kv
