// kv47310-cli's uncertainty columns: the exact header and number forms on standard output and in
// the data file, the Monte Carlo columns, a setup file that keeps what a later measurement needs,
// and the options' mistakes.

#include <gtest/gtest.h>

#include "CliRun.h"

namespace kv::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

TEST(UncertaintyCli, ColumnsOnStandardOutputInTheDataFileAndFromASetupFile) {
    CliFolder folder;
    folder.WriteIni("[analyzer]\nnoise=0.001\nseed=5\n");
    const CliResult r =
        folder.Run({"measure", "--yes", "--instrument", "Demo", "--points", "11", "--sweeps", "4",
                    "--uncertainty", "--monte-carlo", "200", "--out", "r.prn", "--save", "s.tst"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto out = Lines(r.out);
    ASSERT_EQ(out.size(), 12U);
    EXPECT_EQ(out[0], "frequency\te'\te''\tsensitivity\tu(e')\tu(e'')\tmc(e')\tmc(e'')");
    for (std::size_t i = 1; i < out.size(); ++i) {
        const auto f = Fields(out[i]);
        ASSERT_EQ(f.size(), 8U) << out[i];
        for (std::size_t k = 4; k < 8; ++k) {
            // "%11.6f" of a value below 1000: eleven characters, six decimals.
            EXPECT_EQ(f[k].size(), 11U) << out[i];
            EXPECT_EQ(f[k].find('.'), 4U) << out[i];
            EXPECT_GT(std::stod(f[k]), 0.0) << out[i];
        }
    }
    // The data file: the same lines without the Monte Carlo columns.
    const auto file = Lines(folder.Read("r.prn"));
    ASSERT_EQ(file.size(), 12U);
    EXPECT_EQ(file[0], "frequency\te'\te''\tsensitivity\tu(e')\tu(e'')");
    EXPECT_EQ(file[5] + "\t", out[5].substr(0, file[5].size() + 1));
    EXPECT_EQ(folder.Read("s.tst").substr(0, 14), std::string("QVR47310U1.00\0", 14));

    // The setup file's calibration with its scatter, measuring without noise now: what remains
    // is the calibration's part, which only the file can have brought.
    folder.WriteIni("[analyzer]\nseed=5\n");
    const CliResult again = folder.Run(
        {"measure", "--yes", "--instrument", "Demo", "--setup", "s.tst", "--uncertainty"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("Using the calibration of the setup file."), std::string::npos);
    const auto later = Lines(again.out);
    ASSERT_EQ(later.size(), 12U);
    for (std::size_t i = 1; i < later.size(); ++i) {
        const double before = std::stod(Fields(out[i])[4]);
        const double calibrationPart = std::stod(Fields(later[i])[4]);
        EXPECT_GT(calibrationPart, 0.2 * before) << later[i];
        EXPECT_LT(calibrationPart, before) << later[i];
    }
}

TEST(UncertaintyCli, MistakesOfTheOptions) {
    CliFolder folder;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"measure", "--sweeps", "0"},
         "kv47310-cli: --sweeps: expected a whole number of at least 1, not 0"},
        {{"measure", "--monte-carlo", "1"},
         "kv47310-cli: --monte-carlo: expected a whole number of at least 2, not 1"},
        {{"measure", "--u-water-temperature", "-0.1"},
         "kv47310-cli: --u-water-temperature: expected kelvin of at least 0, not -0.1"},
        {{"sweep", "--uncertainty"}, "kv47310-cli: --uncertainty is not an option of sweep"},
    };
    for (const auto& c : cases) {
        const CliResult r = folder.Run(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
    }
}

}  // namespace
}  // namespace kv::test
