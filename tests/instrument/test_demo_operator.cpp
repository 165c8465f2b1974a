// How the simulated operator reads the program's texts, and how the Demo analyzer reads its
// settings file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "DemoAnalyzer.h"
#include "DemoOperator.h"
#include "DemoSettings.h"
#include "DemoTestSupport.h"

namespace kv::test {
namespace {

using Kind = DemoMaterial::Kind;

const ColeCole kSample{32.66, 5.563, 0.0, 5.067e-11};

DemoOperator Operator() {
    return DemoOperator(kSample, {{"Ethanol", {24.35, 4.2, 0.0, 1.6e-10}}});
}

TEST(DemoOperator, StatusTextsAndNearMissesChangeNothing) {
    const DemoOperator op = Operator();
    // Texts that ask for nothing, and near misses of the real texts.
    for (const char* text : {"Computing Calibration...", "Downloading Calibration...",
                             "Computing Values...", "", "Leave the probe open in air",
                             "leave the probe open in air.", "Insert probe into sample"}) {
        EXPECT_FALSE(op.FromPrompt(text).has_value()) << text;
    }
}

TEST(DemoOperator, WaterPromptCarriesItsTemperature) {
    const DemoOperator op = Operator();
    for (double t : {25.0, 0.0, 7.5, 99.99, -5.0, 123.25}) {
        const auto m = op.FromPrompt(WaterPrompt(t));
        ASSERT_TRUE(m.has_value()) << t;
        EXPECT_EQ(m->kind, Kind::Water);
        EXPECT_EQ(m->temperature, t);
    }
    // The field as the program formats it: two blanks before 25.00.
    EXPECT_EQ(WaterPrompt(25.0), "Insert the probe into  25.00 C water.");
    EXPECT_EQ(op.FromPrompt("Insert the probe into 25,50 C water.")->temperature, 25.5);
    // Not a temperature: then it is a label, and an unknown label means the sample.
    testing::internal::CaptureStderr();
    const auto odd = op.FromPrompt("Insert the probe into warm C water.");
    const std::string notes = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->name, "sample");
    EXPECT_NE(notes.find("\"warm C water.\""), std::string::npos) << notes;
}

TEST(DemoOperator, UserStandardsByLabel) {
    const DemoOperator op = Operator();
    const auto ethanol = op.FromPrompt("Insert the probe into Ethanol");
    ASSERT_TRUE(ethanol.has_value());
    EXPECT_EQ(ethanol->kind, Kind::ColeCole);
    EXPECT_EQ(ethanol->parameters.eo, 24.35);
    EXPECT_EQ(ethanol->parameters.tau, 1.6e-10);
    // The program's default user standards.
    const auto water = op.FromPrompt("Insert the probe into Water");
    ASSERT_TRUE(water.has_value());
    EXPECT_EQ(water->kind, Kind::ColeCole);  // the user standard, not the water model
    EXPECT_EQ(water->parameters.eo, 80.4);
    EXPECT_EQ(water->parameters.einf, 4.23);
    EXPECT_EQ(water->parameters.alpha, 0.013);
    EXPECT_EQ(water->parameters.tau, 9.3e-12);
    EXPECT_EQ(op.FromPrompt("Insert the probe into Short")->parameters.eo, 1e10);
    EXPECT_EQ(op.FromPrompt("Insert the probe into Air")->parameters.eo, 1.0);
    // Case does not matter when nothing matches exactly.
    EXPECT_EQ(op.FromPrompt("Insert the probe into ETHANOL")->name, "Ethanol");
    EXPECT_EQ(op.FromTitle("Measuring short")->name, "Short");

    // Labels from the settings come first.
    const DemoOperator custom(kSample, {{"Water", {78.0, 5.0, 0.0, 8e-12}}});
    EXPECT_EQ(custom.FromPrompt("Insert the probe into Water")->parameters.eo, 78.0);

    // An unknown label in a prompt: the sample, with a note; in a measuring text: no change.
    testing::internal::CaptureStderr();
    const auto unknown = op.FromPrompt("Insert the probe into Glycerol");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"Glycerol\""), std::string::npos);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->name, "sample");
    EXPECT_FALSE(op.FromTitle("Measuring Glycerol").has_value());
}

