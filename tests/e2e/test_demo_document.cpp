// The document driving the real Demo analyzer plugin, in process.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "instrument/PluginRegistry.h"
#include "persist/ProbeFiles.h"
#include "persist/ProfileStore.h"
#include "persist/ReferenceLiquidFiles.h"
#include "probe/FrequencyList.h"
#include "probe/FrequencySegments.h"
#include "probe/Standards.h"
#include "probe/UncertaintyBudget.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

constexpr const char* kDemoClsid = "{D47C0A11-7447-4F91-9042-2BFBE795F40E}";
constexpr const char* kCardClsid = "{FEA82D79-C945-4487-82CB-28C1E3267370}";
const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

// A document connected to the Demo analyzer, working in a folder of its own (where the analyzer
// finds its settings and the document its defaults file).
class DemoDocument : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = QDir::currentPath();
        QDir::setCurrent(folder_.path());
    }
    void TearDown() override {
        doc.reset();
        QDir::setCurrent(previous_);
    }

    void WriteIni(const char* text) {
        QFile f(folder_.filePath("demo-analyzer.ini"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
    }

    std::string Path(const char* name) const { return folder_.filePath(name).toStdString(); }

    CKv4731xDoc& Connect(int points = 51) {
        profile.values[kProfileCardClsid] = kCardClsid;
        profile.values[kProfileInstrumentClsid] = kDemoClsid;
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        ui.statusTexts.clear();  // only what this document shows
        doc->defaultsPath = Path(kDefaultsFileName);
        doc->OnViewsShown();
        EXPECT_TRUE(doc->HasInstrument());
        ui.editFrequency = [points](FrequencyPage& page) {
            page.sweep.startValue = 200;
            page.sweep.startUnit = "MHz";
            page.sweep.stopValue = 20;
            page.sweep.stopUnit = "GHz";
            page.sweep.numPoints = points;
            page.sweep.sweepType = SweepKind::Linear;
        };
        RunDocumentCommand(*doc, ID_SET_FREQUENCY);
        EXPECT_EQ(doc->Engine().frequencies.size(), static_cast<std::size_t>(points));
        return *doc;
    }

    // The largest error of the Data trace against methanol, relative to |eps|.
    double DataError() const {
        const auto& f = doc->Engine().frequencies;
        const auto& data = doc->Trace(0).permittivity;
        double worst = 0.0;
        for (std::size_t i = 0; i < std::min(f.size(), data.size()); ++i) {
            const CComplex eps = ColeColePermittivity(f[i], kMethanol);
            const double m = std::hypot(eps.re, eps.im);
            worst = std::max(
                {worst, std::fabs(data[i].re - eps.re) / m, std::fabs(data[i].im + eps.im) / m});
        }
        return worst;
    }

    ScriptedUi ui;
    PluginRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;

private:
    QTemporaryDir folder_;
    QString previous_;
};

TEST_F(DemoDocument, AMeasurementBeforeCalibrationIsRefused) {
    CKv4731xDoc& d = Connect();
    ui.messages.clear();
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "A calibration must be performed before a measurement can be made.");
    EXPECT_EQ(ui.messages[0].caption, "Measure Menu");
    EXPECT_FALSE(d.Trace(0).valid);
    EXPECT_EQ(ui.StatusShown("Measurement complete"), 0);
}

TEST_F(DemoDocument, CalibrationAndMeasurementGiveTheSample) {
    CKv4731xDoc& d = Connect(101);
    RunDocumentCommand(d, ID_PERFORM_CAL);
    ASSERT_TRUE(d.Engine().calibrated);
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Leave the probe open in air.",
                                                    "Connect the shorting block to the probe.",
                                                    "Insert the probe into  25.00 C water."}));
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
    EXPECT_TRUE(d.Trace(0).valid);
    EXPECT_TRUE(d.Trace(0).displayed);
    EXPECT_LT(DataError(), 1e-3);
    for (double s : d.Engine().result.sensitivity) {
        EXPECT_GT(s, 0.0);
        EXPECT_LT(s, 9999.0);
    }
}

