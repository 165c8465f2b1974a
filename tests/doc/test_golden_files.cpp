// The files the program writes, byte for byte: a defaults file, a setup file with a calibration
// and all four traces, and a data file with the sensitivity column, each made from a document
// whose every input is fixed and compared with the copy kept in tests/data/golden. A change to
// any stored field, its order or its encoding shows here.
//
// After an intended change of a file's layout, run this test with KV_WRITE_GOLDEN=1 to write the
// new copies into the source tree, and review their difference before committing them.

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "DocFilesFixture.h"
#include "doc/CommandIds.h"

namespace kv::test {
namespace {

const std::string kGoldenDir = std::string(KV_SOURCE_DIR) + "/tests/data/golden/";

// Material at the probe, permittivity e' - j e''.
const CComplex kSample(20.0, -5.0);

// Fixed time stamps: 2021-03-04 05:06:07 UTC and a day and an hour later.
constexpr std::time_t kDateStamp = 1614834367;
constexpr std::time_t kTimeStamp = kDateStamp + 25 * 3600;

TEST_F(DocFiles, WrittenFilesMatchTheGoldenCopiesByteForByte) {
    CKv4731xDoc& d = MakeShown();
    ASSERT_EQ(d.CurrentInstrumentName(), "FAKE ANALYZER 1");
    FakeDriver& driver = *registry.driver;
    d.dateStamp = kDateStamp;
    d.timeStamp = kTimeStamp;
    d.title.text = "Golden title";
    d.subtitle.text = "Golden subtitle";
    const std::string defaults = folder.File("defaults.dft");
    d.defaultsPath = defaults;
    ASSERT_TRUE(d.WriteDefaultsFile());

    // A calibration on ideal standards, then the sample.
    driver.savedState.fill(0);
    driver.savedState[0] = 0x11;
    driver.savedState[1] = 0x22;
    driver.savedSize = 16;
    driver.reflection = [&d](double f, int call) {
        return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    driver.measureCalls = 0;
    ASSERT_TRUE(d.OnCommand(ID_PERFORM_CAL));
    ASSERT_TRUE(d.Engine().calibrated);
    driver.reflection = [model = d.Engine().model](double f, int) {
        return model.Reflection(f, kSample);
    };
    ASSERT_TRUE(d.OnCommand(ID_TRIGGER_MEASUREMENT));
    ASSERT_TRUE(d.Trace(kDataTrace).valid);
    ASSERT_FALSE(d.Engine().sensitivity.empty());
    d.dateStamp = kDateStamp;
    d.timeStamp = kTimeStamp;

    // The memories: the sample scaled, so that each trace has values of its own.
    for (int t = 1; t < kTraceCount; ++t) {
        CTrace& memory = d.Trace(t);
        memory.CopyFrom(d.Trace(kDataTrace));
        for (CComplex& e : memory.permittivity) {
            e = CComplex(e.re * (1.0 + 0.25 * t), e.im * (1.0 - 0.125 * t));
        }
        memory.valid = true;
        memory.displayed = true;
    }
    const std::string setup = folder.File("setup.tst");
    ASSERT_TRUE(d.StoreSetupFile(setup));

    d.includeSensitivity = true;
    const std::string data = folder.File("data.prn");
    ui.traceChoices = {kDataTrace};
    ui.saveFileNames = {data};
    ASSERT_TRUE(d.OnCommand(ID_FILE_SAVE_DATA));
    EXPECT_TRUE(ui.messages.empty());

    const std::pair<std::string, std::string> files[] = {
        {defaults, "defaults.dft"}, {setup, "setup.tst"}, {data, "data.prn"}};
    const bool write = std::getenv("KV_WRITE_GOLDEN") != nullptr;
    for (const auto& [written, golden] : files) {
        if (write) {
            std::filesystem::copy_file(written, kGoldenDir + golden,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        const Bytes expected = ReadBytes(kGoldenDir + golden);
        const Bytes actual = ReadBytes(written);
        ASSERT_FALSE(expected.empty()) << golden;
        EXPECT_EQ(actual.size(), expected.size()) << golden;
        const auto diff =
            std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
        EXPECT_TRUE(diff.first == actual.end() && diff.second == expected.end())
            << golden << " differs first at byte " << (diff.first - actual.begin());
    }
}

}  // namespace
}  // namespace kv::test