std::string WriteIni(const QTemporaryDir& dir, const char* text) {
    const QString path = dir.filePath("demo-analyzer.ini");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path.toStdString();
}

TEST(DemoSettings, MissingFileGivesDefaultsAndBadValuesKeepThemWithANote) {
    const DemoSettings defaults = LoadDemoSettings("/nonexistent/demo-analyzer.ini");
    EXPECT_EQ(defaults.identification, "Demo Network Analyzer 47310");
    EXPECT_EQ(defaults.probeType, 1);
    EXPECT_EQ(defaults.sample.eo, 32.66);
    EXPECT_EQ(defaults.sample.einf, 5.563);
    EXPECT_EQ(defaults.sample.alpha, 0.0);
    EXPECT_EQ(defaults.sample.tau, 5.067e-11);
    EXPECT_EQ(defaults.cardAddress, 7);
    EXPECT_EQ(defaults.instrumentAddress, 16);
    EXPECT_EQ(defaults.drift, 0.0);
    EXPECT_EQ(defaults.noise, 0.0);

    QTemporaryDir dir;
    const std::string path = WriteIni(dir,
                                      "[analyzer]\nmax_points = 0\nnoise = -1\nseed = x\n"
                                      "auto_continue = perhaps\nmin_frequency = -5\n"
                                      "[probe]\ntype = Z\n[standards]\nNothing/tau = 1e-9\n");
    testing::internal::CaptureStderr();
    const DemoSettings s = LoadDemoSettings(path);
    const std::string notes = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.maxPoints, 1601);
    EXPECT_EQ(s.noise, 0.0);
    EXPECT_EQ(s.seed, 1u);
    EXPECT_FALSE(s.autoContinue);
    EXPECT_EQ(s.minFrequency, 45e6);
    EXPECT_EQ(s.probeType, 1);
    EXPECT_TRUE(s.standards.empty());
    for (const char* key : {"max_points", "noise", "seed", "auto_continue", "min_frequency",
                            "[probe] type", "Nothing has no eo"}) {
        EXPECT_NE(notes.find(key), std::string::npos) << key << "\n" << notes;
    }
}