// The Demo analyzer's probe is the stock probe B and its sample the library's methanol at 25 C:
// characterising a probe of another frequency scale with methanol brings the scale back to 1 and
// the calibration with it; with dimethyl sulfoxide the fit is refused and the probe stays.
TEST_F(DemoDocument, CharacterisationTakesTheProbeOfAGoodFitOnly) {
    const ReferenceLiquidLibrary library =
        LoadReferenceLiquids({KV_SOURCE_DIR "/data/reference-liquids.txt"});
    const ReferenceLiquid& methanol = *FindReferenceLiquid(library.liquids, "methanol");
    const ReferenceLiquid& dmso = *FindReferenceLiquid(library.liquids, "dmso");
    CKv4731xDoc& d = Connect();
    EXPECT_EQ(d.CharacteriseProbe(methanol, 25.0, "P1").outcome.why,
              "A calibration must be performed before a measurement can be made.");
    RunDocumentCommand(d, ID_PERFORM_CAL);
    d.UseProbe(1, 0.9, 1.0);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    EXPECT_GT(DataError(), 1e-2);
    const std::vector<CComplex> terms = d.Engine().errorTracking;

    using enum Outcome::Kind;
    for (const auto& [liquid, name, kind] :
         {std::tuple{&methanol, "b", Refused}, std::tuple{&dmso, "P1", Failed}}) {
        d.SetModified(false);
        const Characterisation refused = d.CharacteriseProbe(*liquid, 25.0, name);
        EXPECT_EQ(refused.outcome.kind, kind) << name << ": " << refused.outcome.why;
        EXPECT_EQ(d.Engine().model.frequencyScale, 0.9);
        ASSERT_EQ(d.Engine().errorTracking.size(), terms.size());
        EXPECT_EQ(0, std::memcmp(d.Engine().errorTracking.data(), terms.data(),
                                 terms.size() * sizeof(CComplex)));
        EXPECT_FALSE(d.IsModified());
    }
    ui.prompts.clear();
    const Characterisation c = d.CharacteriseProbe(methanol, 25.0, "P1");
    ASSERT_TRUE(c.outcome.Done()) << c.outcome.why;
    EXPECT_EQ(ui.prompts, std::vector<std::string>{"Insert probe into Methanol at 25 C."});
    EXPECT_NEAR(c.probe.frequencyScale, 1.0, 1e-4);
    EXPECT_EQ(d.Engine().model.frequencyScale, c.probe.frequencyScale);
    EXPECT_TRUE(d.IsModified());
    // The measurement before stays; the next one is corrected for the fitted probe.
    EXPECT_GT(DataError(), 1e-2);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    EXPECT_LT(DataError(), 1e-3);
}

// A probe characterised on acetone (the Demo's probe B scaled by fs = 0.7) is kept by the setup
// file alone: opened again, with no probe file anywhere, it measures with the fitted model.
TEST_F(DemoDocument, ASetupFileKeepsTheCharacterisedProbe) {
    WriteIni("[probe]\ntype=B\nfs=0.7\n\n[sample]\nliquid=acetone\n");
    const ReferenceLiquidLibrary library =
        LoadReferenceLiquids({KV_SOURCE_DIR "/data/reference-liquids.txt"});
    CKv4731xDoc& d = Connect();
    RunDocumentCommand(d, ID_PERFORM_CAL);
    const Characterisation c =
        d.CharacteriseProbe(*FindReferenceLiquid(library.liquids, "acetone"), 25.0, "P7");
    ASSERT_TRUE(c.outcome.Done()) << c.outcome.why;
    EXPECT_NEAR(c.probe.frequencyScale, 0.7, 1e-4);
    const std::string path = Path("characterised.tst");
    ASSERT_TRUE(d.SaveSetupFile(path).Done());

    CKv4731xDoc& again = Connect();
    EXPECT_EQ(again.Engine().model.frequencyScale, 1.0);
    ASSERT_TRUE(again.OpenSetupFile(path).Done());
    EXPECT_EQ(again.Engine().model.frequencyScale, c.probe.frequencyScale);
    EXPECT_TRUE(again.Engine().calibrated);
}

