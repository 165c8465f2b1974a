// kv47310-cli with the SCPI analyzer and LAN card plugins against the simulated analyzer: the
// selection comes from the settings file of the run's own folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>

#include "ScpiSimulator.h"
#include "e2e/CliRun.h"
#include "instrument/LanCardId.h"
#include "probe/Standards.h"

namespace kv::test {
namespace {

void WriteSelection(const CliFolder& folder, int port, SimFamily family) {
    QDir().mkpath(
        QString::fromStdString(folder.Path("config/Local AppWizard-Generated Applications")));
    QSettings s(
        QString::fromStdString(folder.Path(
            "config/Local AppWizard-Generated Applications/Tarvel Technologies 47310C.conf")),
        QSettings::IniFormat);
    s.setValue("KV47310/IEEE GPIB CARD ADDRESS", "127.0.0.1");
    s.setValue("KV47310/INSTRUMENT ADDRESS", QString::number(port));
    s.setValue("ScpiAnalyzer/family", SimFamilyName(family));
}

TEST(ScpiCli, MeasuresMethanolWithEveryFamily) {
    const ColeCole methanol{32.66, 5.563, 0.0, 5.067e-11};
    for (SimFamily family :
         {SimFamily::NumberedTraces, SimFamily::NamedMeasurements, SimFamily::NamedChannelTraces,
          SimFamily::HoldFunction, SimFamily::Generic}) {
        ScpiSimulator sim(family);
        sim.SetSequence({DemoMaterial::Air(), DemoMaterial::Short(), DemoMaterial::Water(25.0),
                         DemoMaterial::Relaxation(methanol, "sample")});
        const int port = sim.Start();
        ASSERT_NE(port, 0);
        CliFolder folder;
        WriteSelection(folder, port, family);
        const CliResult r = folder.Run({"measure", "--instrument", "SCPI", "--card", "LAN",
                                        "--start", "300MHz", "--stop", "3GHz", "--points", "41",
                                        "--ifbw", "500", "--average", "2", "--yes"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rows = ParseRows(r.out);
        ASSERT_EQ(rows.size(), 41u) << r.err;
        for (const auto& row : rows) {
            const CComplex eps = ColeColePermittivity(row.frequency, methanol);
            const double m = std::hypot(eps.re, eps.im);
            EXPECT_LT(std::fabs(row.e1 - eps.re) / m, 1e-3) << row.frequency;
            EXPECT_LT(std::fabs(row.e2 + eps.im) / m, 1e-3) << row.frequency;
        }
        EXPECT_EQ(sim.Sweeps(), 4);
        const auto received = sim.Received();
        const std::string band =
            family == SimFamily::Generic ? ":SENS:BAND 500" : ":SENS1:BAND 500";
        EXPECT_NE(std::find(received.begin(), received.end(), band), received.end());
    }
}

TEST(ScpiCli, ARefusedSettingEndsTheRun) {
    ScpiSimulator sim(SimFamily::NumberedTraces);
    const int port = sim.Start();
    CliFolder folder;
    WriteSelection(folder, port, SimFamily::NumberedTraces);
    const CliResult r =
        folder.Run({"measure", "--instrument", "SCPI", "--card", "LAN", "--average", "0", "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kv47310-cli: --average 0: The averaging count must be a whole number "
                         "from 1 to 1000.\n"),
              std::string::npos)
        << r.err;
}

// Rows of equally spaced points are the segments a family with a segment table is sent; the generic
// family has none and refuses the list, which ends the run.
TEST(ScpiCli, AListOfLinearRowsIsSweptWhereTheFamilyHasASegmentTable) {
    for (SimFamily family : {SimFamily::NumberedTraces, SimFamily::Generic}) {
        ScpiSimulator sim(family);
        CliFolder folder;
        WriteSelection(folder, sim.Start(), family);
        const CliResult r = folder.Run({"sweep", "--instrument", "SCPI", "--card", "LAN",
                                        "--segments", "100MHz:1GHz:10,1.5GHz:3GHz:4"});
        const auto received = sim.Received();
        const bool table =
            std::count(received.begin(), received.end(),
                       ":SENS1:SEGM:DATA 5,0,0,0,0,0,2,100000000,1000000000,10,1500000000,"
                       "3000000000,4") == 1;
        if (family == SimFamily::Generic) {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find("Frequency out of range: The analyzer's command family (generic) "
                                 "has no segment table, so it cannot sweep a list of "
                                 "frequencies.\nkv47310-cli: the sweep was refused\n"),
                      std::string::npos)
                << r.err;
        } else {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_TRUE(table);
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 15) << r.out;
        }
    }
}

// Started with its standard input closed, the simulator with --until-stopped still answers, and
// SIGTERM ends it normally.
TEST(ScpiSimulatorProgram, RunsUntilStopped) {
    QProcess sim;
    sim.start(KV_SIMULATOR_PATH, {"--until-stopped"});
    ASSERT_TRUE(sim.waitForStarted());
    sim.closeWriteChannel();
    while (!sim.canReadLine()) {
        ASSERT_TRUE(sim.waitForReadyRead(10000)) << sim.readAllStandardError().toStdString();
    }
    const int port = sim.readLine().trimmed().toInt();
    ASSERT_NE(port, 0);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    ASSERT_TRUE(socket.waitForConnected(10000));
    socket.write("*IDN?\n");
    while (!socket.canReadLine()) {
        ASSERT_TRUE(socket.waitForReadyRead(10000));
    }
    EXPECT_EQ(socket.readLine().toStdString(), "Nowhere Instruments,SIM-VNA,0001,1.0\n");
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

// A run on the LAN card leaves a host and a port in the settings: the Demo analyzer, named on its
// own, gets the simulated card's addresses; named with a card it does not work with, the
// message says which cards fit. --family and --timeout hold for their run only.
TEST(ScpiCli, ALanRunLeavesNothingADemoRunCannotUse) {
    ScpiSimulator sim(SimFamily::NamedMeasurements);
    const int port = sim.Start();
    ASSERT_NE(port, 0);
    CliFolder folder;
    WriteSelection(folder, port, SimFamily::NumberedTraces);
    // The stored family is the wrong one; the run's own takes its place.
    CliResult r =
        folder.Run({"sweep", "--instrument", "SCPI", "--card", "LAN", "--points", "11", "--family",
                    SimFamilyName(SimFamily::NamedMeasurements), "--timeout", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    QSettings stored(QString::fromStdString(folder.Path(
                         "config/Local AppWizard-Generated Applications/Tarvel Technologies "
                         "47310C.conf")),
                     QSettings::IniFormat);
    EXPECT_EQ(stored.value("ScpiAnalyzer/family").toString(),
              SimFamilyName(SimFamily::NumberedTraces));
    EXPECT_FALSE(stored.contains("ScpiAnalyzer/timeout"));
    EXPECT_EQ(stored.value("KV47310/IEEE GPIB CARD ADDRESS").toString(), "127.0.0.1");

    r = folder.Run({"measure", "--instrument", "Demo", "--yes", "--points", "11"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ParseRows(r.out).size(), 11u);

    r = folder.Run({"measure", "--instrument", "Demo", "--card", "LAN", "--yes"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("kv47310-cli: the Demo analyzer does not work with the LAN (TCP/IP) "
                         "card; it works with: Simulated GPIB card\n"),
              std::string::npos)
        << r.err;
}

}  // namespace
}  // namespace kv::test
