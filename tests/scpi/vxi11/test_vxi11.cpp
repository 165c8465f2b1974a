// The SCPI network analyzer over VXI-11 (liblxi) against the VXI-11 test server at 127.0.0.1,
// inside a private network namespace: a calibration and measurement through the document, and a
// timeout after which the driver links anew so that the late answer is never read.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cmath>

#include "ScpiDriver.h"
#include "Vxi11Server.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "instrument/LanCardId.h"
#include "persist/ProfileStore.h"
#include "probe/Standards.h"
#include "scpi/ScpiEndToEnd.h"
#include "scpi/ScpiRegistry.h"
#include "scpi/ScpiSimulator.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

std::string g_noNetwork;  // why no private network namespace could be made; empty when it could

class Vxi11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!g_noNetwork.empty()) {
            GTEST_SKIP() << "VXI-11 needs its own portmapper at port 111: " << g_noNetwork;
        }
    }
};

// Air, shorting block and water, then methanol over a logarithmic (segment) sweep, the replies
// given in pieces of 700 bytes: methanol within 0.1 % of |eps|.
TEST_F(Vxi11, CalibrationAndMeasurementGiveTheSample) {
    ScpiSimulator sim(SimFamily::NamedMeasurements);
    Vxi11Server server(sim);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    server.SetPieceBytes(700);
    ScpiSettings settings;
    settings.family = SimFamilyName(SimFamily::NamedMeasurements);
    ExpectMethanolThroughTheDocument(sim, settings, "inst0", SweepKind::Logarithmic);
}

// An analyzer that does not answer within the read timeout: the driver says so, drops the link,
// and the next measurement on a new link reads its own answers (the simulator's numbers to the
// bit), not the one that was kept back. A device name the server does not have is named in the
// message.
TEST_F(Vxi11, ATimeoutEndsTheLinkAndTheNextOneReadsItsOwnAnswers) {
    ScpiSimulator sim(SimFamily::NumberedTraces);
    Vxi11Server server(sim);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ScpiSettings settings;
    settings.family = SimFamilyName(SimFamily::NumberedTraces);
    settings.timeout = 0.3;
    ScpiDriver d(settings, {KV_SCPI_TABLES});
    ASSERT_EQ(d.SelectGpibCard(kLanCardClsid), 0);
    ASSERT_EQ(d.SetAddresses("127.0.0.1", "inst0"), 0) << d.LastError();
    ASSERT_EQ(d.CheckInstrument(), 0) << d.LastError();
    ASSERT_EQ(d.OpenInstrument("127.0.0.1", "inst0"), 0) << d.LastError();
    ASSERT_EQ(d.Initialize(), 0);
    ASSERT_EQ(d.Preset(), 0) << d.LastError();
    std::vector<double> f;
    for (int i = 0; i < 21; ++i) {
        f.push_back(300e6 + i * 135e6);
    }
    ASSERT_EQ(d.SetFrequencyList(f, 21, 0), 0) << d.LastError();
    EXPECT_EQ(server.LinksCreated(), 1);

    d.BeginCalibration();
    sim.SetMaterial(DemoMaterial::Water(25.0));
    std::vector<CComplex> raw(21);
    server.SetHoldReads(true);
    EXPECT_NE(d.MeasureTrace(raw), 0);
    // The sweep-time query serves only an estimate: its timeout ends one link, the next query's
    // another.
    EXPECT_EQ(d.LastError(), "The analyzer did not answer within 0.3 s. (SYST:ERR?)");
    EXPECT_EQ(server.LinksOpen(), 0);
    server.SetHoldReads(false);
    ASSERT_EQ(d.MeasureTrace(raw), 0) << d.LastError();
    EXPECT_EQ(server.LinksCreated(), 3);
    EXPECT_EQ(server.LinksOpen(), 1);
    ProbeModel model;
    model.LoadProbeCoefficients(1);
    for (std::size_t i = 0; i < f.size(); ++i) {
        const CComplex expected = ScpiSimulator::RawAt(model, DemoMaterial::Water(25.0), f[i]);
        EXPECT_EQ(raw[i].re, expected.re) << i;
        EXPECT_EQ(raw[i].im, expected.im) << i;
    }

    ASSERT_EQ(d.SetAddresses("127.0.0.1", "gpib0,5"), 0);
    EXPECT_NE(d.CheckInstrument(), 0);
    EXPECT_EQ(d.LastError(),
              "The analyzer took 0 of 6 bytes over VXI-11; is \"gpib0,5\" its device name?");
}

}  // namespace
}  // namespace kv::test

int main(int argc, char** argv) {
    // Before any thread starts: a user namespace needs a process of one thread.
    std::string why;
    if (!kv::test::EnterPrivateNetwork(why)) {
        kv::test::g_noNetwork = why.empty() ? "no private network namespace" : why;
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
