// The files the terminal writes are the files the program writes: the golden data file comes out
// of a measure run on the same trace byte for byte.

#include <gtest/gtest.h>

#include "CliRun.h"
#include "probe/CProbeEngine.h"
#include "touchstone/Touchstone.h"

namespace kv::test {
namespace {

// The trace of tests/data/golden/data.prn: ideal standards, then a sample of 20 - j5 at probe B,
// on 51 points from 200 MHz to 20 GHz.
TEST(CliFiles, TheGoldenDataFileComesOutOfAMeasureRun) {
    CProbeEngine engine;
    engine.SetStart(2e8);
    engine.SetStop(2e10);
    engine.SetNumPoints(51);
    engine.SetSweepType(SweepKind::Linear);
    engine.BuildFrequencyList();
    ASSERT_EQ(engine.frequencies.size(), 51u);
    CliFolder folder;
    const char* names[] = {"air.s1p", "short.s1p", "water.s1p", "sample.s1p"};
    for (int k = 1; k <= 4; ++k) {
        TouchstoneData data;
        data.frequencies = engine.frequencies;
        for (double f : data.frequencies) {
            data.s11.push_back(k < 4 ? engine.StandardReflection(k, f)
                                     : engine.model.Reflection(f, {20.0, -5.0}));
        }
        folder.Write(names[k - 1], FormatTouchstone(data, "Made-up analyzer 1.0", ""));
    }
    const CliResult r = folder.Run(
        {"measure", "--yes", "--instrument", "Touchstone", "--air", folder.Path("air.s1p"),
         "--short", folder.Path("short.s1p"), "--water", folder.Path("water.s1p"), "--sample",
         folder.Path("sample.s1p"), "--out", folder.Path("data.prn"), "--sensitivity"});
    ASSERT_EQ(r.status, 0) << r.err;

    QFile golden(QStringLiteral(KV_SOURCE_DIR "/tests/data/golden/data.prn"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const std::string expected = golden.readAll().toStdString();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(folder.Read("data.prn"), expected);
    EXPECT_EQ(r.out, expected);
}

}  // namespace
}  // namespace kv::test