// The sweeps per reading the calibration sheet gives are what every reading's budget term says;
// a characterised probe brings its deviation after the fit into the budget, and a cancelled
// characterisation leaves the deviation of the probe in use.
TEST_F(DemoDocument, TheSheetsSweepsAndTheCharacterisedProbeReachTheBudget) {
    const ReferenceLiquidLibrary library =
        LoadReferenceLiquids({KV_SOURCE_DIR "/data/reference-liquids.txt"});
    const ReferenceLiquid& methanol = *FindReferenceLiquid(library.liquids, "methanol");
    CKv4731xDoc& d = Connect(21);
    ui.calibrationSheet = [](CalibrationSheet& sheet, int&) {
        sheet.sweepsPerReading = 4;
        return true;
    };
    RunDocumentCommand(d, ID_CONFIGURE_CAL);
    RunDocumentCommand(d, ID_PERFORM_CAL);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    auto budget = d.Engine().BudgetAt(10);
    ASSERT_TRUE(budget);
    using Term = std::pair<std::string, std::string>;
    std::vector<Term> terms;
    for (const BudgetTerm& t : budget->terms) {
        terms.emplace_back(t.name, t.note);
    }
    EXPECT_EQ(terms, (std::vector<Term>{{"Air reading", "4 sweeps"},
                                        {"Short reading", "4 sweeps"},
                                        {"Water reading", "4 sweeps"},
                                        {"Water temperature", "u(T) = 0.1 K"},
                                        {"Sample reading", "4 sweeps"}}));

    const Characterisation c = d.CharacteriseProbe(methanol, 25.0, "P1");
    ASSERT_TRUE(c.outcome.Done()) << c.outcome.why;
    ASSERT_GT(c.probe.after.rms, 0.0);
    EXPECT_EQ(d.Engine().calSettings.probeDeviation, c.probe.after.rms);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    budget = d.Engine().BudgetAt(10);
    ASSERT_TRUE(budget);
    const BudgetTerm& probe = budget->terms.back();
    EXPECT_EQ(probe.name, "Probe characterisation");
    EXPECT_TRUE(probe.stated);
    // rel x |e| / sqrt(2) on e' and on e''.
    const double expected = c.probe.after.rms * std::hypot(budget->e1, budget->e2) / std::sqrt(2.0);
    EXPECT_NEAR(probe.e1, expected, 1e-12);
    EXPECT_NEAR(probe.e2, expected, 1e-12);

    ui.characterisePage = [](CharacterisePage& page) {
        page.liquid = static_cast<int>(
            std::find(page.liquids.begin(), page.liquids.end(), "Methanol") - page.liquids.begin());
        page.temperature = 25.0;
        page.name = "P2";
        return true;
    };
    ui.characterisationAnswers = {false};
    d.UseProbe(1, 0.99, 1.0, 0.05);
    RunDocumentCommand(d, ID_CHARACTERISE_PROBE);
    EXPECT_EQ(ui.StatusShown("Probe characterisation cancelled"), 1);
    EXPECT_EQ(d.Engine().model.frequencyScale, 0.99);
    EXPECT_EQ(d.Engine().calSettings.probeDeviation, 0.05);
}

// "Characterise Probe..." is enabled with an analyzer and a calibration only.
TEST_F(DemoDocument, CharacteriseProbeNeedsAnAnalyzerAndACalibration) {
    CKv4731xDoc alone(ui, registry, profile);
    CommandState state;
    ASSERT_TRUE(QueryDocumentCommand(alone, ID_CHARACTERISE_PROBE, state));
    EXPECT_FALSE(state.enabled);
    CKv4731xDoc& d = Connect();
    ASSERT_TRUE(QueryDocumentCommand(d, ID_CHARACTERISE_PROBE, state));
    EXPECT_FALSE(state.enabled);
    RunDocumentCommand(d, ID_PERFORM_CAL);
    ASSERT_TRUE(QueryDocumentCommand(d, ID_CHARACTERISE_PROBE, state));
    EXPECT_TRUE(state.enabled);
}

