// The terminal's list sweeps with the Demo analyzer: --segments and --list give the sweep's
// frequencies, and a list that cannot be given, alone or with other sweep options, ends the run
// with status 2 before anything is connected.

#include <gtest/gtest.h>

#include "CliRun.h"

namespace kv::test {
namespace {

// 101 points 9.5 MHz apart, then 199 of 1 GHz * 20^(j/199) (the 1 GHz shared): values by hand.
TEST(CliList, SegmentsGiveTheRowsFrequencies) {
    CliFolder folder;
    const CliResult r =
        folder.Run({"measure", "--yes", "--segments", "50MHz:1GHz:101,1GHz:20GHz:200:log", "--out",
                    folder.Path("list.prn"), "--sensitivity"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<ResultRow> rows = ParseRows(folder.Read("list.prn"));
    ASSERT_EQ(rows.size(), 300u);
    for (const auto& [i, f] : {std::pair{0, 50e6},
                               {1, 59.5e6},
                               {100, 1e9},
                               {101, 1015167812.1779},
                               {200, 4505924571.4457},
                               {298, 19701176258.8221},
                               {299, 20e9}}) {
        EXPECT_NEAR(rows[i].frequency, f, 1e-3) << i;
    }
}

// A text list, and Touchstone files recognised by their extension, their [Version] line and
// their option line.
TEST(CliList, AListFileGivesItsFrequencies) {
    const std::tuple<const char*, const char*, std::vector<double>> cases[] = {
        {"list.txt",
         "# made-up list\n100MHz\n250e6\n 1.5GHz\n\n7GHz\r\n",
         {1e8, 2.5e8, 1.5e9, 7e9}},
        {"defaults.S1P", "! GHz and MA by default\n0.1 0.5 0\n2.5 0.5 90\n", {1e8, 2.5e9}},
        {"version2.dat",
         "[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 1\n[Number of Frequencies] 2\n"
         "[Network Data]\n100 0.1 0\n450 0 0\n[End]\n",
         {1e8, 4.5e8}},
        {"written.txt", "! Made-up analyzer 1.0\n# Hz S RI R 50\n5e7 1 0\n2e10 0 1\n", {5e7, 2e10}},
    };
    for (const auto& [name, text, frequencies] : cases) {
        CliFolder folder;
        folder.Write(name, text);
        const CliResult r = folder.Run({"sweep", "--list", folder.Path(name)});
        ASSERT_EQ(r.status, 0) << name << "\n" << r.err;
        std::vector<double> swept;
        for (std::size_t at = r.out.find('\n'); at + 1 < r.out.size();
             at = r.out.find('\n', at + 1)) {
            swept.push_back(std::strtod(r.out.c_str() + at + 1, nullptr));
        }
        EXPECT_EQ(swept, frequencies) << name;
    }
}

// The first line of standard error; a refused list is all that is written (no usage).
TEST(CliList, ConflictsAndRefusedListsExitWithStatusTwo) {
    CliFolder folder;
    folder.Write("list.txt", "1GHz\n2GHz\nfast\n");
    folder.Write("short.txt", "# hz s ri\n1e9 1\n");
    const std::string list = folder.Path("list.txt");
    const std::string together =
        " cannot be given together: a list sweep takes its frequencies from --segments or --list "
        "alone\n\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"measure", "--segments", "1GHz:2GHz:3", "--start", "1GHz"}, "--segments and --start"},
        {{"sweep", "--stop", "2GHz", "--list", list}, "--list and --stop"},
        {{"measure", "--list", list, "--points", "3"}, "--list and --points"},
        {{"sweep", "--log", "--segments", "1GHz:2GHz:3"}, "--segments and --log"},
        {{"sweep", "--list", list, "--segments", "1GHz:2GHz:3"}, "--segments and --list"},
        {{"measure", "--segments", "1GHz:2GHz:3,1.5GHz:3GHz:2"},
         "--segments: Row 2 starts below the stop of row 1.\n"},
        {{"sweep", "--list", list}, "--list " + list + ": Line 3: 'fast' is not a frequency.\n"},
        {{"sweep", "--list", folder.Path("short.txt")},
         "--list " + folder.Path("short.txt") +
             ": The Touchstone file does not read at line 2: a point of a one-port file is three "
             "numbers (frequency, two parts of S11), the line holds 2.\n"},
        {{"sweep", "--list", folder.Path("none")},
         "--list " + folder.Path("none") + ": The file cannot be read: the file does not exist.\n"},
    };
    for (const auto& [args, text] : cases) {
        const CliResult r = folder.Run(args);
        EXPECT_EQ(r.status, 2) << text;
        const std::string expected = "kv47310-cli: " + text + (text.back() == '\n' ? "" : together);
        EXPECT_EQ(r.err.substr(0, expected.size()), expected);
        EXPECT_EQ(r.err.size() == expected.size(), text.back() == '\n') << r.err;
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace kv::test
