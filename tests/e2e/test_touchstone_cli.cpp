// The terminal with the "Touchstone files" analyzer: files of the standards and of methanol made
// with the Demo analyzer's model give methanol back, a swept file is written back unchanged, the
// sample's reflection is exported, and a file that does not fit is refused with its reason.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cmath>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CliRun.h"
#include "DemoErrorModel.h"
#include "DemoMaterial.h"
#include "probe/FrequencyList.h"
#include "probe/ProbeModel.h"
#include "probe/Standards.h"
#include "touchstone/Touchstone.h"

namespace kv::test {
namespace {

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

// The raw reading of the Demo analyzer's reflectometer (no drift, no noise) with the material
// at probe B, on the program's sweep of that kind.
std::string ReadingFile(const DemoMaterial& material, double start, double stop, int points,
                        SweepKind sweepType) {
    ProbeModel model;
    model.LoadProbeCoefficients(1);
    TouchstoneData data;
    data.frequencies = FrequencyList(SweepBetween(start, stop, points, sweepType));
    for (double f : data.frequencies) {
        data.s11.push_back(RawReflection(DemoErrorTerms(f, 0.0), material.Reflection(model, f)));
    }
    return FormatTouchstone(data, "Made-up analyzer 1.0", "2026-01-01 00:00:00");
}

// The same reading on frequencies written as another program writes them ("%.12g" Hz).
std::string ReadingFileOn(const DemoMaterial& material, const std::vector<std::string>& grid) {
    ProbeModel model;
    model.LoadProbeCoefficients(1);
    std::string text = "! made-up grid\n# Hz S RI R 50\n";
    for (const std::string& f : grid) {
        const double hz = std::strtod(f.c_str(), nullptr);
        const CComplex m = RawReflection(DemoErrorTerms(hz, 0.0), material.Reflection(model, hz));
        char line[96];
        std::snprintf(line, sizeof line, "%s %.17g %.17g\n", f.c_str(), m.re, m.im);
        text += line;
    }
    return text;
}

std::vector<std::string> GridTexts(const std::vector<double>& f) {
    std::vector<std::string> texts;
    for (double x : f) {
        char text[32];
        std::snprintf(text, sizeof text, "%.12g", x);
        texts.push_back(text);
    }
    return texts;
}

TEST(CliTouchstone, MeasuresMethanolFromFilesAndExportsItsReflection) {
    CliFolder folder;
    // A logarithmic sweep of 51 points: the component finds its kind from the frequencies.
    const double start = 3e8, stop = 1e10;
    folder.Write("air.s1p",
                 ReadingFile(DemoMaterial::Air(), start, stop, 51, SweepKind::Logarithmic));
    folder.Write("short.s1p",
                 ReadingFile(DemoMaterial::Short(), start, stop, 51, SweepKind::Logarithmic));
    folder.Write("water.s1p",
                 ReadingFile(DemoMaterial::Water(25.0), start, stop, 51, SweepKind::Logarithmic));
    const std::string methanol = ReadingFile(DemoMaterial::Relaxation(kMethanol, "sample"), start,
                                             stop, 51, SweepKind::Logarithmic);
    folder.Write("methanol.s1p", methanol);
    const CliResult r =
        folder.Run({"measure", "--instrument", "Touchstone", "--air", folder.Path("air.s1p"),
                    "--short", folder.Path("short.s1p"), "--water", folder.Path("water.s1p"),
                    "--sample", folder.Path("methanol.s1p"), "--yes", "--touchstone",
                    folder.Path("out.s1p"), "--raw-touchstone", folder.Path("raw.s1p")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<ResultRow> rows = ParseRows(r.out);
    ASSERT_EQ(rows.size(), 51u) << r.out;
    EXPECT_EQ(rows.front().frequency, start);
    EXPECT_EQ(rows.back().frequency, stop);
    for (const ResultRow& row : rows) {
        const CComplex eps = ColeColePermittivity(row.frequency, kMethanol);
        const double magnitude = std::hypot(eps.re, eps.im);
        EXPECT_LT(std::fabs(row.e1 - eps.re) / magnitude, 1e-3) << row.frequency;
        EXPECT_LT(std::fabs(row.e2 + eps.im) / magnitude, 1e-3) << row.frequency;
    }

    // The corrected reflection is the model's; the one before correction is the file's reading.
    const TouchstoneParse in = ParseTouchstone(methanol);
    const TouchstoneParse raw = ParseTouchstone(folder.Read("raw.s1p"));
    const TouchstoneParse corrected = ParseTouchstone(folder.Read("out.s1p"));
    ASSERT_TRUE(raw.ok && corrected.ok && in.ok);
    ASSERT_EQ(raw.data.s11.size(), 51u);
    ProbeModel model;
    model.LoadProbeCoefficients(1);
    for (std::size_t i = 0; i < 51; ++i) {
        const double f = in.data.frequencies[i];
        EXPECT_NEAR(raw.data.frequencies[i], f, 1e-6 * f);
        EXPECT_NEAR(raw.data.s11[i].re, in.data.s11[i].re, 1e-12);
        EXPECT_NEAR(raw.data.s11[i].im, in.data.s11[i].im, 1e-12);
        const CComplex g = DemoMaterial::Relaxation(kMethanol, "sample").Reflection(model, f);
        EXPECT_NEAR(corrected.data.s11[i].re, g.re, 1e-9);
        EXPECT_NEAR(corrected.data.s11[i].im, g.im, 1e-9);
    }
    EXPECT_NE(folder.Read("out.s1p").find("! Instrument: Touchstone files\n"), std::string::npos);
}

// Without sweep options the measurement takes the files' frequencies exactly as written: a true
// logarithmic grid, the two segments of another program and a grid near the program's linear
// sweep are measured as they are.
TEST(CliTouchstone, MeasuresOnTheFilesOwnGrid) {
    std::vector<double> geometric;
    for (int k = 0; k <= 20; ++k) {
        geometric.push_back(300e3 * std::pow(10.0, k / 5.0));
    }
    std::vector<double> segments;
    for (int k = 2; k <= 10; ++k) {
        segments.push_back(k * 1e8);  // 200 MHz to 1 GHz in steps of 100 MHz
    }
    for (int k = 3; k <= 20; ++k) {
        segments.push_back(k * 5e8);  // 1.5 GHz to 10 GHz in steps of 500 MHz
    }
    // A linear grid with one point 500 Hz off: the program's linear sweep is not within 1 Hz.
    std::vector<double> nearlyLinear;
    for (int k = 0; k <= 20; ++k) {
        nearlyLinear.push_back(2e8 + k * 1.4e8 + (k == 4 ? 500.0 : 0.0));
    }
    for (const auto& grid : {GridTexts(geometric), GridTexts(segments), GridTexts(nearlyLinear)}) {
        SCOPED_TRACE(grid[1]);
        CliFolder folder;
        folder.Write("air.s1p", ReadingFileOn(DemoMaterial::Air(), grid));
        folder.Write("short.s1p", ReadingFileOn(DemoMaterial::Short(), grid));
        folder.Write("water.s1p", ReadingFileOn(DemoMaterial::Water(25.0), grid));
        folder.Write("methanol.s1p",
                     ReadingFileOn(DemoMaterial::Relaxation(kMethanol, "sample"), grid));
        const CliResult r = folder.Run(
            {"measure", "--instrument", "Touchstone", "--air", folder.Path("air.s1p"), "--short",
             folder.Path("short.s1p"), "--water", folder.Path("water.s1p"), "--sample",
             folder.Path("methanol.s1p"), "--yes", "--touchstone", folder.Path("out.s1p")});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<ResultRow> rows = ParseRows(r.out);
        ASSERT_EQ(rows.size(), grid.size()) << r.out;
        const TouchstoneParse out = ParseTouchstone(folder.Read("out.s1p"));
        ASSERT_TRUE(out.ok);
        for (std::size_t i = 0; i < grid.size(); ++i) {
            const double f = std::strtod(grid[i].c_str(), nullptr);
            EXPECT_EQ(out.data.frequencies[i], f) << i;
            EXPECT_NEAR(rows[i].frequency, f, 5e-5) << i;  // the data file's four decimals
            const CComplex eps = ColeColePermittivity(f, kMethanol);
            const double magnitude = std::hypot(eps.re, eps.im);
            EXPECT_LT(std::fabs(rows[i].e1 - eps.re) / magnitude, 1e-3) << f;
            EXPECT_LT(std::fabs(rows[i].e2 + eps.im) / magnitude, 1e-3) << f;
        }
    }
}

// The recipe of docs/demo-analyzer.md: one sweep of the Demo analyzer per material makes the
// files the Touchstone analyzer calibrates and measures with, and it finds the Demo's sample.
TEST(CliTouchstone, TheDemoAnalyzerSweepsEveryMaterialIntoAFile) {
    CliFolder folder;
    for (const char* material : {"air", "short", "water", "sample"}) {
        const CliResult r =
            folder.Run({"sweep", "--instrument", "Demo", "--material", material, "--start",
                        "300MHz", "--stop", "3GHz", "--points", "21", "--touchstone",
                        folder.Path(std::string(material) + ".s1p")});
        ASSERT_EQ(r.status, 0) << material << r.err;
    }
    // The same material from the settings file.
    folder.WriteIni("[analyzer]\nmaterial = water\n");
    ASSERT_EQ(folder
                  .Run({"sweep", "--instrument", "Demo", "--start", "300MHz", "--stop", "3GHz",
                        "--points", "21", "--touchstone", folder.Path("water2.s1p")})
                  .status,
              0);
    const TouchstoneParse water = ParseTouchstone(folder.Read("water.s1p"));
    const TouchstoneParse water2 = ParseTouchstone(folder.Read("water2.s1p"));
    ASSERT_TRUE(water.ok && water2.ok);
    EXPECT_EQ(water.data.s11.size(), 21u);
    EXPECT_EQ(0, std::memcmp(water.data.s11.data(), water2.data.s11.data(),
                             water.data.s11.size() * sizeof(CComplex)));
    folder.WriteIni("");

    const CliResult r =
        folder.Run({"measure", "--instrument", "Touchstone", "--air", folder.Path("air.s1p"),
                    "--short", folder.Path("short.s1p"), "--water", folder.Path("water.s1p"),
                    "--sample", folder.Path("sample.s1p"), "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<ResultRow> rows = ParseRows(r.out);
    ASSERT_EQ(rows.size(), 21u) << r.out;
    for (const ResultRow& row : rows) {
        const CComplex eps = ColeColePermittivity(row.frequency, kMethanol);
        const double magnitude = std::hypot(eps.re, eps.im);
        EXPECT_LT(std::fabs(row.e1 - eps.re) / magnitude, 1e-3) << row.frequency;
        EXPECT_LT(std::fabs(row.e2 + eps.im) / magnitude, 1e-3) << row.frequency;
    }
}

TEST(CliTouchstone, SweepWritesTheFileBackAndRefusesFilesThatDoNotFit) {
    CliFolder folder;
    // Written by hand in MHz, MA, with a 75 ohm reference: the numbers come back as read.
    folder.Write("dut.s1p",
                 "! a made-up device\r\n# MHz S MA R 75\r\n500 0.9 -10\r\n750 0.8 -20.5\r\n"
                 "1000 0.7 -31\r\n1250 0.6 -42\r\n");
    const CliResult r =
        folder.Run({"sweep", "--instrument", "Touchstone", "--sample", folder.Path("dut.s1p"),
                    "--touchstone", folder.Path("back.s1p")});
    ASSERT_EQ(r.status, 0) << r.err;
    const TouchstoneParse in = ParseTouchstone(folder.Read("dut.s1p"));
    const TouchstoneParse back = ParseTouchstone(folder.Read("back.s1p"));
    ASSERT_TRUE(in.ok && back.ok) << back.reason;
    ASSERT_EQ(back.data.s11.size(), 4u);
    EXPECT_EQ(
        std::memcmp(back.data.frequencies.data(), in.data.frequencies.data(), 4 * sizeof(double)),
        0);
    EXPECT_EQ(std::memcmp(back.data.s11.data(), in.data.s11.data(), 4 * sizeof(CComplex)), 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "frequency\tS11 real\tS11 imaginary");
    char first[80];
    std::snprintf(first, sizeof first, "%15.4f\t%12.9f\t%12.9f", 5e8, in.data.s11[0].re,
                  in.data.s11[0].im);
    EXPECT_NE(r.out.find(first), std::string::npos) << r.out;

    // A file that does not read, and files on other frequencies than each other: the reason,
    // file and line or point, and nothing written.
    folder.Write("broken.s1p", "# MHz S RI\n500 0.1 0.2\n750 0.1\n");
    folder.Write("uneven.s1p", "# MHz S RI\n500 0 0\n750 0 0\n1100 0 0\n");
    const std::string uneven = folder.Path("uneven.s1p");
    for (const auto& [air, reason] :
         {std::pair{std::string("broken.s1p"),
                    folder.Path("broken.s1p") + " does not read at line 3: "},
          std::pair{std::string("dut.s1p"), "The frequencies of " + uneven + " are not those of " +
                                                folder.Path("dut.s1p") +
                                                ": point 3 (1.1 GHz in the file, 1 GHz in " +
                                                folder.Path("dut.s1p") + ")."}}) {
        const CliResult refused =
            folder.Run({"sweep", "--instrument", "Touchstone", "--air", folder.Path(air),
                        "--sample", uneven, "--touchstone", folder.Path("none.s1p")});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
        EXPECT_FALSE(folder.Exists("none.s1p"));
    }
    // Alone, any grid is a sweep: the file's frequencies come back as they are.
    const CliResult list = folder.Run({"sweep", "--instrument", "Touchstone", "--sample", uneven});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out,
              "frequency\tS11 real\tS11 imaginary\n"
              " 500000000.0000\t 0.000000000\t 0.000000000\n"
              " 750000000.0000\t 0.000000000\t 0.000000000\n"
              "1100000000.0000\t 0.000000000\t 0.000000000\n");
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// Paths that are not text files end the run at once with the file and the reason; line ends of
// CR alone and a UTF-8 byte-order mark read as the plain file does; readings far outside the unit
// circle (a block read in the wrong byte order) are no sweep. Nothing is written for a refusal.
TEST(CliTouchstone, ReadsOnlyRegularTextFilesAndRefusesUnusableReadings) {
    CliFolder folder;
    // Four points (the fewest the program sweeps), each line without its end.
    const std::string lines[] = {"# MHz S RI", "500 0.25 -0.5", "750 0.125 -0.25", "1000 0.5 0",
                                 "1250 0 0.5"};
    const auto join = [&lines](const std::string& end) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + end;
        }
        return text;
    };
    folder.Write("lf.s1p", join("\n"));
    folder.Write("cr.s1p", join("\r"));
    folder.Write("bom.s1p", "\xEF\xBB\xBF" + join("\r\n"));
    folder.Write("nul.s1p", lines[0] + "\n" + lines[1] + "\n750 0.1" + std::string(1, '\0') +
                                "25 -0.25\n" + lines[3] + "\n" + lines[4] + "\n");
    folder.Write("swapped.s1p", lines[0] + "\n500 1.3e172 -4.1e171\n750 -2.2e171 7.9e172\n" +
                                    "1000 3.1e171 1.1e172\n1250 -6.6e172 2.5e171\n");
    ASSERT_TRUE(QDir(QString::fromStdString(folder.Path(""))).mkdir("folder.s1p"));
    ASSERT_EQ(::mkfifo(folder.Path("fifo.s1p").c_str(), 0600), 0);

    const CliResult plain =
        folder.Run({"sweep", "--instrument", "Touchstone", "--sample", folder.Path("lf.s1p")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_NE(plain.out.find("\t 0.125000000\t-0.250000000\n"), std::string::npos) << plain.out;

    struct Case {
        std::string path;
        int status;
        std::string message;  // the end of the message on standard error
    };
    const std::string swapped =
        "kv47310-cli: The analyzer returned 4 values that are not reflections (not a number, "
        "infinite, or of a magnitude above 1000, as data in the wrong byte order read); the sweep "
        "is not used.\n";
    for (const Case& c :
         {Case{folder.Path("cr.s1p"), 0, ""}, Case{folder.Path("bom.s1p"), 0, ""},
          Case{folder.Path("folder.s1p"), 1, " cannot be read: it is a directory, not a file."},
          Case{folder.Path("fifo.s1p"), 1,
               " cannot be read: it is not a regular file (a device, a pipe or a socket)."},
          Case{"/dev/zero", 1,
               " cannot be read: it is not a regular file (a device, a pipe or a socket)."},
          Case{folder.Path("nul.s1p"), 1,
               " does not read at line 3: the line holds a NUL byte, so this is not a text "
               "file."},
          Case{folder.Path("swapped.s1p"), 1, ""}}) {
        SCOPED_TRACE(c.path);
        const CliResult r = folder.Run({"sweep", "--instrument", "Touchstone", "--sample", c.path,
                                        "--touchstone", folder.Path("out.s1p")});
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out, plain.out);
            EXPECT_TRUE(folder.Exists("out.s1p"));
            QFile::remove(QString::fromStdString(folder.Path("out.s1p")));
            continue;
        }
        EXPECT_FALSE(folder.Exists("out.s1p"));
        if (c.message.empty()) {
            EXPECT_NE(r.err.find(swapped), std::string::npos) << r.err;
        } else {
            EXPECT_NE(r.err.find("The Touchstone file " + c.path + c.message + "\n"),
                      std::string::npos)
                << r.err;
        }
    }
}

}  // namespace
}  // namespace kv::test
