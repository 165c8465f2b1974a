// The terminal's list sweeps with the Demo analyzer: --segments and --list give the sweep's
// frequencies, and a list that cannot be given, alone or with other sweep options, ends the run
// with status 2 before anything is connected.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "CliRun.h"
#include "probe/Standards.h"

namespace kv::test {
namespace {

// The frequencies of a sweep run's output (frequency, then the two parts of S11).
std::vector<double> SweptFrequencies(const std::string& out) {
    std::vector<double> f;
    std::istringstream in(out);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        f.push_back(std::strtod(line.c_str(), nullptr));
    }
    return f;
}

// 101 points 9.5 MHz apart, then 199 of 1 GHz * 20^(j/199) (the 1 GHz shared): the values by
// hand to 0.1 mHz.
TEST(CliList, SegmentsGiveTheRowsFrequencies) {
    CliFolder folder;
    const CliResult r = folder.Run({"measure", "--yes", "--instrument", "Demo", "--segments",
                                    "50MHz:1GHz:101,1GHz:20GHz:200:log", "--out",
                                    folder.Path("list.prn"), "--sensitivity"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<ResultRow> rows = ParseRows(folder.Read("list.prn"));
    ASSERT_EQ(rows.size(), 300u);
    const std::pair<std::size_t, double> expected[] = {{0, 50e6},
                                                       {1, 59.5e6},
                                                       {100, 1e9},
                                                       {101, 1015167812.1779},
                                                       {200, 4505924571.4457},
                                                       {298, 19701176258.8221},
                                                       {299, 20e9}};
    for (const auto& [i, f] : expected) {
        EXPECT_NEAR(rows[i].frequency, f, 1e-3) << i;
    }
    // The Demo analyzer's default sample, methanol, measured on the list.
    const ColeCole methanol{32.66, 5.563, 0.0, 5.067e-11};
    for (const ResultRow& row : rows) {
        const CComplex eps = ColeColePermittivity(row.frequency, methanol);
        const double tolerance = 1e-3 * std::hypot(eps.re, eps.im);
        EXPECT_NEAR(row.e1, eps.re, tolerance) << row.frequency;
        EXPECT_NEAR(row.e2, -eps.im, tolerance) << row.frequency;
    }
    EXPECT_EQ(r.err.find("The setup has been changed"), std::string::npos) << r.err;
}

// A text list, and Touchstone files recognised by their extension, their [Version] line and
// their option line.
TEST(CliList, AListFileGivesItsFrequencies) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<double> frequencies;
    };
    const Case cases[] = {
        {"list.txt",
         "# made-up list\n100MHz\n250e6\n 1.5GHz\n\n7GHz\r\n",
         {1e8, 2.5e8, 1.5e9, 7e9}},
        {"defaults.S1P", "! GHz and MA by default\n0.1 0.5 0\n2.5 0.5 90\n", {1e8, 2.5e9}},
        {"version2.dat",
         "[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 1\n[Number of Frequencies] 3\n"
         "[Network Data]\n100 0.1 0\n200 0.1 0\n450 0 0\n[End]\n",
         {1e8, 2e8, 4.5e8}},
        {"written.txt",
         "! Instrument: Made-up analyzer 1.0\n# Hz S RI R 50\n5e7 1 0\n2e10 0 1\n",
         {5e7, 2e10}},
    };
    for (const Case& c : cases) {
        CliFolder folder;
        folder.Write(c.name, c.text);
        const CliResult r =
            folder.Run({"sweep", "--instrument", "Demo", "--list", folder.Path(c.name)});
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.err;
        EXPECT_EQ(SweptFrequencies(r.out), c.frequencies) << c.name;
    }
}

// Each with the first line of standard error; a refused list is all that is written.
TEST(CliList, ConflictsAndRefusedListsExitWithStatusTwo) {
    CliFolder folder;
    folder.Write("list.txt", "1GHz\n2GHz\nfast\n");
    folder.Write("zero.s1p", "# Hz S RI R 50\n0 1 0\n1e9 1 0\n");
    folder.Write("short.txt", "# hz s ri\n1e9 1\n");
    const std::string list = folder.Path("list.txt");
    const std::string conflict =
        " cannot be given together: a list sweep takes its frequencies from --segments or --list "
        "alone";
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
        bool alone;  // the line is all of standard error (no usage after it)
    };
    const Case cases[] = {
        {{"measure", "--segments", "1GHz:2GHz:3", "--start", "1GHz"},
         "--segments and --start" + conflict,
         false},
        {{"sweep", "--stop", "2GHz", "--list", list}, "--list and --stop" + conflict, false},
        {{"measure", "--list", list, "--points", "3"}, "--list and --points" + conflict, false},
        {{"sweep", "--log", "--segments", "1GHz:2GHz:3"}, "--segments and --log" + conflict, false},
        {{"sweep", "--list", list, "--segments", "1GHz:2GHz:3"},
         "--segments and --list" + conflict,
         false},
        {{"sweep", "--list", ""}, "--list needs a file name", false},
        {{"sweep", "--segments", "1GHz:2GHz"},
         "--segments: Row 1: '1GHz:2GHz' is not START:STOP:POINTS with an optional :log or :lin.",
         true},
        {{"measure", "--segments", "1GHz:2GHz:3,1.5GHz:3GHz:2"},
         "--segments: Row 2 starts below the stop of row 1.",
         true},
        {{"sweep", "--list", list},
         "--list " + list + ": Line 3: 'fast' is not a frequency.",
         true},
        {{"sweep", "--list", folder.Path("zero.s1p")},
         "--list " + folder.Path("zero.s1p") +
             ": Frequency 1 (0. Hz) is not a finite frequency above 0 Hz.",
         true},
        {{"sweep", "--list", folder.Path("short.txt")},
         "--list " + folder.Path("short.txt") +
             ": The Touchstone file does not read at line 2: a point of a one-port file is three "
             "numbers (frequency, two parts of S11), the line holds 2.",
         true},
        {{"sweep", "--list", folder.Path("none.txt")},
         "--list " + folder.Path("none.txt") +
             ": The file cannot be read: the file does not exist.",
         true},
    };
    for (const Case& c : cases) {
        const CliResult r = folder.Run(c.args);
        EXPECT_EQ(r.status, 2) << c.firstLine;
        const std::string line = "kv47310-cli: " + c.firstLine + "\n";
        EXPECT_EQ(c.alone ? r.err : r.err.substr(0, line.size() + 1), c.alone ? line : line + "\n");
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace kv::test
