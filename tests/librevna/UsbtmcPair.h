#pragma once

// A USBTMC device on a SOCK_SEQPACKET socket pair. The transport's port is one end: a write sends
// one datagram (a program message), a read takes one datagram, which is one transfer: a byte of
// transfer attributes (bit 0: the end of the message) and the data. The device end is served on a
// thread of its own with the SCPI simulator's command handling, its answers cut into transfers of
// `transferBytes`.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ScpiSimulator.h"
#include "UsbtmcTransport.h"

namespace kv::test {

// The transport's end of a pair, as the kernel's driver would behave on it.
class SocketPairPort : public UsbtmcPort {
public:
    explicit SocketPairPort(int fd) : fd_(fd) {}
    ~SocketPairPort() override;
    int SetTimeout(unsigned milliseconds) override;
    int Write(const std::string& bytes) override;
    int Read(std::string& bytes, std::size_t capacity) override;
    int EndOfMessage(bool& end) override;
    int Clear() override;

    // What the device saw, for the tests.
    struct Log {
        std::vector<unsigned> timeouts;
        int clears = 0;
    };
    std::shared_ptr<Log> log = std::make_shared<Log>();

private:
    int fd_;
    unsigned timeoutMs_ = 5000;
    bool end_ = false;
};

// Sends one transfer from the device end.
void SendTransfer(int fd, const std::string& data, bool endOfMessage);

class UsbtmcPairDevice {
public:
    explicit UsbtmcPairDevice(ScpiSimulator& sim, std::size_t transferBytes = 500);
    ~UsbtmcPairDevice();
    // Opens a new pair for each connection; the paths asked for are kept.
    UsbtmcOpener Opener();
    std::vector<std::string> Paths() const;

private:
    void Serve(int fd);

    ScpiSimulator& sim_;
    std::size_t transferBytes_;
    mutable std::mutex mutex_;
    std::vector<std::string> paths_;
    std::vector<std::thread> threads_;
    std::vector<int> deviceEnds_;
    std::atomic<bool> stop_{false};
};

}  // namespace kv::test