// The command on the Demo's probe B scaled by 0.7 in acetone: a name or temperature refused asks
// again; Cancel of the result puts the probe back; a save refused shows why and the result
// again; Save keeps the probe in the library; the wrong liquid changes nothing.
TEST_F(DemoDocument, CharacteriseProbeCommandAsksFitsAndSavesOrCancels) {
    WriteIni("[probe]\ntype=B\nfs=0.7\n\n[sample]\nliquid=acetone\n");
    CKv4731xDoc& d = Connect();
    RunDocumentCommand(d, ID_PERFORM_CAL);
    const std::vector<CComplex> terms = d.Engine().errorTracking;
    const auto unchanged = [&] {
        EXPECT_EQ(d.Engine().model.frequencyScale, 1.0);
        ASSERT_EQ(d.Engine().errorTracking.size(), terms.size());
        EXPECT_EQ(0, std::memcmp(d.Engine().errorTracking.data(), terms.data(),
                                 terms.size() * sizeof(CComplex)));
    };
    const std::string blocker = Path("blocker");
    QFile(QString::fromStdString(blocker)).open(QIODevice::WriteOnly);
    d.probeLibraryFolder = blocker + "/probes";  // cannot be made

    // The answers of the dialog in turn, as (liquid, temperature, name).
    std::vector<std::tuple<std::string, double, std::string>> answers;
    std::vector<CharacterisePage> shown;
    ui.characterisePage = [&](CharacterisePage& page) {
        shown.push_back(page);
        if (answers.empty()) {
            return false;
        }
        const auto [liquid, t, name] = answers.front();
        answers.erase(answers.begin());
        const auto at = std::find(page.liquids.begin(), page.liquids.end(), liquid);
        page.liquid = static_cast<int>(at - page.liquids.begin());
        page.temperature = t;
        page.name = name;
        return true;
    };
    answers = {{"Acetone", 25.0, "b"}, {"Acetone", 30.0, "P7"}, {"Acetone", 25.0, "P7"}};
    ui.characterisationAnswers = {true, false};  // Save (refused), then Cancel
    ui.messages.clear();
    RunDocumentCommand(d, ID_CHARACTERISE_PROBE);
    ASSERT_EQ(shown.size(), 3u);
    const CharacterisePage& first = shown[0];
    const auto acetone = std::find(first.liquids.begin(), first.liquids.end(), "Acetone");
    const auto methanol = std::find(first.liquids.begin(), first.liquids.end(), "Methanol");
    ASSERT_NE(acetone, first.liquids.end());
    ASSERT_NE(methanol, first.liquids.end());
    EXPECT_EQ(first.offered[acetone - first.liquids.begin()], "25 C");
    EXPECT_EQ(first.offered[methanol - first.liquids.begin()], "10 to 50 C");
    EXPECT_EQ(first.defaultTemperatures[acetone - first.liquids.begin()], 25.0);
    EXPECT_EQ(first.defaultTemperatures[methanol - first.liquids.begin()], 25.0);  // the water's
    // Asked again as the operator left it.
    EXPECT_EQ(shown[2].name, "P7");
    EXPECT_EQ(shown[2].temperature, 30.0);
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0].text,
              "The probe cannot be named b: A and B are the stock probe types.");
    EXPECT_EQ(ui.messages[1].text, "Acetone is not offered at 30 C; it is offered at 25 C.");
    CharacterisedProbe unsaved;
    unsaved.name = "P7";
    EXPECT_EQ(ui.messages[2].text, SaveProbeToLibrary(d.probeLibraryFolder, unsaved).why);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.caption, "Characterise Probe");
    }
    ASSERT_EQ(ui.characterisationReports.size(), 2u);
    const CharacterisationReport& report = ui.characterisationReports[0];
    ASSERT_EQ(report.rows.size(), 7u);
    using Row = std::pair<std::string, std::string>;
    EXPECT_EQ(report.rows[0], (Row{"Probe", "P7 (KV47310B/C scaled)"}));
    EXPECT_EQ(report.rows[1], (Row{"Liquid", "Acetone at 25 C (calibration water at 25 C)"}));
    EXPECT_EQ(report.rows[2].first, "Frequency scale");
    EXPECT_NEAR(std::stod(report.rows[2].second), 0.7, 1e-4);
    EXPECT_EQ(report.rows[3],
              (Row{"Coefficient scale", std::string("1 (not fitted: ") + kScaleCancels + ")"}));
    // Every point of the sweep lies within acetone's 0.1 to 20 GHz.
    EXPECT_EQ(report.rows[4], (Row{"Points", "51 from 0.2 GHz to 20 GHz"}));
    EXPECT_EQ(report.rows[5].first, "Deviation before");
    EXPECT_EQ(report.rows[6].first, "Deviation after");
    ASSERT_EQ(report.curve.size(), 51u);
    // The fitted probe measures the liquid: e' of the Debye term at 0.2 GHz, by hand:
    // 1.9 + 19.3 / (1 + (2 pi 0.2e9 3.3e-12)^2) = 21.19967
    EXPECT_NEAR(report.curve[0].liquidReal, 21.19967, 1e-4);
    EXPECT_NEAR(report.curve[0].measuredReal, report.curve[0].liquidReal, 1e-3);
    EXPECT_GT(report.curve[50].liquidLoss, 0.0);
    unchanged();
    EXPECT_EQ(ui.StatusShown("Probe characterisation cancelled"), 1);

    // Saved into a library that can be made.
    d.probeLibraryFolder = Path("probes");
    answers = {{"Acetone", 25.0, "P7"}};
    ui.characterisationAnswers = {true};
    RunDocumentCommand(d, ID_CHARACTERISE_PROBE);
    EXPECT_NEAR(d.Engine().model.frequencyScale, 0.7, 1e-4);
    const ProbeLoad saved = FindProbe(d.probeLibraryFolder, "P7");
    ASSERT_TRUE(saved.probe) << saved.error;
    EXPECT_EQ(saved.probe->frequencyScale, d.Engine().model.frequencyScale);
    EXPECT_EQ(saved.probe->liquid, "acetone");
    EXPECT_EQ(ui.StatusShown("Probe P7 saved"), 1);

    // Methanol is not in the probe's sample: the fit is refused, no result is shown.
    d.UseProbe(1, 1.0, 1.0);
    ui.characterisationReports.clear();
    ui.messages.clear();
    answers = {{"Methanol", 25.0, "P8"}};
    RunDocumentCommand(d, ID_CHARACTERISE_PROBE);
    EXPECT_TRUE(ui.characterisationReports.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Characterise Probe");
    unchanged();
    EXPECT_FALSE(FindProbe(d.probeLibraryFolder, "P8").probe);
}

