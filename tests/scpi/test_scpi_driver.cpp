// The SCPI network analyzer driver against the simulated analyzer of each command family, over
// 127.0.0.1: a whole calibration and measurement through the document, and what an analyzer can
// do wrong.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>

#include "ScpiDriver.h"
#include "ScpiEndToEnd.h"
#include "ScpiRegistry.h"
#include "ScpiSimulator.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "instrument/IListSweep.h"
#include "instrument/LanCardId.h"
#include "persist/ProfileStore.h"
#include "probe/Standards.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

// The simulator's server thread runs an event loop, which needs an application object.
class CoreEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_scpi";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // lives as long as the test program
        }
    }
};
[[maybe_unused]] const auto* const kCore = ::testing::AddGlobalTestEnvironment(new CoreEnvironment);

ScpiSettings SettingsFor(SimFamily family) {
    ScpiSettings s;
    s.family = SimFamilyName(family);
    return s;
}

std::unique_ptr<ScpiDriver> Connected(ScpiSimulator& sim, SimFamily family, ScpiSettings settings) {
    settings.family = SimFamilyName(family);
    auto d = std::make_unique<ScpiDriver>(settings, std::vector<std::string>{KV_SCPI_TABLES});
    const int port = sim.Start();
    EXPECT_NE(port, 0);
    EXPECT_EQ(d->SelectGpibCard(kLanCardClsid), 0);
    EXPECT_EQ(d->SetAddresses("127.0.0.1", std::to_string(port)), 0);
    EXPECT_EQ(d->CheckInstrument(), 0) << d->LastError();
    EXPECT_EQ(d->OpenInstrument("127.0.0.1", std::to_string(port)), 0) << d->LastError();
    EXPECT_EQ(d->Initialize(), 0);
    EXPECT_EQ(d->Preset(), 0) << d->LastError();
    return d;
}

std::vector<double> Linear(double a, double b, int n) {
    std::vector<double> f;
    for (int i = 0; i < n; ++i) {
        f.push_back(a + i * ((b - a) / (n - 1)));
    }
    return f;
}

struct EndToEnd {
    SimFamily family;
    SweepKind sweepType;
};

void PrintTo(const EndToEnd& c, std::ostream* os) {
    *os << SimFamilyName(c.family) << (c.sweepType == SweepKind::Logarithmic ? " log" : " linear");
}

class ScpiEndToEnd : public ::testing::TestWithParam<EndToEnd> {};

// Air, shorting block and water, then methanol: the operator puts at the probe what each prompt
// asks for, and the document's result is methanol within 0.1 % of |eps|.
TEST_P(ScpiEndToEnd, CalibrationAndMeasurementGiveTheSample) {
    const EndToEnd c = GetParam();
    ScpiSimulator sim(c.family);
    const int port = sim.Start();
    ASSERT_NE(port, 0);
    ExpectMethanolThroughTheDocument(sim, SettingsFor(c.family), std::to_string(port), c.sweepType);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ScpiEndToEnd,
    ::testing::Values(EndToEnd{SimFamily::NumberedTraces, SweepKind::Linear},
                      EndToEnd{SimFamily::NumberedTraces, SweepKind::Logarithmic},
                      EndToEnd{SimFamily::NamedMeasurements, SweepKind::Linear},
                      EndToEnd{SimFamily::NamedMeasurements, SweepKind::Logarithmic},
                      EndToEnd{SimFamily::NamedChannelTraces, SweepKind::Linear},
                      EndToEnd{SimFamily::NamedChannelTraces, SweepKind::Logarithmic},
                      EndToEnd{SimFamily::HoldFunction, SweepKind::Linear},
                      EndToEnd{SimFamily::HoldFunction, SweepKind::Logarithmic},
                      EndToEnd{SimFamily::Generic, SweepKind::Linear}),
    [](const auto& info) {
        std::string name = SimFamilyName(info.param.family);
        name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
        return name + (info.param.sweepType == SweepKind::Logarithmic ? "Log" : "Linear");
    });

