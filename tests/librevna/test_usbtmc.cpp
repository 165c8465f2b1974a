// The SCPI analyzer's USBTMC transport on a socket pair that behaves as the kernel's usbtmc
// driver does (one transfer per read, the end-of-message bit beside it), and the SCPI analyzer
// calibrating and measuring through it.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "ScpiEndToEnd.h"
#include "UsbtmcPair.h"
#include "UsbtmcTransport.h"
#include "instrument/UsbtmcCardId.h"

namespace kv::test {
namespace {

struct Transfer {
    std::string data;
    bool end;
};

TEST(UsbtmcTransport, ReadsTransfersUntilTheEndOfMessage) {
    struct Case {
        const char* name;
        std::vector<Transfer> transfers;
        int timeoutMs;
        long long indefinite;
        bool ok;
        std::string expected;  // the answer's bytes, or the error
        int clears;            // after the one of opening
    };
    const Case cases[] = {
        {"one transfer", {{"+1.5E+09\n", true}}, 1000, -1, true, "+1.5E+09", 0},
        {"three transfers",
         {{"#216abcd", false}, {"efghijkl", false}, {"mnop\n", true}},
         1000,
         -1,
         true,
         "abcdefghijklmnop",
         0},
        {"no newline at the end",
         {{"Nowhere,SIM", false}, {"-VNA,1,2", true}},
         1000,
         -1,
         true,
         "Nowhere,SIM-VNA,1,2",
         0},
        {"the end bit in the middle of a block",
         {{"#216abcd", true}},
         1000,
         -1,
         false,
         "The analyzer's message ended in the middle of an answer.",
         0},
        {"nothing comes", {}, 50, -1, false, "The analyzer did not answer within 0.05 s.", 1},
        {"the end bit never comes",
         {{"1", false}},
         50,
         -1,
         false,
         "The analyzer did not answer within 0.05 s.",
         1},
        {"a block header that is no number",
         {{"#2x1\n", true}},
         1000,
         -1,
         false,
         "The analyzer's answer does not read: ",
         0},
    };
    for (const Case& c : cases) {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
        std::shared_ptr<SocketPairPort::Log> log;
        UsbtmcTransport transport("/dev/usbtmc0", [&](const std::string&, std::string&) {
            auto port = std::make_unique<SocketPairPort>(fds[0]);
            log = port->log;
            return port;
        });
        std::string error;
        ASSERT_TRUE(transport.Open(error)) << error;
        ASSERT_TRUE(transport.Write("*IDN?", error)) << error;
        char sent[64] = {};
        EXPECT_EQ(::recv(fds[1], sent, sizeof sent, 0), 6) << c.name;
        EXPECT_STREQ(sent, "*IDN?\n") << c.name;
        for (const Transfer& t : c.transfers) {
            SendTransfer(fds[1], t.data, t.end);
        }
        ScpiAnswer answer;
        const bool ok = transport.Read(answer, c.indefinite, c.timeoutMs, error);
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ((ok ? answer.bytes : error).substr(0, c.expected.size()), c.expected) << c.name;
        EXPECT_EQ(log->clears, 1 + c.clears) << c.name;
        // The driver's floor of 100 ms holds for every timeout set.
        for (unsigned ms : log->timeouts) {
            EXPECT_GE(ms, 100u) << c.name;
        }
        transport.Close();
        ::close(fds[1]);
    }
}

TEST(UsbtmcTransport, DevicesAreListedAndADeniedOneSaysWhatToDo) {
    QTemporaryDir dev;
    for (const char* name :
         {"usbtmc10", "usbtmc2", "usbtmc0", "usbtmcx", "ttyUSB0", "usbtmc1234"}) {
        QFile f(QDir(dev.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const std::string folder = dev.path().toStdString();
    EXPECT_EQ(
        ListUsbtmcDevices(folder),
        (std::vector<std::string>{folder + "/usbtmc0", folder + "/usbtmc2", folder + "/usbtmc10"}));

    ScpiDriver driver(ScpiSettings{}, {KV_SCPI_TABLES});
    driver.SetUsbtmcOpener(OpenUsbtmcDevice, folder);
    ASSERT_EQ(driver.SelectGpibCard(kLanCardClsid), 0);
    EXPECT_TRUE(driver.SearchCardAddresses().empty());
    ASSERT_EQ(driver.SelectGpibCard(kUsbtmcCardClsid), 0);
    EXPECT_EQ(driver.SearchCardAddresses().size(), 3u);
    EXPECT_NE(driver.SetAddresses("/dev/ttyUSB0", ""), 0);
    EXPECT_EQ(driver.LastError(),
              "\"/dev/ttyUSB0\" is no USB test and measurement device: the card address of the "
              "USBTMC card is a device file such as /dev/usbtmc0.");

    EXPECT_EQ(UsbtmcOpenError("/dev/usbtmc3", EACCES),
              "You have no permission to open /dev/usbtmc3. Install the program's udev rule for "
              "USB test and measurement devices (the Debian package installs it as "
              "70-kv47310-usbtmc.rules), then unplug the analyzer and plug it in again; or ask "
              "your administrator for read and write access to the device.");
    // Opening a device that is not there through the driver gives its reason.
    ASSERT_EQ(driver.SetAddresses("/dev/usbtmc255", ""), 0);
    EXPECT_NE(driver.CheckInstrument(), 0);
    EXPECT_EQ(driver.LastError(), UsbtmcOpenError("/dev/usbtmc255", ENOENT));
}

// The command tables work unchanged over USB: calibration with air, shorting block and water,
// then methanol, every answer in transfers of 100 bytes.
TEST(UsbtmcScpi, CalibratesAndMeasuresMethanolThroughTheDocument) {
    ScpiSimulator sim(SimFamily::NumberedTraces);
    UsbtmcPairDevice device(sim, 100);
    ScpiSettings settings;
    settings.family = SimFamilyName(SimFamily::NumberedTraces);
    ExpectMethanolThroughTheDocument(sim, settings, "", SweepKind::Linear, kUsbtmcCardClsid,
                                     "/dev/usbtmc3", device.Opener());
    ASSERT_FALSE(device.Paths().empty());
    for (const auto& path : device.Paths()) {
        EXPECT_EQ(path, "/dev/usbtmc3");
    }
}

}  // namespace
}  // namespace kv::test