// A list sweep of two rows (50 MHz to 1 GHz in 101 points, then on to 20 GHz in 200 points of
// equal ratio, 1 GHz taken once): calibrated and measured as any sweep, kept with its calibration
// in a setup file of its own kind, and the calibration holds for that list only.
TEST_F(DemoDocument, AListSweepIsCalibratedMeasuredAndKept) {
    CKv4731xDoc& d = Connect();
    const FrequencyListResult rows =
        ListFromSegments({{5e7, 1e9, 101, false}, {1e9, 2e10, 200, true}});
    ASSERT_TRUE(rows.Ok()) << rows.refusal;
    FrequencyPage page = d.Engine().CurrentSweepPage();
    page.sweep = ListSweep(rows.frequencies);
    page.setChartScale = true;
    ASSERT_TRUE(d.SetSweep(page).Done()) << (ui.messages.empty() ? "" : ui.messages.back().text);
    const auto& f = d.Engine().frequencies;
    ASSERT_EQ(f.size(), 300u);
    EXPECT_EQ(f[0], 5e7);
    EXPECT_EQ(f[1], 5e7 + 9.5e6);
    EXPECT_EQ(f[100], 1e9);
    EXPECT_NEAR(f[101], 1e9 * std::pow(20.0, 1.0 / 199.0), 1e-3);
    EXPECT_EQ(f[299], 2e10);
    EXPECT_EQ(d.sweep.sweepType, SweepKind::List);  // "Set Chart Scale"
    EXPECT_EQ(d.Format(kFormatE1).xLog, 1);         // more than a decade: a logarithmic axis

    RunDocumentCommand(d, ID_PERFORM_CAL);
    ASSERT_TRUE(d.Engine().calibrated);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
    ASSERT_EQ(d.Trace(0).permittivity.size(), 300u);
    EXPECT_LT(DataError(), 1e-3);

    const std::string path = Path("list.tst");
    ASSERT_TRUE(d.SaveSetupFile(path).Done());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(14), QByteArray("QVR47310L1.00", 14));
    file.close();

    CKv4731xDoc& again = Connect();
    ASSERT_TRUE(again.OpenSetupFile(path).Done());
    EXPECT_TRUE(again.Engine().calibrated);
    EXPECT_EQ(again.Engine().frequencies, rows.frequencies);
    RunDocumentCommand(again, ID_TRIGGER_MEASUREMENT);
    EXPECT_LT(DataError(), 1e-3);

    // One point moved: another list, and the calibration no longer holds.
    std::vector<double> moved = rows.frequencies;
    moved[150] += 1e6;
    page.sweep = ListSweep(moved);
    ASSERT_TRUE(again.SetSweep(page).Done());
    EXPECT_FALSE(again.Engine().calibrated);
}

