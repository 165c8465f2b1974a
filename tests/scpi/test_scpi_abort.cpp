// Abort, Cancel and an interrupt while the analyzer keeps its answer back: the wait ends without
// waiting for the read timeout, the operation ends as the operator's abort does, and the next
// command works on a new connection. The simulator holds its answers until the test releases
// them; the operator acts when the simulator reports that it holds one.

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <csignal>

#include "ScpiEndToEnd.h"
#include "ScpiRegistry.h"
#include "ScpiSimulator.h"
#include "doc/CGpibSelectDlg.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "e2e/CliRun.h"
#include "instrument/LanCardId.h"
#include "persist/ProfileStore.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

// Longer than any test runs: a wait that only its timeout ended shows as the timeout's message.
constexpr double kLongTimeout = 60.0;
const std::string kName = "Nowhere Instruments,SIM-VNA,0001,1.0";

TEST(ScpiAbort, AbortAndCancelEndTheWaitOnASilentAnalyzer) {
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    ScpiSimulator sim(SimFamily::NumberedTraces);
    const int port = sim.Start();
    ASSERT_NE(port, 0);
    ScpiSettings settings;
    settings.family = SimFamilyName(SimFamily::NumberedTraces);
    settings.timeout = kLongTimeout;
    ScriptedUi ui;
    ScpiRegistry registry(settings);
    MemoryProfileStore profile;
    profile.values[kProfileCardClsid] = kLanCardClsid;
    profile.values[kProfileInstrumentClsid] = kScpiClsid;
    profile.values[kProfileCardAddress] = "127.0.0.1";
    profile.values[kProfileInstrumentAddress] = std::to_string(port);
    // The operator puts at the probe what the prompt asks for, and presses Abort (measure window)
    // or Cancel (wait window) once the analyzer has fallen silent.
    ui.onPump = [&] {
        const std::string p = ui.prompts.empty() ? "" : ui.prompts.back();
        sim.SetMaterial(p.find("air") != std::string::npos        ? DemoMaterial::Air()
                        : p.find("shorting") != std::string::npos ? DemoMaterial::Short()
                        : p.find("water") != std::string::npos
                            ? DemoMaterial::Water(25.0)
                            : DemoMaterial::Relaxation(kMethanol, "sample"));
        if (sim.HeldAnswers() > 0) {
            if (ui.measure != nullptr) {
                ui.measure->PressAbort();
            }
            if (ui.wait != nullptr) {
                ui.wait->PressCancel();
            }
        }
    };
    [&] {
        CKv4731xDoc doc(ui, registry, profile);
        doc.defaultsPath = folder.filePath(kDefaultsFileName).toStdString();
        doc.OnViewsShown();
        ASSERT_TRUE(doc.HasInstrument()) << ::testing::PrintToString(ui.MessageTexts());
        ui.editFrequency = [](FrequencyPage& page) {
            page.sweep.startValue = 200;
            page.sweep.startUnit = "MHz";
            page.sweep.stopValue = 6;
            page.sweep.stopUnit = "GHz";
            page.sweep.numPoints = 21;
        };
        RunDocumentCommand(doc, ID_SET_FREQUENCY);
        RunDocumentCommand(doc, ID_PERFORM_CAL);
        ASSERT_TRUE(doc.Engine().calibrated) << ::testing::PrintToString(ui.MessageTexts());
        const std::vector<CComplex> terms = doc.Engine().errorTracking;

        // Silent at the first standard of a new calibration: the old calibration stays in force.
        sim.HoldAfterSweeps(sim.Sweeps() + 1);
        RunDocumentCommand(doc, ID_PERFORM_CAL);
        EXPECT_GT(sim.HeldAnswers(), 0);
        EXPECT_TRUE(doc.Engine().calibrated);
        EXPECT_TRUE(std::equal(terms.begin(), terms.end(), doc.Engine().errorTracking.begin(),
                               doc.Engine().errorTracking.end(), [](CComplex a, CComplex b) {
                                   return a.re == b.re && a.im == b.im;
                               }));
        EXPECT_EQ(ui.StatusShown("Calibration complete"), 1);
        sim.ReleaseAnswers();

        // Silent during the sample's sweep: the Data trace is untouched.
        sim.HoldAfterSweeps(sim.Sweeps() + 1);
        RunDocumentCommand(doc, ID_TRIGGER_MEASUREMENT);
        EXPECT_GT(sim.HeldAnswers(), 0);
        EXPECT_EQ(ui.StatusShown("Measurement complete"), 0);
        EXPECT_FALSE(doc.Trace(0).valid);
        sim.ReleaseAnswers();
        // What the analyzer sends now goes to the connection that was dropped: the next
        // measurement reads its own answers.
        RunDocumentCommand(doc, ID_TRIGGER_MEASUREMENT);
        ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
        ASSERT_TRUE(doc.Trace(0).DisplayedAndValid());
        const CComplex eps = ColeColePermittivity(doc.Engine().frequencies[0], kMethanol);
        EXPECT_NEAR(doc.Trace(0).permittivity[0].re, eps.re, 1e-3 * eps.re);

        // Silent while connecting: Cancel leaves no analyzer and asks nothing.
        SimFaults silent;
        silent.holdAnswers = true;
        sim.SetFaults(silent);
        ui.waitTexts.clear();
        // A change of the analyzer's own settings makes the instrument command connect again.
        ui.gpibSelect = [](CGpibSelectDlg& dialog) {
            dialog.settingsChanged = true;
            return true;
        };
        RunDocumentCommand(doc, ID_GPIB_INSTRUMENT);
        EXPECT_GT(sim.HeldAnswers(), 0);
        EXPECT_FALSE(doc.HasInstrument());
        EXPECT_TRUE(doc.connectCancelled);
        EXPECT_EQ(ui.waitTexts.front(), "Connecting to the analyzer.|IEEE 488 Interface");
        sim.ReleaseAnswers();
        EXPECT_TRUE(ui.messages.empty()) << ::testing::PrintToString(ui.MessageTexts());

        // Connecting again shows every step.
        ui.waitTexts.clear();
        RunDocumentCommand(doc, ID_GPIB_INSTRUMENT);
        EXPECT_TRUE(doc.HasInstrument());
        EXPECT_EQ(ui.waitTexts, (std::vector<std::string>{
                                    "Connecting to the analyzer.|IEEE 488 Interface",
                                    "Identifying the analyzer.|IEEE 488 Interface",
                                    "Setting up instrument.|" + kName,
                                    "Presetting the analyzer.|" + kName,
                                    "Reading the analyzer's limits.|" + kName,
                                    "Setting up Instrument|" + kName,
                                }));
    }();
    QDir::setCurrent(previous);
}

