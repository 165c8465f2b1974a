// The NanoVNA analyzer of the V2 protocol through kv47310-cli, its driver and the serial port card,
// against the V2 emulator: the same end-to-end runs as the text shell's (nanovna/NanoVnaCli.h).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "V2Emulator.h"
#include "nanovna/NanoVnaCli.h"

namespace kv::test {
namespace {

// The values the emulator took for register `reg` with opcode `opcode`, in order.
std::vector<std::uint64_t> Written(const V2Emulator& emulator, int opcode, int reg) {
    std::vector<std::uint64_t> values;
    for (const V2Command& c : emulator.Commands()) {
        if (c.opcode == opcode && c.reg == reg) {
            values.push_back(c.value);
        }
    }
    return values;
}

// Air, shorting block and water at their prompts, then methanol: every point within 0.1 % of
// |eps|. A sweep longer than the board's 1024 points and every list are measured as several scans
// of at least two points on a whole-hertz grid; all scans of one sweep see one material.
TEST(NanoVnaV2Cli, MeasuresMethanolOnEveryKindOfSweep) {
    struct Sweep {
        std::vector<std::string> args;
        std::size_t points;
        std::vector<std::uint64_t> starts, steps, counts;  // the first sweep's scans, if given
    };
    const std::vector<Sweep> sweeps = {
        {{"--start", "300MHz", "--stop", "3GHz", "--points", "201"},
         201,
         {300000000},
         {13500000},
         {201}},
        {{"--segments", "300MHz:3GHz:41:log"}, 41, {}, {}, {}},
        // Ten segments, each linear with a step of no whole hertz.
        {{"--start", "300MHz", "--stop", "3GHz", "--points", "51", "--log"}, 51, {}, {}, {}},
        // 1101 points in 1 MHz steps (two scans of 551 and 550), 400 in 4 MHz steps.
        {{"--segments", "300MHz:1.4GHz:1101,1.404GHz:3GHz:400"},
         1501,
         {300000000, 851000000, 1404000000},
         {1000000, 1000000, 4000000},
         {551, 550, 400}},
    };
    for (const Sweep& sweep : sweeps) {
        V2Emulator emulator;
        ASSERT_FALSE(emulator.Path().empty());
        emulator.SetSequence({DemoMaterial::Air(), DemoMaterial::Short(), DemoMaterial::Water(25.0),
                              DemoMaterial::Relaxation(kNanoVnaMethanol, "sample")});
        CliFolder folder;
        const CliResult r =
            folder.Run(NanoVnaRun("measure", emulator.Path(), Join(sweep.args, {"--yes"})));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rows = ParseRows(r.out);
        ASSERT_EQ(rows.size(), sweep.points) << r.err;
        ExpectMethanol(rows);
        EXPECT_EQ(emulator.Measurements(), 4);
        const auto counts = Written(emulator, 0x21, 0x20);
        for (const std::uint64_t n : counts) {
            EXPECT_GE(n, 2u);
            EXPECT_LE(n, 1024u);
        }
        const std::size_t scans = sweep.counts.size();
        if (scans > 0) {
            EXPECT_EQ(std::vector<std::uint64_t>(counts.begin(), counts.begin() + scans),
                      sweep.counts);
            const auto starts = Written(emulator, 0x23, 0x00);
            EXPECT_EQ(std::vector<std::uint64_t>(starts.begin(), starts.begin() + scans),
                      sweep.starts);
            const auto steps = Written(emulator, 0x23, 0x10);
            EXPECT_EQ(std::vector<std::uint64_t>(steps.begin(), steps.begin() + scans),
                      sweep.steps);
            EXPECT_EQ(Written(emulator, 0x20, 0x30).size(), 4 * scans);  // FIFO clears
        }
        EXPECT_FALSE(emulator.InUsbMode());  // given back
    }
}

// 1601 points on a board of 1024 in two scans (1.6875 MHz steps), written to Touchstone with the
// digits of the quotient of the integers the emulator sent.
TEST(NanoVnaV2Cli, SweepWritesTheAnalyzersValues) {
    V2Emulator emulator;
    CliFolder folder;
    const CliResult r = folder.Run(NanoVnaRun(
        "sweep", emulator.Path(),
        {"--start", "300MHz", "--stop", "3GHz", "--points", "1601", "--touchstone", "s.s1p"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(emulator, 0x21, 0x20), (std::vector<std::uint64_t>{801, 800}));
    EXPECT_EQ(Written(emulator, 0x23, 0x00), (std::vector<std::uint64_t>{300000000, 1651687500}));
    const auto sent = emulator.Sent();
    const auto rows = TouchstoneRows(folder.Read("s.s1p"));
    ASSERT_EQ(rows.size(), 1601u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].hz, 300e6 + 1687500.0 * static_cast<double>(i));
        const auto it = sent.find(static_cast<std::uint64_t>(rows[i].hz));
        ASSERT_NE(it, sent.end()) << rows[i].hz;
        EXPECT_NEAR(rows[i].re, it->second.re, 1e-15) << rows[i].hz;
        EXPECT_NEAR(rows[i].im, it->second.im, 1e-15) << rows[i].hz;
    }
}

// Every kind of broken answer ends the run with a message naming what failed, without a hang; an
// analyzer that was taken over is given back all the same.
TEST(NanoVnaV2Cli, BrokenAnswersNameWhatFailed) {
    struct Case {
        V2EmulatorOptions options;
        std::string text;
        bool taken;
    };
    auto with = [](auto set) {
        V2EmulatorOptions o;
        set(o);
        return o;
    };
    const std::vector<Case> cases = {
        {with([](auto& o) { o.silent = true; }),
         "neither the shell's prompt \"ch> \" nor the V2 protocol's \"2\" came back within 1000 "
         "ms of a carriage return (nothing came).",
         false},
        {with([](auto& o) { o.indicateAnswer = 'X'; }),
         "within 1000 ms of a carriage return (it sent 0x58).", false},
        {with([](auto& o) { o.shortFifoRecords = 100; }),
         "reading the FIFO (0x18 0x30 0xc9): only 3200 of the 6432 bytes expected came (", true},
        {with([](auto& o) { o.wrongIndex = true; }),
         "reading the FIFO (0x18 0x30 0xc9): a record has the frequency index 204, outside the "
         "201 points of the sweep",
         true},
        // Whether time or the records allowed run out first, the point is named.
        {with([](auto& o) { o.lostIndexes = {7}; }), "1 of the 201 points never came (index 7)",
         true},
    };
    for (const Case& c : cases) {
        V2Emulator emulator(c.options);
        CliFolder folder;
        const CliResult r = folder.Run(NanoVnaRun(
            "sweep", emulator.Path(),
            {"--start", "300MHz", "--stop", "3GHz", "--points", "201", "--timeout", "0.5"}));
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
        EXPECT_EQ(Written(emulator, 0x20, 0x26), std::vector<std::uint64_t>(c.taken ? 1 : 0, 2));
    }
}

}  // namespace
}  // namespace kv::test