TEST_F(DemoDocument, ARefreshCorrectsTheCablesDrift) {
    WriteIni("[cable]\ndrift=0.02\n");
    CKv4731xDoc& d = Connect();
    RunDocumentCommand(d, ID_PERFORM_CAL);
    ASSERT_TRUE(d.Engine().calibrated);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    const double fresh = DataError();
    for (int sweep = 0; sweep < 60; ++sweep) {
        RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    }
    const double drifted = DataError();
    EXPECT_GT(drifted, 10 * fresh);
    EXPECT_GT(drifted, 1e-2);

    RunDocumentCommand(d, ID_REFRESH_CAL);
    EXPECT_TRUE(d.Engine().calibrated);
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    const double refreshed = DataError();
    EXPECT_LT(refreshed, 2 * fresh);
    std::printf(
        "drift 0.02 deg/sweep: error %.3g after calibration, %.3g after 60 sweeps, %.3g "
        "after a refresh\n",
        fresh, drifted, refreshed);
}

bool Same(const std::vector<CComplex>& a, const std::vector<CComplex>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(CComplex)) == 0;
}

// A reading the analyzer fails ends the command: the calibration in force, the standards'
// readings and the Data trace stay as they were, and the operator reads the analyzer's text.
TEST_F(DemoDocument, AFailedReadingChangesNothingAndShowsWhy) {
    for (int standard = 1; standard <= 3; ++standard) {
        SCOPED_TRACE(standard);
        // A calibration and a sample (four readings) succeed; the next calibration fails at
        // `standard`, and every reading after it fails as well.
        const std::string text =
            standard == 2 ? "" : "Sweep " + std::to_string(standard) + " lost.";
        WriteIni(("[analyzer]\nfail_measure_after=" + std::to_string(3 + standard) +
                  "\nerror_text=" + text + "\n")
                     .c_str());
        CKv4731xDoc& d = Connect();
        const CProbeEngine& e = d.Engine();
        RunDocumentCommand(d, ID_PERFORM_CAL);
        RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
        ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
        const std::vector<CComplex> kept[] = {
            e.stdMeasured1,     e.stdMeasured2,  e.stdMeasured3,         e.errorDirectivity,
            e.errorSourceMatch, e.errorTracking, d.Trace(0).permittivity};
        ui.messages.clear();
        ui.prompts.clear();
        RunDocumentCommand(d, ID_PERFORM_CAL);
        EXPECT_EQ(ui.prompts.size(), static_cast<std::size_t>(standard));
        RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
        EXPECT_TRUE(e.calibrated);
        EXPECT_EQ(ui.StatusShown("Calibration complete"), 1);
        EXPECT_EQ(ui.StatusShown("Measurement complete"), 1);
        const std::vector<CComplex> now[] = {
            e.stdMeasured1,     e.stdMeasured2,  e.stdMeasured3,         e.errorDirectivity,
            e.errorSourceMatch, e.errorTracking, d.Trace(0).permittivity};
        for (int k = 0; k < 7; ++k) {
            EXPECT_TRUE(Same(now[k], kept[k])) << k;
        }
        const std::string shown =
            text.empty() ? "The analyzer did not return a measurement." : text;
        std::vector<std::string> messages;
        for (const auto& m : ui.messages) {
            messages.push_back(m.caption + ": " + m.text);
        }
        EXPECT_EQ(messages, (std::vector<std::string>{"Calibration Menu: " + shown,
                                                      "Measure Menu: " + shown}));
    }
}