// SIGINT and SIGTERM end the terminal run while the analyzer holds the sample's answer: the run
// says so, ends with status 1, and no result is written.
TEST(ScpiAbort, AnInterruptEndsTheTerminalRunWhileTheAnalyzerIsSilent) {
    for (const int signal : {SIGINT, SIGTERM}) {
        ScpiSimulator sim(SimFamily::NumberedTraces);
        sim.SetSequence({DemoMaterial::Air(), DemoMaterial::Short(), DemoMaterial::Water(25.0),
                         DemoMaterial::Relaxation(kMethanol, "sample")});
        sim.HoldAfterSweeps(4);
        const int port = sim.Start();
        ASSERT_NE(port, 0);
        CliFolder folder;
        QDir().mkpath(
            QString::fromStdString(folder.Path("config/Local AppWizard-Generated Applications")));
        QSettings s(
            QString::fromStdString(folder.Path("config/Local AppWizard-Generated "
                                               "Applications/Tarvel Technologies 47310C.conf")),
            QSettings::IniFormat);
        s.setValue("KV47310/IEEE GPIB CARD ADDRESS", "127.0.0.1");
        s.setValue("KV47310/INSTRUMENT ADDRESS", QString::number(port));
        s.setValue("ScpiAnalyzer/family", SimFamilyName(SimFamily::NumberedTraces));
        s.setValue("ScpiAnalyzer/timeout", kLongTimeout);
        s.sync();

        QProcess p;
        folder.Start(p, {"measure", "--instrument", "SCPI", "--card", "LAN", "--points", "21",
                         "--yes", "--out", "result.prn"});
        if (!sim.WaitUntilHolding(60000)) {
            p.kill();
            FAIL() << "The analyzer was never waited on: " << CliFolder::Finish(p).err;
        }
        ::kill(static_cast<pid_t>(p.processId()), signal);
        const CliResult r = CliFolder::Finish(p);
        sim.ReleaseAnswers();
        EXPECT_EQ(r.status, 1) << signal;
        EXPECT_NE(r.err.find("kv47310-cli: interrupted\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("did not answer"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(folder.Files(), std::vector<std::string>{}) << signal;
    }
}

}  // namespace
}  // namespace kv::test
