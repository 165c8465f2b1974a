// Characterised probe files: the exact text written, read back unchanged, the faults of a file
// named with what is wrong, and the library folder listed and searched by name.

#include <gtest/gtest.h>

#include <fstream>

#include "PersistTestUtil.h"
#include "persist/ProbeFiles.h"

using namespace kv;
using kv::test::TempFolder;

namespace {

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

CharacterisedProbe Probe(const std::string& name) {
    CharacterisedProbe p;
    p.name = name;
    p.stockType = 0;
    p.frequencyScale = 0.70000123456789;
    p.coefficientScale = 0.8;
    p.coefficientScaleFitted = true;
    p.liquid = "acetone";
    p.liquidTemperature = 25;
    p.waterTemperature = 22.5;
    p.date = "2026-12-08T20:40:00Z";
    p.fromHz = 3e8;
    p.toHz = 1e10;
    p.points = 51;
    p.before = {0.031, 0.02};
    p.after = {1e-7, 5e-8};
    return p;
}

// The keys in alphabetical order, four spaces of indent.
const char* const kText = R"({
    "coefficientScale": 0.8,
    "coefficientScaleFitted": true,
    "date": "2026-12-08T20:40:00Z",
    "deviationAfter": {
        "largest": 1e-07,
        "rms": 5e-08
    },
    "deviationBefore": {
        "largest": 0.031,
        "rms": 0.02
    },
    "frequencyScale": 0.70000123456789,
    "fromHz": 300000000,
    "liquid": "acetone",
    "liquidTemperatureC": 25,
    "name": "P7",
    "points": 51,
    "stockType": "A",
    "toHz": 10000000000,
    "waterTemperatureC": 22.5
}
)";

}  // namespace

TEST(ProbeFiles, WritesTheProbeAndReadsItBack) {
    TempFolder folder("probe-round-trip");
    const std::string path = folder.File("P7.json");
    ASSERT_TRUE(SaveProbeFile(path, Probe("P7")).Done());
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, kText);
    const ProbeLoad load = LoadProbeFile(path);
    ASSERT_TRUE(load.probe) << load.error;
    EXPECT_EQ(*load.probe, Probe("P7"));
}

TEST(ProbeFiles, NamesTheFileAndTheFault) {
    TempFolder folder("probe-faults");
    const std::string path = folder.File("p.json");
    const std::string good = kText;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"[1, 2]", "not a probe: the file holds no JSON object"},
        {replaced("    \"name\": \"P7\",\n", ""), "\"name\" is missing"},
        {replaced("\"frequencyScale\": 0.70000123456789", "\"frequencyScale\": \"0.7\""),
         "\"frequencyScale\" is not a number"},
        {replaced("\"coefficientScale\": 0.8", "\"coefficientScale\": 0"),
         "\"coefficientScale\" must be greater than 0"},
        {replaced("\"coefficientScaleFitted\": true", "\"coefficientScaleFitted\": 1"),
         "\"coefficientScaleFitted\" is not true or false"},
        {replaced("\"points\": 51", "\"points\": 2.5"),
         "\"points\" must be a whole number of at least 1"},
        {replaced("\"rms\": 0.02", "\"mean\": 0.02"), "\"deviationBefore\": \"rms\" is missing"},
        {replaced("\"stockType\": \"A\"", "\"stockType\": \"C\""),
         "\"stockType\" must be \"A\" or \"B\", not \"C\""},
        {replaced("\"name\": \"P7\"", "\"name\": \"b\""),
         "\"name\" is not a probe's name: The probe cannot be named b: A and B are the stock "
         "probe types."},
        {replaced("2026-12-08T20:40:00Z", "8.12.2026"),
         "\"date\" is not an ISO 8601 date and time: \"8.12.2026\""},
    };
    for (const auto& [text, fault] : cases) {
        Write(path, text);
        EXPECT_EQ(LoadProbeFile(path).error, path + ": " + fault);
    }
    Write(path, "{\"name\": ");
    EXPECT_EQ(LoadProbeFile(path).error.rfind(path + ": not JSON: ", 0), 0u);
    EXPECT_EQ(LoadProbeFile(folder.File("none.json")).error,
              folder.File("none.json") + ": no such file");

    // Names a probe cannot be saved under; nothing is written.
    for (const char* name : {"", "A", "b", "x/y", ".hidden"}) {
        EXPECT_EQ(SaveProbeFile(path + "2", Probe(name)).kind, Outcome::Kind::Refused) << name;
        EXPECT_EQ(SaveProbeToLibrary(folder.File("lib"), Probe(name)).kind, Outcome::Kind::Refused)
            << name;
    }
    EXPECT_FALSE(std::filesystem::exists(path + "2"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("lib")));
}

TEST(ProbeFiles, ListsAndFindsTheLibrarysProbes) {
    TempFolder folder("probe-library");
    const std::string library = folder.File("probes");
    ASSERT_TRUE(SaveProbeToLibrary(library, Probe("Z9")).Done());
    ASSERT_TRUE(SaveProbeToLibrary(library, Probe("P7")).Done());
    Write(library + "/broken.json", "[]");
    Write(library + "/notes.txt", "not a probe");
    const ProbeLibrary listed = ListProbes(library);
    ASSERT_EQ(listed.probes.size(), 2u);
    EXPECT_EQ(listed.probes[0].name, "P7");
    EXPECT_EQ(listed.probes[1].name, "Z9");
    EXPECT_EQ(listed.problems, std::vector<std::string>{
                                   library + "/broken.json: not a probe: the file holds no JSON "
                                             "object"});
    EXPECT_EQ(FindProbe(library, "Z9").probe, Probe("Z9"));
    EXPECT_EQ(FindProbe(library, "z9").error,
              "No characterised probe is named \"z9\" in " + library + ".\n" + library +
                  "/broken.json: not a probe: the file holds no JSON object");
}
