#include "support/GoldenSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "doc/CommandIds.h"

namespace kv::test {

namespace {

// Material at the probe, permittivity e' - j e''.
const CComplex kSample(20.0, -5.0);

// Fixed time stamps: 2021-03-04 05:06:07 UTC and a day and an hour later.
constexpr std::time_t kDateStamp = 1614834367;
constexpr std::time_t kTimeStamp = kDateStamp + 25 * 3600;

const char* const kFiles[] = {"defaults.dft", "setup.tst", "data.prn"};

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void RunGoldenSession(CKv4731xDoc& d, FakeDriver& driver, ScriptedUi& ui, const std::string& folder,
                      const std::function<void(int)>& run) {
    ASSERT_EQ(d.CurrentInstrumentName(), "FAKE ANALYZER 1");
    d.dateStamp = kDateStamp;
    d.timeStamp = kTimeStamp;
    d.title.text = "Golden title";
    d.subtitle.text = "Golden subtitle";
    d.defaultsPath = folder + "/defaults.dft";
    run(ID_SAVE_AS_DEFAULT);
    ASSERT_TRUE(std::filesystem::exists(d.defaultsPath));

    // A calibration on ideal standards, then the sample.
    driver.savedState.fill(0);
    driver.savedState[0] = 0x11;
    driver.savedState[1] = 0x22;
    driver.savedSize = 16;
    driver.reflection = [&d](double f, int call) {
        return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    driver.measureCalls = 0;
    run(ID_PERFORM_CAL);
    ASSERT_TRUE(d.Engine().calibrated);
    driver.reflection = [model = d.Engine().model](double f, int) {
        return model.Reflection(f, kSample);
    };
    run(ID_TRIGGER_MEASUREMENT);
    ASSERT_TRUE(d.Trace(kDataTrace).valid);
    ASSERT_FALSE(d.Engine().result.sensitivity.empty());
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
    ui.saveFileNames = {folder + "/setup.tst"};
    run(ID_FILE_SAVE_AS);
    ASSERT_EQ(d.PathName(), folder + "/setup.tst");

    d.includeSensitivity = true;
    ui.traceChoices = {kDataTrace};
    ui.saveFileNames = {folder + "/data.prn"};
    run(ID_FILE_SAVE_DATA);
    EXPECT_TRUE(ui.messages.empty());
}

void ExpectGoldenFiles(const std::string& folder, const std::string& goldenDir) {
    const bool write = std::getenv("KV_WRITE_GOLDEN") != nullptr;
    for (const char* name : kFiles) {
        const std::string written = folder + "/" + name;
        if (write) {
            std::filesystem::copy_file(written, goldenDir + "/" + name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        const std::vector<std::uint8_t> expected = Bytes(goldenDir + "/" + name);
        const std::vector<std::uint8_t> actual = Bytes(written);
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_EQ(actual.size(), expected.size()) << name;
        const auto diff =
            std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
        EXPECT_TRUE(diff.first == actual.end() && diff.second == expected.end())
            << name << " differs first at byte " << (diff.first - actual.begin());
    }
}

}  // namespace kv::test