// Raw data between BeginCalibration and DownloadCalibration are the simulator's numbers to the
// bit, in either byte order and as text; corrected data use the downloaded terms; an aborted
// prompt sequence brings the last terms back.
TEST(ScpiDriver, RawAndCorrectedData) {
    for (SimFamily family : {SimFamily::NumberedTraces, SimFamily::NamedChannelTraces,
                             SimFamily::HoldFunction, SimFamily::Generic}) {
        for (bool ascii : {false, true}) {
            ScpiSimulator sim(family);
            SimFaults faults;
            faults.asciiAlways = ascii;
            faults.pieceBytes = 97;
            sim.SetFaults(faults);
            auto d = Connected(sim, family, {});
            const auto f = Linear(300e6, 3e9, 21);
            ASSERT_EQ(d->SetFrequencyList(f, 21, 0), 0) << d->LastError();
            sim.SetMaterial(DemoMaterial::Water(25.0));
            std::vector<CComplex> raw(21);
            d->BeginCalibration();
            ASSERT_EQ(d->MeasureTrace(raw), 0) << d->LastError();
            ProbeModel model;
            model.LoadProbeCoefficients(1);
            for (std::size_t i = 0; i < f.size(); ++i) {
                const CComplex expected =
                    ScpiSimulator::RawAt(model, DemoMaterial::Water(25.0), f[i]);
                EXPECT_EQ(raw[i].re, expected.re) << i;
                EXPECT_EQ(raw[i].im, expected.im) << i;
            }
            // Terms d00 = 0.1, d11 = 0, d01 = 2: corrected = (raw - 0.1) / 2.
            const std::vector<CComplex> d00(21, CComplex(0.1, 0)), d11(21, CComplex(0, 0)),
                d01(21, CComplex(2, 0));
            ASSERT_EQ(d->DownloadCalibration(d00, d11, d01), 0);
            std::vector<CComplex> corrected(21);
            ASSERT_EQ(d->ReadTrace(corrected), 0) << d->LastError();
            EXPECT_DOUBLE_EQ(corrected[3].re, (raw[3].re - 0.1) / 2);
            EXPECT_DOUBLE_EQ(corrected[3].im, raw[3].im / 2);
            d->BeginCalibration();
            ASSERT_EQ(d->ReadTrace(corrected), 0);
            EXPECT_EQ(corrected[3].re, raw[3].re);
            d->ClearMessage();  // the prompt sequence was aborted
            ASSERT_EQ(d->ReadTrace(corrected), 0);
            EXPECT_DOUBLE_EQ(corrected[3].re, (raw[3].re - 0.1) / 2);
        }
    }
}

// Every way an analyzer can fail ends the operation with a message that says what went wrong,
// and the next operation works on a fresh connection.
TEST(ScpiDriver, FailuresAreReportedAndTheConnectionRecovers) {
    ScpiSimulator sim(SimFamily::NumberedTraces);
    ScpiSettings settings;
    settings.timeout = 0.3;
    auto d = Connected(sim, SimFamily::NumberedTraces, settings);
    ASSERT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 201), 201, 0), 0) << d->LastError();
    std::vector<CComplex> trace(201);

    struct Case {
        const char* name;
        SimFaults faults;
        std::string message;
    };
    SimFaults drop, hold, malformed, missing;
    drop.dropMidBlock = true;
    hold.holdAnswers = true;
    malformed.malformedBlock = true;
    missing.missingValues = 2;
    const std::vector<Case> cases = {
        {"dropped", drop,
         "The analyzer closed the connection in the middle of an answer. (:CALC1:DATA:SDAT?)"},
        {"slow", hold, "The analyzer did not answer within 0.3 s. (SYST:ERR?)"},
        {"malformed", malformed,
         "The analyzer's answer does not read: The block length \"x216\" is not a number. "
         "(:CALC1:DATA:SDAT?)"},
        {"missing", missing,
         "The analyzer sent 400 numbers for the measurement where 402 were expected."},
    };
    for (const auto& c : cases) {
        sim.SetFaults(c.faults);
        EXPECT_NE(d->MeasureTrace(trace), 0) << c.name;
        EXPECT_EQ(d->LastError(), c.message) << c.name;
        sim.ReleaseAnswers();
        sim.SetFaults({});
        EXPECT_EQ(d->MeasureTrace(trace), 0) << c.name << ": " << d->LastError();
    }

    // An error in the analyzer's queue, with its number and text.
    SimFaults refused;
    refused.refusedHeader = ":SENS1:BAND";
    sim.SetFaults(refused);
    std::string error;
    EXPECT_FALSE(d->SetRunSetting("ifbw", "100", error));
    EXPECT_EQ(error,
              "The analyzer reported error -222, \"Data out of range\", after the IF bandwidth, "
              "power and averaging were set.");
    EXPECT_EQ(d->Settings().ifBandwidth, 1000.0);
    EXPECT_FALSE(d->SetRunSetting("average", "2.5", error));
    EXPECT_EQ(error, "The averaging count must be a whole number from 1 to 1000.");
    sim.SetFaults({});

    // A frequency axis 5 Hz off at one point: no measurement until a sweep reads back.
    SimFaults shifted;
    shifted.shiftedPoint = 7;
    sim.SetFaults(shifted);
    EXPECT_NE(d->SetFrequencyList(Linear(1e9, 2e9, 201), 201, 0), 0);
    const std::string mismatch =
        "The analyzer measures point 8 at 1.035000 GHz instead of 1.035000 GHz.";
    EXPECT_EQ(d->LastError(), mismatch);
    EXPECT_NE(d->MeasureTrace(trace), 0);
    EXPECT_EQ(d->LastError(), mismatch);
    sim.SetFaults({});
    EXPECT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 201), 201, 0), 0);
    EXPECT_EQ(d->MeasureTrace(trace), 0);

    // Another card is refused.
    EXPECT_NE(d->SelectGpibCard("{FEA82D79-C945-4487-82CB-28C1E3267370}"), 0);
    EXPECT_EQ(d->LastError(),
              "The SCPI network analyzer works only on the LAN (TCP/IP) card and the USBTMC card.");
}