// [probe] fs and s, [sample] liquid and temperature: what is taken, and the note for what is not.
TEST(DemoSettings, ProbeScalesAndLiquidSampleAreTakenOrNamedWithTheirValue) {
    struct Case {
        const char* ini;
        const char* notes;   // "%s" stands for the file
        const char* liquid;  // the sample's liquid, empty for the Cole-Cole sample
        double temperature;
    };
    const Case cases[] = {
        {"[sample]\nliquid = Methanol-Barthel\n", "", "methanol-barthel", 25.0},
        {"[sample]\nliquid = propan-2-ol\ntemperature = 31.5\n", "", "propan-2-ol", 31.5},
        {"[probe]\nfs = 0\ns = big\n",
         "Demo analyzer: %s: [probe] fs is not a positive number; the default is used\n"
         "Demo analyzer: %s: [probe] s is not a positive number; the default is used\n",
         "", 25.0},
        {"[sample]\nliquid = glycerol\n",
         "Demo analyzer: %s: [sample] liquid \"glycerol\" is not in the library of reference "
         "liquids; the sample's Cole-Cole parameters are used\n",
         "", 25.0},
        {"[sample]\nliquid = acetone\ntemperature = 30\n",
         "Demo analyzer: %s: [sample] temperature 30 is not offered for acetone (offered: 25 C); "
         "the sample's Cole-Cole parameters are used\n",
         "", 30.0},
        {"[sample]\nliquid = propan-2-ol\ntemperature = 27.5\n",
         "Demo analyzer: %s: [sample] temperature 27.5 is not offered for propan-2-ol (offered: "
         "10 to 25 C, 30 to 50 C); the sample's Cole-Cole parameters are used\n",
         "", 27.5},
        {"[sample]\nliquid = acetone\ntemperature = warm\n",
         "Demo analyzer: %s: [sample] temperature is not a number; the default is used\n",
         "acetone", 25.0},
        {"[sample]\ntemperature = 40\n",
         "Demo analyzer: %s: [sample] temperature is given without liquid; it is not used\n", "",
         40.0},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const std::string path = WriteIni(dir, c.ini);
        testing::internal::CaptureStderr();
        const DemoSettings s = LoadDemoSettings(path);
        const std::string notes = testing::internal::GetCapturedStderr();
        std::string expected = c.notes;
        for (auto at = expected.find("%s"); at != std::string::npos; at = expected.find("%s")) {
            expected.replace(at, 2, path);
        }
        EXPECT_EQ(notes, expected) << c.ini;
        EXPECT_EQ(s.sampleLiquid ? s.sampleLiquid->id : "", c.liquid) << c.ini;
        EXPECT_EQ(s.sampleTemperature, c.temperature) << c.ini;
    }
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// The settings page offers the probe's scales and the sample liquid, refuses what the reader
// would not take with the reader's words, and what it stores reads back.
TEST(DemoSettingsPage, ProbeScalesAndSampleLiquidAreWrittenAndReadBack) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    DemoAnalyzer demo(LoadDemoSettings(DemoAnalyzer::kSettingsFile));
    std::map<std::string, std::string> values;
    for (const SettingDescription& s : demo.DescribeSettings()) {
        values[s.key] = s.value;
    }
    for (const char* key : {"probe/fs", "probe/s", "sample/liquid", "sample/temperature"}) {
        ASSERT_EQ(values.count(key), 1u) << key;
    }
    std::string error;
    const std::pair<std::map<std::string, std::string>, std::string> refused[] = {
        {{{"probe/fs", "0"}}, "[probe] fs is not a positive number."},
        {{{"probe/s", "-2"}}, "[probe] s is not a positive number."},
        {{{"sample/liquid", "acetone"}, {"sample/temperature", "30"}},
         "[sample] temperature 30 is not offered for acetone (offered: 25 C)."},
        {{{"sample/liquid", "glycerol"}},
         "[sample] liquid \"glycerol\" is not in the library of reference liquids."},
    };
    for (const auto& [changes, text] : refused) {
        std::map<std::string, std::string> tried = values;
        for (const auto& [key, value] : changes) {
            tried[key] = value;
        }
        EXPECT_FALSE(demo.StoreSettings(tried, error));
        EXPECT_EQ(error, text);
    }
    EXPECT_FALSE(QFile::exists(DemoAnalyzer::kSettingsFile));

    values["probe/fs"] = "0.7";
    values["probe/s"] = "1.25";
    values["sample/liquid"] = "ethanol";
    values["sample/temperature"] = "30";
    ASSERT_TRUE(demo.StoreSettings(values, error)) << error;
    const DemoSettings back = LoadDemoSettings(DemoAnalyzer::kSettingsFile);
    EXPECT_EQ(back.frequencyScale, 0.7);
    EXPECT_EQ(back.coefficientScale, 1.25);
    ASSERT_NE(back.sampleLiquid, nullptr);
    EXPECT_EQ(back.sampleLiquid->id, "ethanol");
    EXPECT_EQ(back.sampleTemperature, 30.0);

    // No liquid: the sample is the Cole-Cole material again, with no unused temperature left.
    values["sample/liquid"] = "";
    ASSERT_TRUE(demo.StoreSettings(values, error)) << error;
    QFile file(DemoAnalyzer::kSettingsFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_FALSE(text.contains("liquid") || text.contains("temperature")) << text.constData();
    QDir::setCurrent(previous);
}

}  // namespace
}  // namespace kv::test
