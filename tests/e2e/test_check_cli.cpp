#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>

#include "CliRun.h"
#include "persist/ReferenceLiquidFiles.h"

namespace kv::test {
namespace {

// The user's library as the program finds it under the run's XDG_CONFIG_HOME.
const char* const kUserFile =
    "config/Local AppWizard-Generated Applications/Tarvel Technologies 47310C/"
    "reference-liquids.txt";

void WriteUserLibrary(const CliFolder& folder, const std::string& text) {
    QDir().mkpath(QFileInfo(QString::fromStdString(folder.Path(kUserFile))).path());
    folder.Write(kUserFile, text);
}

// The last line of standard error that starts with `start`, without its newline, or empty.
std::string LineStarting(const std::string& err, const std::string& start) {
    std::istringstream in(err);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        if (line.rfind(start, 0) == 0) {
            found = line;
        }
    }
    return found;
}

const std::vector<std::string> kDemoSweep = {"measure",  "--yes",  "--instrument", "Demo",
                                             "--start",  "100MHz", "--stop",       "20GHz",
                                             "--points", "200"};  // 0.1 GHz steps

std::vector<std::string> DemoRun(std::vector<std::string> more) {
    std::vector<std::string> args = kDemoSweep;
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The Demo analyzer's default sample is methanol at 25 C; compared with methanol at 20 C the
// maxima are recomputed from the printed result rows of 0.1 to 5 GHz (methanol's range).
TEST(CliCheck, DemoSampleAgainstMethanolAt20C) {
    CliFolder folder;
    const CliResult r = folder.Run(DemoRun({"--check", "methanol:20"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string line = LineStarting(r.err, "check ");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m,
                                 std::regex(R"(check methanol 20 C: 50 points from 0\.1 GHz to 5 )"
                                            R"(GHz: max \|de'\| (\d+\.\d{3}), max \|de''\| )"
                                            R"((\d+\.\d{3}), max \|de\|/\|e\| (\d+\.\d{2}) %)")))
        << r.err;

    const ReferenceLiquidLibrary library = LoadReferenceLiquids({ShippedReferenceLiquidsFile()});
    const ReferenceLiquid* methanol = FindReferenceLiquid(library.liquids, "methanol");
    ASSERT_NE(methanol, nullptr);
    double real = 0, loss = 0, relative = 0;
    int count = 0;
    for (const ResultRow& row : ParseRows(r.out)) {
        if (row.frequency < 0.1e9 - 1 || row.frequency > 5e9 + 1) {
            continue;
        }
        const CComplex e = *LiquidPermittivity(*methanol, 20, row.frequency);  // e' - j e''
        const double d1 = row.e1 - e.re;
        const double d2 = row.e2 + e.im;
        real = std::max(real, std::fabs(d1));
        loss = std::max(loss, std::fabs(d2));
        relative = std::max(relative, 100 * std::hypot(d1, d2) / std::hypot(e.re, e.im));
        ++count;
    }
    EXPECT_EQ(count, 50);
    // The rows carry four decimals; the line rounds to three (two for the percentage).
    EXPECT_NEAR(std::stod(m[1]), real, 6e-4);
    EXPECT_NEAR(std::stod(m[2]), loss, 6e-4);
    EXPECT_NEAR(std::stod(m[3]), relative, 6e-3);
    EXPECT_GT(real, 0.5);  // methanol's 5 C apart from the sample: a deviation to find
}

// Without a temperature: the liquid's only one (a liquid of the user's file, the sample itself:
// Debye 32.66, 5.563, 3.141 GHz at 25 C), else the water temperature of the calibration.
TEST(CliCheck, TemperatureDefaultsAndTheUsersLibrary) {
    CliFolder folder;
    WriteUserLibrary(folder,
                     "[our-methanol]\nname = Methanol, our batch\nfrequency-ghz = 0.1 5\n"
                     "model = debye\n25 32.66 5.563 3.141\n");
    const CliResult own = folder.Run(DemoRun({"--check", "our-methanol"}));
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_EQ(LineStarting(own.err, "check "),
              "check our-methanol 25 C: 50 points from 0.1 GHz to 5 GHz: max |de'| 0.000, max "
              "|de''| 0.000, max |de|/|e| 0.00 %");

    const CliResult water =
        folder.Run(DemoRun({"--check", "methanol", "--water-temperature", "30", "--points", "30"}));
    EXPECT_EQ(water.status, 0) << water.err;
    // Points at 0.1 + 19.9 i / 29 GHz: 0.1, 0.786..., 1.472..., 2.158..., 2.844..., 3.531...,
    // 4.217..., 4.903... GHz.
    EXPECT_EQ(LineStarting(water.err, "check ").substr(0, 57),
              "check methanol 30 C: 8 points from 0.1 GHz to 4.90345 GHz");
}

// Mistakes are found before the measurement: status 2, one line naming the liquid and what it
// offers, no result.
TEST(CliCheck, UnknownLiquidsAndTemperaturesNotOfferedExitWithStatusTwo) {
    CliFolder folder;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--check", "mercury"},
         "--check: no reference liquid is named 'mercury'; the library holds water, methanol, "
         "methanol-barthel, ethanol, propan-1-ol, propan-2-ol, butan-1-ol, dmso, ethanediol, "
         "acetone"},
        {{"--check", "methanol:60"},
         "--check: methanol (Methanol) is offered from 10 C to 50 C, "
         "not at 60 C"},
        {{"--check", "propan-2-ol:27.5"},
         "--check: propan-2-ol (Propan-2-ol) is offered from 10 C to 25 C and from 30 C to 50 C, "
         "not at 27.5 C"},
        {{"--check", "acetone:20"}, "--check: acetone (Acetone) is offered at 25 C, not at 20 C"},
        {{"--check", "methanol", "--water-temperature", "60"},
         "--check: methanol (Methanol) is offered from 10 C to 50 C, not at the water "
         "temperature 60 C; give one with --check methanol:T"},
        {{"--check", "methanol:warm"}, "--check: not a temperature: 'warm'"},
        {{"--check", ":25"},
         "--check: expected a reference liquid's identifier, optionally "
         "with :T, not ':25'"},
    };
    for (const auto& [more, text] : cases) {
        const CliResult r = folder.Run(DemoRun(more));
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(LineStarting(r.err, "kv47310-cli: --check"), "kv47310-cli: " + text) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// A user's file that cannot be read is a warning; the shipped liquids stay.
TEST(CliCheck, BrokenUserFileIsAWarning) {
    CliFolder folder;
    WriteUserLibrary(folder, "[methanol]\nname = Mine\nmodel = debie\n");
    const CliResult r =
        folder.Run(DemoRun({"--check", "methanol:25", "--stop", "1GHz", "--points", "10"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LineStarting(r.err, "kv47310-cli: warning"),
              "kv47310-cli: warning: " + folder.Path(kUserFile) +
                  ":3: unknown model debie; models: debye, debye-high-frequency, two-debye, "
                  "cole-davidson, debye-sum, calibration-water; its liquids are not used");
    EXPECT_EQ(LineStarting(r.err, "check ").substr(0, 56),
              "check methanol 25 C: 10 points from 0.1 GHz to 1 GHz: ma");
}

}  // namespace
}  // namespace kv::test