// A family without a segment sweep offers no logarithmic sweep; one without an external trigger
// says so; a command the analyzer does not know comes back as -113.
TEST(ScpiDriver, WhatAFamilyDoesNotHave) {
    ScpiSimulator sim(SimFamily::Generic);
    QTemporaryDir dir;
    const QString extra = dir.filePath("mine.tables");
    QFile file(extra);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[broken]\nbyte-order = normal\npreset = :NOT:A:COMMAND\n");
    file.close();

    auto d = Connected(sim, SimFamily::Generic, {});
    EXPECT_EQ(d->QueryLogSweepSupport(), kLogSweepNotOffered);
    std::vector<double> log = {1e9, 2e9, 3e9, 4e9, 5e9, 6e9, 7e9, 8e9, 9e9, 10e9, 11e9};
    EXPECT_NE(d->SetFrequencyList(log, 11, 1), 0);
    const std::string refused =
        "The analyzer's command family (generic) has no segment sweep, so the logarithmic sweep "
        "is not offered.";
    EXPECT_EQ(d->LastError(), refused);
    std::vector<CComplex> trace(11);
    EXPECT_NE(d->MeasureTrace(trace), 0);
    EXPECT_EQ(d->LastError(), refused);
    EXPECT_EQ(d->ArmExternalTrigger(), kTriggerNotSupported);

    ScpiSettings settings;
    settings.family = "broken";
    settings.tablesFile = extra.toStdString();
    ScpiDriver broken(settings, {KV_SCPI_TABLES});
    ASSERT_EQ(broken.SelectGpibCard(kLanCardClsid), 0);
    ASSERT_EQ(broken.SetAddresses("127.0.0.1", std::to_string(sim.Start())), 0);
    ASSERT_EQ(broken.CheckInstrument(), 0);
    ASSERT_EQ(broken.OpenInstrument("", ""), 0);
    EXPECT_NE(broken.Preset(), 0);
    EXPECT_EQ(broken.LastError(),
              "The analyzer reported error -113, \"Undefined header\", after the preset.");
}

// 50 MHz to 1 GHz in 101 points, then on to 20 GHz in 199 steps of 19/199 GHz: 300 points,
// two linear runs, the second from 1.0954773869 GHz.
std::vector<double> TwoRunList() {
    auto list = Linear(50e6, 1e9, 101);
    const auto upper = Linear(1e9, 20e9, 200);
    list.insert(list.end(), upper.begin() + 1, upper.end());
    return list;
}

bool Within1Hz(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](double x, double y) { return std::fabs(x - y) <= 1.0; });
}

