// The NanoVNA analyzer through kv47310-cli against the emulated text shell (ShellEmulator.h),
// and the pure parts of its driver: the shell's reply reader and the scans a list is cut into.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "NanoVnaCli.h"
#include "NanoVnaDriver.h"
#include "NanoVnaRuns.h"
#include "NanoVnaShellReply.h"
#include "ShellEmulator.h"
#include "instrument/SerialCardId.h"

namespace kv::test {
namespace {

std::size_t Count(const std::vector<std::string>& commands, const std::string& prefix) {
    return static_cast<std::size_t>(
        std::count_if(commands.begin(), commands.end(),
                      [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

// Air, shorting block and water at their prompts, then methanol: every point within 0.1 % of
// |eps|, on both kinds of firmware and every kind of sweep; the analyzer is given back as found.
TEST(NanoVnaShellCli, MeasuresMethanolOnEveryKindOfSweep) {
    struct Sweep {
        std::vector<std::string> args;
        std::size_t points;
    };
    const std::vector<Sweep> sweeps = {
        {{"--start", "100MHz", "--stop", "900MHz", "--points", "51"}, 51},
        {{"--segments", "100MHz:900MHz:41:log"}, 41},
        // 300 points: longer than one scan of either firmware.
        {{"--segments", "100MHz:500MHz:150,500.5MHz:900MHz:150"}, 300},
    };
    for (const bool dislord : {true, false}) {
        for (const Sweep& sweep : sweeps) {
            ShellOptions options;
            options.dislord = dislord;
            options.maxPoints = dislord ? 401 : 101;
            ShellEmulator emulator(options);
            emulator.SetSequence({DemoMaterial::Air(), DemoMaterial::Short(),
                                  DemoMaterial::Water(25.0),
                                  DemoMaterial::Relaxation(kNanoVnaMethanol, "sample")});
            const std::string port = emulator.Start();
            ASSERT_FALSE(port.empty());
            CliFolder folder;
            const CliResult r =
                folder.Run(NanoVnaRun("measure", port, Join(sweep.args, {"--yes"})));
            ASSERT_EQ(r.status, 0) << r.err;
            const auto rows = ParseRows(r.out);
            ASSERT_EQ(rows.size(), sweep.points) << r.err;
            ExpectMethanol(rows);
            EXPECT_EQ(emulator.Sweeps(), 4);
            const auto commands = emulator.Commands();
            ASSERT_GE(commands.size(), 3u);
            // Its own sweep settings back, then its own sweeping.
            EXPECT_EQ(commands.back(), "resume");
            EXPECT_EQ(std::count(commands.begin(), commands.end(), "sweep 50000 900000000 101"), 1);
            EXPECT_EQ(Count(commands, "pause"), Count(commands, "resume"));
            const std::string mask = dislord ? " 59" : " 3";
            for (const std::string& c : commands) {
                if (c.rfind("scan ", 0) == 0 && c != "scan 50000 100000 65535") {
                    EXPECT_EQ(c.substr(c.size() - mask.size()), mask) << c;
                }
            }
            EXPECT_EQ(Count(commands, "cal off"), dislord ? 0u : 1u);
            EXPECT_EQ(Count(commands, "cal on"), dislord ? 0u : 1u);
            EXPECT_EQ(Count(commands, "scan 50000 100000 65535"), dislord ? 0u : 1u);
        }
    }
}

// The 1601 points of a linear sweep in scans of at most 101, written to Touchstone with the
// digits the analyzer printed.
TEST(NanoVnaShellCli, SweepWritesTheAnalyzersDigits) {
    ShellEmulator emulator;
    const std::string port = emulator.Start();
    CliFolder folder;
    const CliResult r = folder.Run(NanoVnaRun(
        "sweep", port,
        {"--start", "300MHz", "--stop", "900MHz", "--points", "1601", "--touchstone", "s.s1p"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count(emulator.Commands(), "scan "), 16u);
    const auto printed = emulator.Printed();
    const auto rows = TouchstoneRows(folder.Read("s.s1p"));
    for (const TouchstoneRow& row : rows) {
        const auto it = printed.find(static_cast<std::uint64_t>(std::llround(row.hz)));
        ASSERT_NE(it, printed.end()) << row.hz;
        double pre = 0, pim = 0;
        std::sscanf(it->second.c_str(), "%lf %lf", &pre, &pim);
        EXPECT_EQ(row.re, pre) << row.hz;
        EXPECT_EQ(row.im, pim) << row.hz;
    }
    EXPECT_EQ(rows.size(), 1601u);
}

// Every kind of broken reply ends the run with a message naming the command, without a hang.
TEST(NanoVnaShellCli, BrokenRepliesNameTheCommand) {
    struct Case {
        ShellFault fault;
        const char* text;
    };
    for (const Case& c : {Case{ShellFault::Garbled,
                               "does not read at point 4: \"12x4\" is no "
                               "frequency in hertz"},
                          Case{ShellFault::NoPrompt,
                               "No complete answer to \"scan 100000000 "
                               "900000000 11 59\" (the prompt never came)"},
                          Case{ShellFault::ShortRead, "with 10 lines instead of 11"},
                          Case{ShellFault::Silent,
                               "No complete answer to \"scan 100000000 "
                               "900000000 11 59\" (nothing after the "
                               "echo)."}}) {
        ShellOptions options;
        options.fault = c.fault;
        ShellEmulator emulator(options);
        const std::string port = emulator.Start();
        CliFolder folder;
        const CliResult r = folder.Run(NanoVnaRun(
            "sweep", port,
            {"--start", "100MHz", "--stop", "900MHz", "--points", "11", "--timeout", "0.5"}));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("scan 100000000 900000000 11 59"), std::string::npos) << r.err;
        // Given back on a new connection all the same.
        EXPECT_EQ(emulator.Commands().back(), "resume");
    }
}

TEST(NanoVnaShellCli, APortThatIsNoAnalyzerOrMayNotBeOpenedSaysSo) {
    CliFolder folder;
    CliResult r = folder.Run(NanoVnaRun("sweep", folder.Path("none")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("There is no serial port " + folder.Path("none")), std::string::npos)
        << r.err;
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens any port";
    }
    ShellEmulator emulator;
    const std::string port = emulator.Start();
    ASSERT_EQ(chmod(port.c_str(), 0), 0);
    r = folder.Run(NanoVnaRun("sweep", port));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Permission to open " + port + " was denied"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("dialout group"), std::string::npos);
    EXPECT_TRUE(emulator.Commands().empty());
}

// The operator's abort ends a wait that would last an hour; the next command opens the port
// anew and is answered.
TEST(NanoVnaShellDriver, AbortEndsAWaitAndTheNextCommandReopens) {
    // Qt Serial Port's notifiers want the thread of an application.
    static int argc = 1;
    static char name[] = "test_nanovna_shell";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    ShellOptions options;
    options.fault = ShellFault::Silent;
    ShellEmulator emulator(options);
    const std::string port = emulator.Start();
    NanoVnaSettings settings;
    settings.timeout = 3600;
    NanoVnaDriver driver(settings, MakeSerialPortLink, [] { return std::vector<std::string>(); });
    ASSERT_EQ(driver.SelectGpibCard(kSerialCardClsid), 0);
    ASSERT_EQ(driver.SetAddresses(port, ""), 0);
    ASSERT_EQ(driver.CheckInstrument(), 0) << driver.LastError();
    const std::vector<double> list = {100e6, 500e6, 900e6};
    ASSERT_EQ(driver.SetFrequencyList(list, 3, kLinearSweep), 0);
    int calls = 0;
    driver.SetWaitHook([&] {
        ++calls;
        return Count(emulator.Commands(), "scan ") > 0;
    });
    std::vector<CComplex> trace(3);
    EXPECT_NE(driver.MeasureTrace(trace), 0);
    EXPECT_EQ(driver.LastError(), IDriverWait::kAbortedText);
    EXPECT_GT(calls, 0);
    driver.SetWaitHook({});
    ASSERT_EQ(driver.MeasureTrace(trace), 0) << driver.LastError();
    const CComplex raw = emulator.RawAt(DemoMaterial::Air(), 500e6);
    EXPECT_NEAR(trace[1].re, raw.re, 5e-7);
    EXPECT_NEAR(trace[1].im, raw.im, 5e-7);
}

TEST(NanoVnaShellReply, ReadsRepliesAndRefusesWhatIsNone) {
    struct Case {
        std::string bytes;
        ShellReplyState state;
        std::vector<std::string> lines;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"version\r\n1.2\r\nch> ", ShellReplyState::Complete, {"1.2"}, ""},
        {"version\r\nch> ", ShellReplyState::Complete, {}, ""},
        {"versi", ShellReplyState::Incomplete, {}, ""},
        {"version\r\n1.2\r\nch", ShellReplyState::Incomplete, {"1.2"}, ""},
        {"version\r\n1.2\r", ShellReplyState::Incomplete, {}, ""},
        {"vErsion\r\n",
         ShellReplyState::Malformed,
         {},
         "the analyzer did not echo the command (it sent \"vErsion??\")"},
        {"version\r\n1.2\rX",
         ShellReplyState::Malformed,
         {},
         "a line of the reply ends in \"\\r\" without \"\\n\" (\"1.2\")"},
        {std::string("version\r\n1\0002\r\nch> ", 16),
         ShellReplyState::Malformed,
         {},
         "the reply holds the control byte 0 in the line \"1\""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        std::size_t used = 0;
        std::string error;
        EXPECT_EQ(ReadShellReply(c.bytes, "version", lines, used, error), c.state) << c.bytes;
        EXPECT_EQ(error, c.error);
        if (c.state == ShellReplyState::Complete) {
            EXPECT_EQ(lines, c.lines);
            EXPECT_EQ(used, c.bytes.size());
        }
    }
    ShellScanPoint p;
    std::string error;
    EXPECT_TRUE(ParseShellScanLine("300000000 -0.125000 0.500000 ", 3, p, error));
    EXPECT_EQ(p.hz, 300000000u);
    EXPECT_EQ(p.re, -0.125);
    EXPECT_EQ(p.im, 0.5);
    EXPECT_FALSE(ParseShellScanLine("300000000 nan 0.5 ", 3, p, error));
    EXPECT_EQ(ShellPointsLimit({"Board: X", "Version: 1.2 [p:401, IF:12k]"}), 401);
    EXPECT_EQ(ShellPointsLimit({"sweep points exceeds range 101"}), 101);
    EXPECT_EQ(ShellPointsLimit({"sweep points exceeds range"}), 0);
}

// Scans cover the list in order, each point once, none longer than a scan may be nor shorter;
// a lone point is scanned with the point below it.
TEST(NanoVnaRuns, CutsListsIntoScansTheAnalyzerAccepts) {
    NanoVnaLimits limits;
    limits.maxScanPoints = 101;
    limits.minScanPoints = 2;
    std::vector<double> list;
    for (int i = 0; i < 1601; ++i) {
        list.push_back(300e6 + i * 375e3);
    }
    list.push_back(950e6);  // a lone point after the run
    const auto pieces = PlanNanoVnaScans(list, limits);
    ASSERT_EQ(pieces.size(), 17u);
    int next = 0;
    for (const auto& p : pieces) {
        EXPECT_EQ(p.listIndex, next);
        EXPECT_LE(p.points, 101);
        EXPECT_GE(p.points, 2);
        next += p.count;
    }
    EXPECT_EQ(next, 1602);
    EXPECT_EQ(pieces[0].points, 101);  // 1601 = 16 scans of 100 or 101 points
    EXPECT_EQ(pieces[15].points, 100);
    const NanoVnaPiece& lone = pieces.back();
    EXPECT_EQ(lone.startHz, 900000000u);
    EXPECT_EQ(lone.stopHz, 950000000u);
    EXPECT_EQ(lone.points, 2);
    EXPECT_EQ(lone.first, 1);
    // A whole-hertz step: 0, 1/3, 2/3 ... of a 1 Hz-wide step cannot stay within 1 Hz for long.
    limits.wholeHertzStep = true;
    const std::vector<double> thirds = {1e6, 1e6 + 1.4, 1e6 + 2.8, 1e6 + 4.2, 1e6 + 5.6};
    const auto whole = PlanNanoVnaScans(thirds, limits);
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[0].points, 3);          // step 1: 3 against 4.2 would be 1.2 Hz off
    EXPECT_EQ(whole[0].stopHz, 1000002u);   // on the grid, not 2.8 rounded
    EXPECT_EQ(whole[1].startHz, 1000004u);  // then 4 and 6 against 4.2 and 5.6
    EXPECT_EQ(whole[1].points, 2);
}

}  // namespace
}  // namespace kv::test