struct AbortAt {
    const char* name;
    int command;  // ID_PERFORM_CAL or ID_REFRESH_CAL
    CalibrationType type;
    int prompt;       // the prompt the operator aborts at
    bool calibrated;  // a calibration was made before
};

void PrintTo(const AbortAt& c, std::ostream* os) {
    *os << c.name;
}

class DemoAbortedCalibration : public DemoDocument,
                               public ::testing::WithParamInterface<AbortAt> {};

// The analyzer measures uncorrected from the start of a calibration on; an abort must leave it
// correcting with the calibration that was in force, or leave the program refusing to measure.
TEST_P(DemoAbortedCalibration, TheNextMeasurementGivesTheSampleOrIsRefused) {
    const AbortAt& c = GetParam();
    CKv4731xDoc& d = Connect();
    d.Engine().calSettings.calibrationType = c.type;
    if (c.calibrated) {
        RunDocumentCommand(d, ID_PERFORM_CAL);
        ASSERT_TRUE(d.Engine().calibrated);
    }
    ui.prompts.clear();
    ui.promptActions.assign(static_cast<std::size_t>(c.prompt - 1), PromptAction::Continue);
    ui.promptActions.push_back(PromptAction::Abort);
    RunDocumentCommand(d, c.command);
    EXPECT_EQ(ui.prompts.size(), static_cast<std::size_t>(c.prompt));
    EXPECT_EQ(d.Engine().calibrated, c.calibrated);

    ui.messages.clear();
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    if (c.calibrated) {
        EXPECT_TRUE(ui.messages.empty());
        ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
        EXPECT_TRUE(d.Trace(0).valid);
        EXPECT_LT(DataError(), 1e-3);
    } else {
        EXPECT_EQ(ui.MessageTexts(),
                  (std::vector<std::string>{
                      "A calibration must be performed before a measurement can be made."}));
        EXPECT_EQ(ui.StatusShown("Measurement complete"), 0);
        EXPECT_FALSE(d.Trace(0).valid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DemoDocument, DemoAbortedCalibration,
    ::testing::Values(
        AbortAt{"LoadAirShortAt1", ID_PERFORM_CAL, CalibrationType::LoadAirShort, 1, true},
        AbortAt{"LoadAirShortAt2", ID_PERFORM_CAL, CalibrationType::LoadAirShort, 2, true},
        AbortAt{"LoadAirShortAt3", ID_PERFORM_CAL, CalibrationType::LoadAirShort, 3, true},
        AbortAt{"AirShortWaterAt1", ID_PERFORM_CAL, CalibrationType::AirShortWater, 1, true},
        AbortAt{"AirShortWaterAt2", ID_PERFORM_CAL, CalibrationType::AirShortWater, 2, true},
        AbortAt{"AirShortWaterAt3", ID_PERFORM_CAL, CalibrationType::AirShortWater, 3, true},
        AbortAt{"UserDefinedAt1", ID_PERFORM_CAL, CalibrationType::UserStandards, 1, true},
        AbortAt{"UserDefinedAt2", ID_PERFORM_CAL, CalibrationType::UserStandards, 2, true},
        AbortAt{"UserDefinedAt3", ID_PERFORM_CAL, CalibrationType::UserStandards, 3, true},
        AbortAt{"Refresh", ID_REFRESH_CAL, CalibrationType::AirShortWater, 1, true},
        AbortAt{"UncalibratedLoadAirShortAt1", ID_PERFORM_CAL, CalibrationType::LoadAirShort, 1,
                false},
        AbortAt{"UncalibratedLoadAirShortAt3", ID_PERFORM_CAL, CalibrationType::LoadAirShort, 3,
                false},
        AbortAt{"UncalibratedAirShortWaterAt1", ID_PERFORM_CAL, CalibrationType::AirShortWater, 1,
                false},
        AbortAt{"UncalibratedAirShortWaterAt2", ID_PERFORM_CAL, CalibrationType::AirShortWater, 2,
                false},
        AbortAt{"UncalibratedUserDefinedAt3", ID_PERFORM_CAL, CalibrationType::UserStandards, 3,
                false}),
    [](const ::testing::TestParamInfo<AbortAt>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