// The shipped table of a family, amended by `edit`, as a tables file in `dir`; its path.
std::string ShippedTableWith(const QTemporaryDir& dir, const std::string& family,
                             const std::function<void(std::string&)>& edit) {
    QFile shipped(KV_SCPI_TABLES);
    EXPECT_TRUE(shipped.open(QIODevice::ReadOnly));
    std::string text = shipped.readAll().toStdString();
    text = text.substr(text.find("[" + family + "]"));
    text = text.substr(0, text.find("\n[")) + "\n";
    edit(text);
    QFile file(dir.filePath(QString::fromStdString(family) + ".tables"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.c_str());
    return file.fileName().toStdString();
}

// Every family with a segment table sweeps the list as its two runs, in the family's own
// commands, measures it and reads it back; the read-back follows linear and logarithmic sweeps
// too; the calibration state of a list restores the list that is set and no other.
TEST(ScpiDriver, AListIsSweptAsTheSegmentsOfItsRuns) {
    const std::vector<std::pair<SimFamily, std::vector<std::string>>> cases = {
        {SimFamily::NumberedTraces,
         {":SENS1:SEGM:DATA 5,0,0,0,0,0,2,50000000,1000000000,101,1095477386.93467,20000000000,"
          "199"}},
        {SimFamily::NamedMeasurements,
         {":SENS1:SEGM2:ADD", ":SENS1:SEGM2:FREQ:STAR 1095477386.93467",
          ":SENS1:SEGM2:FREQ:STOP 20000000000", ":SENS1:SEGM2:SWE:POIN 199"}},
        {SimFamily::NamedChannelTraces, {":SENS1:SEGM1:FREQ:STAR 50000000", ":SENS1:SEGM2 ON"}},
        {SimFamily::HoldFunction,
         {":SENS1:FSEGM1:SWE:POIN 101", ":SENS1:FSEGM2:FREQ:STOP 20000000000"}},
    };
    const auto list = TwoRunList();
    for (const auto& [family, commands] : cases) {
        SCOPED_TRACE(SimFamilyName(family));
        ScpiSimulator sim(family);
        auto d = Connected(sim, family, {});
        EXPECT_EQ(d->ListRefusal(list), "");
        ASSERT_EQ(d->SetFrequencyList(list, 300, kListSweep), 0) << d->LastError();
        const auto received = sim.Received();
        for (const auto& command : commands) {
            EXPECT_NE(std::find(received.begin(), received.end(), command), received.end())
                << command;
        }
        std::vector<CComplex> trace(300);
        EXPECT_EQ(d->MeasureTrace(trace), 0) << d->LastError();
        std::vector<double> back;
        ASSERT_EQ(d->GetFrequencyList(back), 0) << d->LastError();
        EXPECT_TRUE(Within1Hz(back, list));

        CalState state{};
        std::uint16_t size = 0;
        ASSERT_EQ(d->SaveCalibrationState(state, size), 0);
        EXPECT_EQ(d->RestoreCalibrationState(state, size), 0) << d->LastError();
        ASSERT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 11), 11, kLinearSweep), 0);
        ASSERT_EQ(d->GetFrequencyList(back), 0);
        EXPECT_TRUE(Within1Hz(back, Linear(1e9, 2e9, 11)));
        EXPECT_NE(d->RestoreCalibrationState(state, size), 0);
        EXPECT_EQ(d->LastError(),
                  "The stored calibration state belongs to a list of 300 frequencies from "
                  "0.050000 GHz to 20.000000 GHz, which is not the list that is set.");
        const std::vector<double> log = {1e9, 2e9, 3e9, 4e9, 5e9, 6e9, 7e9, 8e9, 9e9, 10e9, 11e9};
        ASSERT_EQ(d->SetFrequencyList(log, 11, kLogarithmicSweep), 0) << d->LastError();
        ASSERT_EQ(d->GetFrequencyList(back), 0);
        EXPECT_TRUE(Within1Hz(back, log));
    }
}

