// The LibreVNA analyzer as docs/usb-analyzers.md describes it: its trace reader, the sweeps
// a list is taken in, and kv47310-cli against the simulated GUI.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "LibreVnaDriver.h"
#include "LibreVnaServer.h"
#include "LibreVnaTrace.h"
#include "e2e/CliRun.h"
#include "probe/Standards.h"
#include "touchstone/Touchstone.h"

namespace kv::test {
namespace {

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

// The server's thread runs an event loop, which needs an application object.
class CoreEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_librevna";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // lives as long as the test program
        }
    }
};
[[maybe_unused]] const auto* const kCore = ::testing::AddGlobalTestEnvironment(new CoreEnvironment);

TEST(LibreVnaTrace, ReadsTheGuisLineAndRefusesWhatHoldsNoReading) {
    struct Case {
        const char* text;
        std::size_t points;  // 0: refused
        const char* error;
    };
    const Case cases[] = {
        {"[300000000,0.400172,0.0377869],[3000000000,-1.2e-05,+7e+00]\r", 2, ""},
        {"[100000,1,-1]", 1, ""},
        {"EMPTY", 0, "The trace holds no data (the LibreVNA GUI answered EMPTY)."},
        {"", 0, "The trace data are empty."},
        {"[1,0.5,0.25],[2,NaN,NaN]", 0,
         "The real part of point 2 is not a number (NaN): the LibreVNA GUI has no valid reading "
         "there."},
        {"[1,0.5,inf]", 0,
         "The imaginary part of point 1 is not a number (NaN): the LibreVNA GUI has no valid "
         "reading there."},
        {"[1,0.5,0.25],[2,0.5", 0,
         "The trace data do not read at byte 20: the imaginary part of point 2 is missing."},
        {"[1,0.5,0.25,9]", 0,
         "The trace data do not read at byte 12: point 1 does not end with ']'."},
        {"[1,0.5,0.25][2,0,0]", 0,
         "The trace data do not read at byte 13: a comma was expected after point 1."},
        {"1,0.5,0.25", 0,
         "The trace data do not read at byte 1: a point \"[frequency,re,im]\" was expected."},
        {"[1,0.5,0.25],", 0,
         "The trace data do not read at byte 14: a point \"[frequency,re,im]\" was expected."},
    };
    for (const Case& c : cases) {
        std::vector<LibreVnaPoint> points;
        std::string error;
        EXPECT_EQ(ParseLibreVnaTrace(c.text, points, error), c.points != 0) << c.text;
        EXPECT_EQ(points.size(), c.points) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    std::vector<LibreVnaPoint> points;
    std::string error;
    ASSERT_TRUE(ParseLibreVnaTrace("[3000000000,-1.2e-05,+7e+00]", points, error));
    EXPECT_EQ(points[0].frequency, 3e9);
    EXPECT_EQ(points[0].re, -1.2e-05);
    EXPECT_EQ(points[0].im, 7.0);
}

// A list is swept run by run, each run at most the analyzer's points; a point alone is taken
// from a sweep of two with its neighbour.
TEST(LibreVnaRuns, AListIsTakenInConsecutiveLinearSweeps) {
    using Run = LibreVnaDriver::Run;
    struct Case {
        std::vector<double> list;
        int type;
        int maxPoints;
        std::vector<Run> runs;
    };
    const std::vector<double> seven = {1e6, 2e6, 3e6, 4e6, 5e6, 6e6, 7e6};
    const Case cases[] = {
        {seven, kLinearSweep, 4501, {{1e6, 7e6, 7, 0, 7}}},
        {{1e6, 2e6, 3e6, 10e6, 20e6},
         kListSweep,
         4501,
         {{1e6, 3e6, 3, 0, 3}, {10e6, 20e6, 2, 0, 2}}},
        {seven, kLinearSweep, 3, {{1e6, 3e6, 3, 0, 3}, {4e6, 6e6, 3, 0, 3}, {6e6, 7e6, 2, 1, 1}}},
        {{1e6, 2e6, 3e6, 5e6, 8e6},
         kListSweep,
         2,
         {{1e6, 2e6, 2, 0, 2}, {2e6, 3e6, 2, 1, 1}, {5e6, 8e6, 2, 0, 2}}},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto runs = LibreVnaDriver::PlanRuns(c.list, c.type, c.maxPoints, error);
        ASSERT_EQ(runs.size(), c.runs.size()) << error;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].start, c.runs[i].start) << i;
            EXPECT_EQ(runs[i].stop, c.runs[i].stop) << i;
            EXPECT_EQ(runs[i].points, c.runs[i].points) << i;
            EXPECT_EQ(runs[i].first, c.runs[i].first) << i;
            EXPECT_EQ(runs[i].count, c.runs[i].count) << i;
        }
    }
    std::string error;
    EXPECT_TRUE(LibreVnaDriver::PlanRuns({5e6}, kListSweep, 4501, error).empty());
    EXPECT_EQ(error, "The LibreVNA sweeps at least two points.");
}

