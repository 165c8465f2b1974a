#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>

#include "CliRun.h"
#include "persist/ReferenceLiquidFiles.h"

namespace kv::test {
namespace {

// The user's library where the program looks under the run's XDG_CONFIG_HOME.
const std::string kUserFile =
    "config/Local AppWizard-Generated Applications/Tarvel Technologies "
    "47310C/reference-liquids.txt";

std::string WriteUserLibrary(const CliFolder& folder, const std::string& text) {
    QDir().mkpath(QFileInfo(QString::fromStdString(folder.Path(kUserFile))).path());
    folder.Write(kUserFile, text);
    return folder.Path(kUserFile);
}

// The last line of standard error starting with `start`, or empty.
std::string LineStarting(const std::string& err, const std::string& start) {
    std::istringstream in(err);
    std::string line, found;
    while (std::getline(in, line)) {
        found = line.rfind(start, 0) == 0 ? line : found;
    }
    return found;
}

// The Demo analyzer's sample is methanol at 25 C; 0.1 GHz steps from 0.1 GHz.
CliResult RunDemo(const CliFolder& folder, std::vector<std::string> more) {
    std::vector<std::string> args = {"measure", "--yes",  "--instrument", "Demo",     "--start",
                                     "100MHz",  "--stop", "20GHz",        "--points", "200"};
    args.insert(args.end(), more.begin(), more.end());
    return folder.Run(args);
}

// Against methanol at 20 C over its range (0.1 to 5 GHz): the maxima recomputed from the rows.
TEST(CliCheck, DemoSampleAgainstMethanolAt20C) {
    CliFolder folder;
    const CliResult r = RunDemo(folder, {"--check", "methanol:20"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    const std::string line = LineStarting(r.err, "check ");
    ASSERT_TRUE(std::regex_match(line, m,
                                 std::regex(R"(check methanol 20 C: 50 points from 0\.1 GHz to 5 )"
                                            R"(GHz: max \|de'\| (\d+\.\d{3}), max \|de''\| )"
                                            R"((\d+\.\d{3}), max \|de\|/\|e\| (\d+\.\d{2}) %)")))
        << r.err;
    const ReferenceLiquidLibrary library = LoadReferenceLiquids({ShippedReferenceLiquidsFile()});
    double real = 0, loss = 0, relative = 0;
    for (const ResultRow& row : ParseRows(r.out)) {
        if (row.frequency <= 5e9 + 1) {
            const CComplex e = *LiquidPermittivity(
                *FindReferenceLiquid(library.liquids, "methanol"), 20, row.frequency);
            real = std::max(real, std::fabs(row.e1 - e.re));
            loss = std::max(loss, std::fabs(row.e2 + e.im));  // e.im is -e''
            relative = std::max(
                relative, 100 * std::hypot(row.e1 - e.re, row.e2 + e.im) / std::hypot(e.re, e.im));
        }
    }
    ASSERT_GT(real, 0.5);  // 5 C apart: a deviation to find. Rows have four decimals.
    EXPECT_NEAR(std::stod(m[1]), real, 6e-4);
    EXPECT_NEAR(std::stod(m[2]), loss, 6e-4);
    EXPECT_NEAR(std::stod(m[3]), relative, 6e-3);
}

// Without :T the liquid's only temperature (a liquid of the user's file that is the sample
// itself), else the calibration's water temperature.
TEST(CliCheck, TemperatureDefaultsAndTheUsersLibrary) {
    CliFolder folder;
    WriteUserLibrary(folder,
                     "[own]\nname = Own\nfrequency-ghz = 0.1 5\nmodel = debye\n"
                     "25 32.66 5.563 3.141\n");
    EXPECT_EQ(LineStarting(RunDemo(folder, {"--check", "own"}).err, "check "),
              "check own 25 C: 50 points from 0.1 GHz to 5 GHz: max |de'| 0.000, max |de''| "
              "0.000, max |de|/|e| 0.00 %");
    // 30 points: 0.1 + 19.9 i / 29 GHz, the eighth 4.903448 GHz.
    const CliResult r =
        RunDemo(folder, {"--check", "methanol", "--water-temperature", "30", "--points", "30"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(LineStarting(r.err, "check ").substr(0, 57),
              "check methanol 30 C: 8 points from 0.1 GHz to 4.90345 GHz");
}

// Status 2 before any measurement, with one line naming the liquid and what it offers. A user's
// file that cannot be read is a warning; the shipped liquids stay.
TEST(CliCheck, UnknownLiquidsAndTemperaturesNotOfferedExitWithStatusTwo) {
    CliFolder folder;
    const std::string user = WriteUserLibrary(folder, "[methanol]\nname = Mine\nmodel = debie\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"mercury"},
         "no reference liquid is named 'mercury'; the library holds water, methanol, "
         "methanol-barthel, ethanol, propan-1-ol, propan-2-ol, butan-1-ol, dmso, ethanediol, "
         "acetone"},
        {{"methanol:60"}, "methanol (Methanol) is offered from 10 C to 50 C, not at 60 C"},
        {{"propan-2-ol:27.5"},
         "propan-2-ol (Propan-2-ol) is offered from 10 C to 25 C and from "
         "30 C to 50 C, not at 27.5 C"},
        {{"acetone:20"}, "acetone (Acetone) is offered at 25 C, not at 20 C"},
        {{"methanol", "--water-temperature", "60"},
         "methanol (Methanol) is offered from 10 C to 50 C, not at the water temperature 60 C; "
         "give one with --check methanol:T"},
        {{"methanol:warm"}, "not a temperature: 'warm'"},
        {{":25"}, "expected a reference liquid's identifier, optionally with :T, not ':25'"},
    };
    for (const auto& [more, text] : cases) {
        std::vector<std::string> args = {"--check"};
        args.insert(args.end(), more.begin(), more.end());
        const CliResult r = RunDemo(folder, args);
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(LineStarting(r.err, "kv47310-cli: --check"), "kv47310-cli: --check: " + text);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(LineStarting(RunDemo(folder, {"--check", "mercury"}).err, "kv47310-cli: warning"),
              "kv47310-cli: warning: " + user +
                  ":3: unknown model debie; models: debye, debye-high-frequency, two-debye, "
                  "cole-davidson, debye-sum, calibration-water; its liquids are not used");
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// The whole workflow without hardware: the Demo analyzer simulates probe B scaled by fs = 0.7 with
// acetone at 25 C as its sample; the probe is characterised on it and then measures
// methanol-barthel within 0.1 % of |e| at every point, which the stock probe B does not.
TEST(CliCheck, ACharacterisedDemoProbeMeasuresAnotherLiquidAsPublished) {
    CliFolder folder;
    folder.Write("demo-analyzer.ini",
                 "[probe]\ntype=B\nfs=0.7\n\n[sample]\nliquid=acetone\ntemperature=25\n");
    const CliResult fitted =
        folder.Run({"characterise", "--yes", "--instrument", "Demo", "--liquid", "acetone",
                    "--liquid-temperature", "25", "--probe-file", folder.Path("p7.json")});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    std::smatch m;
    const std::string printed = fitted.err + fitted.out;
    ASSERT_TRUE(std::regex_search(printed, m, std::regex(R"(frequency scale: ([0-9.]+))")));
    EXPECT_NEAR(std::stod(m[1]), 0.7, 1e-4);

    // After a load/air/short calibration the coefficient scale is fitted too.
    folder.Write("demo-analyzer.ini",
                 "[probe]\ntype=B\nfs=0.7\ns=0.8\n\n[sample]\nliquid=acetone\n");
    const CliResult both =
        folder.Run({"characterise", "--yes", "--instrument", "Demo", "--cal", "load-air-short",
                    "--liquid", "acetone", "--probe-file", folder.Path("p8.json")});
    ASSERT_EQ(both.status, 0) << both.err;
    const std::string scales = both.err + both.out;
    ASSERT_TRUE(std::regex_search(
        scales, m,
        std::regex(R"(frequency scale: ([0-9.]+)\ncoefficient scale: ([0-9.]+) \(fitted\))")));
    EXPECT_NEAR(std::stod(m[1]), 0.7, 1e-4);
    EXPECT_NEAR(std::stod(m[2]), 0.8, 1e-4);

    folder.Write("demo-analyzer.ini",
                 "[probe]\ntype=B\nfs=0.7\n\n[sample]\nliquid=methanol-barthel\n");
    for (const std::string& probe : {folder.Path("p7.json"), std::string("B")}) {
        const CliResult r = folder.Run({"measure", "--yes", "--instrument", "Demo", "--probe",
                                        probe, "--check", "methanol-barthel:25"});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(std::regex_search(r.err, m, std::regex(R"(max \|de\|/\|e\| ([0-9.]+) %)")));
        if (probe == "B") {
            EXPECT_GT(std::stod(m[1]), 10.0) << r.err;
        } else {
            EXPECT_LT(std::stod(m[1]), 0.1) << r.err;
        }
    }
}

}  // namespace
}  // namespace kv::test