// A family whose table reads the sweep back from its segment table (no axis query): the list, a
// linear and a logarithmic sweep come back from the analyzer's answers.
TEST(ScpiDriver, TheSweepReadBackFromTheSegmentTable) {
    QTemporaryDir dir;
    const std::string tables = ShippedTableWith(dir, "named-channel-traces", [](std::string& t) {
        const std::size_t axis = t.find("axis = ");
        t.erase(axis, t.find('\n', axis) + 1 - axis);
        t.replace(t.find("list-readback = axis"), 20, "list-readback = segments");
        t +=
            "stop = :SENS1:FREQ:STOP?\n"
            "segment-count = :SENS1:SEGM:COUN?\nsegment-start = :SENS1:SEGM{n}:FREQ:STAR?\n"
            "segment-stop = :SENS1:SEGM{n}:FREQ:STOP?\nsegment-points = :SENS1:SEGM{n}:SWE:POIN?\n";
    });
    ScpiSimulator sim(SimFamily::NamedChannelTraces);
    ScpiSettings settings;
    settings.tablesFile = tables;
    auto d = Connected(sim, SimFamily::NamedChannelTraces, settings);
    const std::vector<double> log = {1e9, 2e9, 3e9, 4e9, 5e9, 6e9, 7e9, 8e9, 9e9, 10e9, 11e9};
    const std::vector<std::pair<int, std::vector<double>>> sweeps = {
        {kListSweep, TwoRunList()}, {kLinearSweep, Linear(1e9, 2e9, 11)}, {kLogarithmicSweep, log}};
    for (const auto& [kind, list] : sweeps) {
        ASSERT_EQ(d->SetFrequencyList(list, static_cast<int>(list.size()), kind), 0)
            << d->LastError();
        std::vector<double> back;
        ASSERT_EQ(d->GetFrequencyList(back), 0) << d->LastError();
        EXPECT_TRUE(Within1Hz(back, list)) << kind;
    }
    const auto received = sim.Received();
    EXPECT_NE(std::find(received.begin(), received.end(), ":SENS1:SEGM11:SWE:POIN?"),
              received.end());
    EXPECT_EQ(std::find(received.begin(), received.end(), ":CALC1:DATA:STIM?"), received.end());
}

// A family without a segment table refuses any list; a list of more runs than the table holds
// is refused with both counts (200 points in geometric ratio are 100 runs of two). Neither sends
// a command.
TEST(ScpiDriver, ListsAFamilyCannotSweep) {
    QTemporaryDir dir;
    const std::string small = ShippedTableWith(dir, "numbered-traces", [](std::string& t) {
        t.replace(t.find("max-segments = 201"), 18, "max-segments = 50");
    });

    std::vector<double> geometric;
    for (int i = 0; i < 200; ++i) {
        geometric.push_back(1e6 * std::pow(10.0, 4.0 * i / 199));
    }
    struct Case {
        SimFamily family;
        std::string tablesFile;
        std::vector<double> list;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {SimFamily::Generic, "", TwoRunList(),
         "The analyzer's command family (generic) has no segment table, so it cannot sweep a list "
         "of frequencies."},
        {SimFamily::NumberedTraces, small, geometric,
         "The list of 200 frequencies makes 100 runs of equally spaced points, but the segment "
         "table of the analyzer's command family (numbered-traces) holds at most 50 segments."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SimFamilyName(c.family));
        ScpiSimulator sim(c.family);
        ScpiSettings settings;
        settings.tablesFile = c.tablesFile;
        auto d = Connected(sim, c.family, settings);
        EXPECT_EQ(d->ListRefusal(c.list), c.refusal);
        const std::size_t before = sim.Received().size();
        EXPECT_NE(d->SetFrequencyList(c.list, static_cast<int>(c.list.size()), kListSweep), 0);
        EXPECT_EQ(d->LastError(), c.refusal);
        EXPECT_EQ(sim.Received().size(), before);
    }
}