std::vector<std::string> Connection(int port) {
    return {"--instrument",   "LibreVNA",  "--card",    "LAN",
            "--card-address", "127.0.0.1", "--address", std::to_string(port)};
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Air, shorting block and water, then methanol, each reading in as many sweeps as the sweep has
// runs: a linear sweep (with the GUI's stale FIN? after each start) and a list of two rows.
TEST(LibreVnaCli, MeasuresMethanolAfterAirShortAndWater) {
    struct Case {
        std::vector<std::string> sweep;
        int sweepsPerReading;
        int staleMs;
    };
    const Case cases[] = {
        {{"--start", "300MHz", "--stop", "3GHz", "--points", "41"}, 1, 400},
        {{"--segments", "300MHz:1GHz:21,1.5GHz:3GHz:20"}, 2, 0},
    };
    for (const Case& c : cases) {
        LibreVnaServer server;
        std::vector<DemoMaterial> sequence;
        for (const DemoMaterial& m :
             {DemoMaterial::Air(), DemoMaterial::Short(), DemoMaterial::Water(25.0),
              DemoMaterial::Relaxation(kMethanol, "sample")}) {
            sequence.insert(sequence.end(), static_cast<std::size_t>(c.sweepsPerReading), m);
        }
        server.SetSequence(sequence);
        server.SetTiming(std::chrono::milliseconds(100), std::chrono::milliseconds(c.staleMs));
        const int port = server.Start();
        ASSERT_NE(port, 0);
        CliFolder folder;
        const CliResult r = folder.Run(
            Join(Join({"measure"}, Connection(port)), Join(c.sweep, {"--ifbw", "500", "--yes"})));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rows = ParseRows(r.out);
        ASSERT_EQ(rows.size(), 41u) << r.err;
        for (const auto& row : rows) {
            const CComplex eps = ColeColePermittivity(row.frequency, kMethanol);
            const double m = std::hypot(eps.re, eps.im);
            EXPECT_LT(std::fabs(row.e1 - eps.re) / m, 1e-3) << row.frequency;
            EXPECT_LT(std::fabs(row.e2 + eps.im) / m, 1e-3) << row.frequency;
        }
        EXPECT_EQ(server.Sweeps(), 4 * c.sweepsPerReading);
        const auto received = server.Received();
        auto count = [&](const std::string& command) {
            return std::count(received.begin(), received.end(), command);
        };
        EXPECT_GE(count(":VNA:TRAC:DEEMB:ACT S11 FALSE"), 1);
        EXPECT_EQ(count(":VNA:ACQ:IFBW 500"), count(":VNA:STIM:LVL -10"));
        EXPECT_EQ(count(":VNA:ACQ:SINGLE TRUE"), 4 * c.sweepsPerReading);
        EXPECT_TRUE(std::none_of(received.begin(), received.end(), [](const std::string& s) {
            return s.find("CAL:RES") != std::string::npos;
        }));
    }
}

TEST(LibreVnaCli, SweepWritesTheServersS11ToItsDigits) {
    LibreVnaServer server;
    server.SetMaterial(DemoMaterial::Water(25.0));
    const int port = server.Start();
    CliFolder folder;
    const CliResult r = folder.Run(
        Join(Join({"sweep"}, Connection(port)), {"--start", "300MHz", "--stop", "3GHz", "--points",
                                                 "201", "--touchstone", folder.Path("s.s1p")}));
    ASSERT_EQ(r.status, 0) << r.err;
    const TouchstoneParse file = ReadTouchstoneFile(folder.Path("s.s1p"));
    ASSERT_TRUE(file.ok) << file.reason;
    // The server's line, point by point: "[f,re,im]".
    std::vector<LibreVnaPoint> sent;
    std::string error;
    ASSERT_TRUE(ParseLibreVnaTrace(server.LastTrace(), sent, error)) << error;
    ASSERT_EQ(file.data.s11.size(), 201u);
    ASSERT_EQ(sent.size(), 201u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(file.data.frequencies[i], 300e6 + 13.5e6 * static_cast<double>(i));
        EXPECT_EQ(file.data.s11[i].re, sent[i].re) << i;
        EXPECT_EQ(file.data.s11[i].im, sent[i].im) << i;
    }
    EXPECT_EQ(file.data.frequencies[200], 3e9);
    EXPECT_NE(server.LastTrace().find("[3000000000,"), std::string::npos);
}

// Whatever the GUI does wrong, the run ends with a message that says what, and never hangs.
TEST(LibreVnaCli, EveryBrokenReplyEndsTheRunWithItsMessage) {
    struct Case {
        GuiFault fault;
        const char* message;
    };
    const Case cases[] = {
        {GuiFault::OldVersion,
         "is version 1.5.1; the program needs version 1.6.0 or later, whose SCPI server answers "
         "no set command and reports errors through *ESR?. Update the GUI."},
        {GuiFault::NoVersion, "\"Nowhere Instruments,SIM-GUI\", which names no GUI version."},
        {GuiFault::CalibrationOn,
         "The LibreVNA GUI applies its own calibration (SOLT_1) to the trace data. Switch the "
         "calibration off in the LibreVNA GUI: the program corrects the readings with its own "
         "calibration."},
        {GuiFault::NoAnalyzer,
         "The LibreVNA GUI refused to connect to an analyzer (:DEV:CONN; event status 32)."},
        {GuiFault::RefuseIfbw,
         "The LibreVNA GUI refused the stimulus level, IF bandwidth and averaging (:VNA:STIM:LVL "
         "-10; :VNA:ACQ:IFBW 1000; :VNA:ACQ:AVG 1; event status 32)."},
        {GuiFault::DataSilent, "The LibreVNA GUI refused :VNA:TRAC:DATA? S11 (event status 32)."},
        {GuiFault::DataEmpty,
         "Trace S11: The trace holds no data (the LibreVNA GUI answered EMPTY)."},
        {GuiFault::DataNaN, "Trace S11: The real part of point 3 is not a number (NaN)"},
        {GuiFault::DataCut, "Trace S11: The trace data do not read at byte"},
        {GuiFault::DataShort,
         "The LibreVNA GUI sent 10 points of trace S11 where 11 were expected."},
        {GuiFault::DataShifted,
         "The LibreVNA GUI's trace S11 has point 2 at 0.570001 GHz instead "
         "of 0.570000 GHz."},
        {GuiFault::DataClose, "The analyzer closed the connection. (:VNA:TRAC:DATA? S11)"},
        {GuiFault::FinishedGarbage, "The LibreVNA GUI answered :VNA:ACQ:FIN? with \"MAYBE\"."},
        {GuiFault::NeverFinished, "The LibreVNA did not finish its sweep within"},
        {GuiFault::Mute, "The analyzer did not answer within 0.3 s. (*IDN?)"},
    };
    for (const Case& c : cases) {
        LibreVnaServer server;
        server.SetFault(c.fault);
        server.SetTiming(std::chrono::milliseconds(20), std::chrono::milliseconds(0));
        const int port = server.Start();
        CliFolder folder;
        const CliResult r = folder.Run(
            Join(Join({"sweep"}, Connection(port)),
                 {"--start", "300MHz", "--stop", "3GHz", "--points", "11", "--timeout", "0.3"}));
        EXPECT_NE(r.status, 0) << static_cast<int>(c.fault);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST(LibreVnaCli, ComponentsListsTheAnalyzerAndTheUsbtmcCard) {
    CliFolder folder;
    const CliResult r = folder.Run({"components"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("LibreVNA"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("USBTMC (USB test and measurement)"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kv::test