// The external trigger, the calibration state and the identification.
TEST(ScpiDriver, TriggerStateAndName) {
    ScpiSimulator sim(SimFamily::NumberedTraces,
                      "Nowhere Instruments,SIM-VNA," + std::string(200, '7') + " \r");
    auto d = Connected(sim, SimFamily::NumberedTraces, {});
    std::string name;
    d->GetInstrumentName(name);
    EXPECT_EQ(name.size(), 199u);
    EXPECT_EQ(name.substr(0, 28), "Nowhere Instruments,SIM-VNA,");

    // The prompt on the analyzer's display, without the quotes a command cannot carry.
    EXPECT_EQ(d->ShowMessage("Insert the probe into \"sample\"."), 0);
    EXPECT_EQ(sim.DisplayTitle(), "Insert the probe into  sample .");

    ASSERT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 11), 11, 0), 0);
    const int before = sim.Sweeps();
    ASSERT_EQ(d->ArmExternalTrigger(), 0) << d->LastError();
    EXPECT_EQ(d->PollExternalTrigger(), kTriggerStillWaiting);
    EXPECT_EQ(sim.Sweeps(), before);
    sim.FireTrigger();
    EXPECT_EQ(d->PollExternalTrigger(), 0) << d->LastError();
    EXPECT_EQ(sim.Sweeps(), before + 1);
    std::vector<CComplex> trace(11);
    EXPECT_EQ(d->ReadTrace(trace), 0);
    EXPECT_EQ(sim.Sweeps(), before + 1);

    ASSERT_EQ(d->SetRunSetting("power", "-10", name), true) << name;
    CalState state{};
    std::uint16_t size = 0;
    ASSERT_EQ(d->SaveCalibrationState(state, size), 0);
    // A fresh connection restores the sweep and the settings and reads the axis back.
    ScpiSimulator other(SimFamily::NumberedTraces);
    auto e = Connected(other, SimFamily::NumberedTraces, {});
    ASSERT_EQ(e->RestoreCalibrationState(state, size), 0) << e->LastError();
    EXPECT_EQ(e->Settings().power, -10.0);
    EXPECT_EQ(e->Axis(), Linear(1e9, 2e9, 11));
    CalState bad = state;
    bad[40] ^= 1;
    EXPECT_NE(e->RestoreCalibrationState(bad, size), 0);
    EXPECT_EQ(e->LastError(),
              "The stored calibration state is not one of the SCPI network analyzer.");
    ScpiSimulator generic(SimFamily::Generic);
    auto g = Connected(generic, SimFamily::Generic, {});
    EXPECT_NE(g->RestoreCalibrationState(state, size), 0);
    EXPECT_EQ(g->LastError(),
              "The stored calibration state belongs to the command family numbered-traces, not "
              "generic.");
}

// The families whose sweeps are started by INIT with a trace defined by name, and by the hold
// function: the external trigger takes exactly one sweep and hands the analyzer back to the
// driver's own sweeps; the prompt reaches the display without quotes; averaging restarts the
// average before the sweep; numbers as text are asked for in the family's own words.
TEST(ScpiDriver, TriggerPromptAndAveragingOfTheNewerFamilies) {
    for (SimFamily family : {SimFamily::NamedChannelTraces, SimFamily::HoldFunction}) {
        SCOPED_TRACE(SimFamilyName(family));
        ScpiSimulator sim(family);
        ScpiSettings settings;
        settings.averaging = 3;
        settings.asciiTransfer = true;
        auto d = Connected(sim, family, settings);
        ASSERT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 11), 11, 0), 0) << d->LastError();

        EXPECT_EQ(d->ShowMessage("Put 'water' at the probe."), 0);
        EXPECT_EQ(sim.DisplayTitle(), "Put  water  at the probe.");

        const int before = sim.Sweeps();
        ASSERT_EQ(d->ArmExternalTrigger(), 0) << d->LastError();
        EXPECT_EQ(d->PollExternalTrigger(), kTriggerStillWaiting);
        EXPECT_EQ(sim.Sweeps(), before);
        sim.FireTrigger();
        EXPECT_EQ(d->PollExternalTrigger(), 0) << d->LastError();
        EXPECT_EQ(sim.Sweeps(), before + 1);

        // Back on the driver's trigger: one measurement is one (averaged) sweep, no more.
        std::vector<CComplex> trace(11);
        ASSERT_EQ(d->MeasureTrace(trace), 0) << d->LastError();
        EXPECT_EQ(sim.Sweeps(), before + 2);
        const auto received = sim.Received();
        const auto clear = std::find(received.begin(), received.end(), ":SENS1:AVER:CLE");
        ASSERT_NE(clear, received.end());
        EXPECT_EQ(*(clear + 1),
                  family == SimFamily::HoldFunction ? ":SENS1:HOLD:FUNC SING" : ":INIT1");
        EXPECT_NE(std::find(received.begin(), received.end(), ":SENS1:AVER:COUN 3"),
                  received.end());
    }
}

// Analyzers whose sweeps complete only by *OPC? and that answer no sweep-time query are measured
// end to end: by the table that waits by *OPC?, and by a table that polls the event bit, which
// asks *OPC? once when polling has seen no completion.
TEST(ScpiEndToEndCompletion, AnalyzerThatCompletesOnlyByOpcQuery) {
    for (const char* family : {"numbered-traces-opc", "numbered-traces"}) {
        SCOPED_TRACE(family);
        ScpiSimulator sim(SimFamily::NumberedTraces);
        SimFaults faults;
        faults.opcQueryOnly = true;
        faults.refuseSweepTime = true;
        sim.SetFaults(faults);
        const int port = sim.Start();
        ASSERT_NE(port, 0);
        ScpiSettings settings;
        settings.family = family;
        settings.timeout = 1.0;
        ExpectMethanolThroughTheDocument(sim, settings, std::to_string(port), SweepKind::Linear);
        // The sweep-time query is asked once per connection, *OPC? once per sweep.
        const auto received = sim.Received();
        EXPECT_EQ(std::count(received.begin(), received.end(), ":SENS1:SWE:TIME?"), 1);
        EXPECT_EQ(std::count(received.begin(), received.end(), "*OPC?"), 4);
    }
}

// The reported sweep time sets the wait only when it lies within 0 to 3600 s; otherwise, and when
// the query is refused, the wait is the timeout. A sweep that never completes ends within it.
TEST(ScpiDriver, ReportedSweepTimeBoundsTheWait) {
    struct Case {
        double reported;
        bool refused, never;
        double wait;
    };
    for (const Case c : {Case{-10.0015, false, false, 0.3}, Case{1e6, false, false, 0.3},
                         Case{3600.5, false, false, 0.3}, Case{0.05, false, false, 0.4},
                         Case{0.05, true, false, 0.3}, Case{-10.0015, false, true, 0.3}}) {
        SCOPED_TRACE(c.reported);
        ScpiSimulator sim(SimFamily::NumberedTraces);
        SimFaults faults;
        faults.sweepTime = c.reported;
        faults.refuseSweepTime = c.refused;
        faults.neverCompletes = c.never;
        sim.SetFaults(faults);
        ScpiSettings settings;
        settings.timeout = 0.3;
        settings.averaging = 2;
        auto d = Connected(sim, SimFamily::NumberedTraces, settings);
        ASSERT_EQ(d->SetFrequencyList(Linear(1e9, 2e9, 11), 11, 0), 0) << d->LastError();
        std::vector<CComplex> trace(11);
        EXPECT_EQ(d->MeasureTrace(trace), c.never ? kNotDone : 0);
        EXPECT_EQ(d->LastError(),
                  c.never ? "The analyzer did not complete its sweep in time." : "");
        EXPECT_DOUBLE_EQ(d->SweepWait(), c.wait);
    }
}

// Each model the documentation names picks the table of its command style by its
// identification; one that no pattern matches gets the generic table, which the connection and
// the failures of its commands say.
TEST(ScpiTables, IdentificationPicksTheTable) {
    QFile file(KV_SCPI_TABLES);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<ScpiTable> tables;
    std::string error;
    ASSERT_TRUE(ParseScpiTables(file.readAll().toStdString(), tables, error)) << error;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Nowhere Instruments,E5071C,0001,1.0", "numbered-traces"},
        {"Nowhere Instruments,N5224B,0001,1.0", "named-measurements"},
        {"Nowhere Instruments,E5080A,0001,1.0", "named-measurements"},
        {"Nowhere Instruments,E5080B,0002,A.1", "named-measurements"},
        {"Nowhere Instruments,P5004A,0003,A.1", "named-measurements"},
        {"Nowhere Instruments,P5024B,0004,A.1", "named-measurements"},
        {"Nowhere Instruments,P9375A,0005,A.1", "named-measurements"},
        {"Nowhere Instruments,ZNB20-2Port,0006,1.0", "named-channel-traces"},
        {"Nowhere Instruments,MS46522B,0007,1.0", "hold-function"},
        {"CMT,S5048,0008,1.0", "numbered-traces-opc"},
        {"CMT,C1220,0009,1.0", "numbered-traces-opc"},
        {"Planar,TR1300/1,0010,1.0", "numbered-traces-opc"},
        {"Nowhere Instruments,SNA5012A,0011,1.0", "numbered-traces-opc"},
        {"Nowhere Instruments,SNA5034A,0012,1.0", "numbered-traces-opc"},
        {"Nowhere Instruments,E50801B,0013,1.0", "generic"},
        {"Nowhere Instruments,SIM-VNA,0014,1.0", "generic"},
    };
    for (const auto& [idn, table] : cases) {
        bool matched = false;
        const ScpiTable* t = PickScpiTable(tables, idn, &matched);
        ASSERT_NE(t, nullptr) << idn;
        EXPECT_EQ(t->name, table) << idn;
        EXPECT_EQ(matched, table != "generic") << idn;
    }

    ScpiSimulator sim(SimFamily::Generic);
    SimFaults refused;
    refused.refusedHeader = "*RST";
    sim.SetFaults(refused);
    ScpiDriver d({}, {KV_SCPI_TABLES});
    ASSERT_EQ(d.SelectGpibCard(kLanCardClsid), 0);
    ASSERT_EQ(d.SetAddresses("127.0.0.1", std::to_string(sim.Start())), 0);
    ASSERT_EQ(d.OpenInstrument("", ""), 0) << d.LastError();
    EXPECT_EQ(d.ConnectionNote(),
              "No command table matches \"Nowhere Instruments,SIM-VNA,0001,1.0\"; the generic "
              "table is used. Choose another with the family setting of the SCPI network "
              "analyzer ([ScpiAnalyzer] family).");
    EXPECT_NE(d.Preset(), 0);
    EXPECT_EQ(d.LastError(),
              "The analyzer reported error -222, \"Data out of range\", after the preset. No "
              "command table matches the analyzer's identification, so the generic table is in "
              "use; choose the table of its command family with the family setting of the SCPI "
              "network analyzer ([ScpiAnalyzer] family).");
}

// The settings page lists "automatic" and the tables the driver read; what it stores is what the
// next driver loads, and a value out of range stores nothing.
TEST(ScpiDriver, SettingsPageDescribesTheTablesAndStoresWhatTheNextDriverReads) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName("kv-test");
    QCoreApplication::setApplicationName("scpi-settings-page");
    ScpiDriver driver(ScpiSettings{}, {KV_SOURCE_DIR "/components/scpi/scpi-analyzers.tables"});
    const std::vector<SettingDescription> page = driver.DescribeSettings();
    std::vector<std::string> keys;
    for (const auto& s : page) {
        keys.push_back(s.key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"family", "timeout", "ifbw", "power", "average",
                                              "noise", "ascii", "tables"}));
    ASSERT_GE(page[0].choices.size(), 2u);
    EXPECT_EQ(page[0].choices[0].value, "");
    EXPECT_EQ(page[0].choices.back().value, "generic");
    EXPECT_EQ(page[1].value, "10");

    std::map<std::string, std::string> values = {{"family", "hold-function"},
                                                 {"timeout", "2.5"},
                                                 {"ifbw", "300"},
                                                 {"power", "-5"},
                                                 {"average", "4"},
                                                 {"ascii", "true"},
                                                 {"tables", ""}};
    std::string error;
    ASSERT_TRUE(driver.StoreSettings(values, error)) << error;
    values["average"] = "0";
    values["timeout"] = "7";
    EXPECT_FALSE(driver.StoreSettings(values, error));
    EXPECT_EQ(error, "The averaging count must be a whole number from 1 to 1000.");
    const ScpiSettings loaded = LoadScpiSettings();
    EXPECT_EQ(loaded.family, "hold-function");
    EXPECT_EQ(loaded.timeout, 2.5);
    EXPECT_EQ(loaded.ifBandwidth, 300.0);
    EXPECT_EQ(loaded.power, -5.0);
    EXPECT_EQ(loaded.averaging, 4);
    EXPECT_TRUE(loaded.asciiTransfer);
}

// The trace noise a driver states to the program: its "noise" setting, 0 to 1, 0 stating none.
TEST(ScpiDriver, TheNoiseSettingIsTheStatedTraceNoise) {
    ScpiDriver driver(ScpiSettings{}, {});
    const ITraceNoise& stated = driver;
    EXPECT_EQ(stated.TraceNoise(), 0.0);
    EXPECT_FALSE(stated.RepeatsOneSweep());
    std::string error;
    ASSERT_TRUE(driver.SetRunSetting("noise", "0.002", error)) << error;
    EXPECT_EQ(stated.TraceNoise(), 0.002);
    EXPECT_FALSE(driver.SetRunSetting("noise", "1.5", error));
    EXPECT_EQ(error, "The trace noise must lie between 0 and 1.");
    EXPECT_EQ(stated.TraceNoise(), 0.002);
}

}  // namespace
}  // namespace kv::test
