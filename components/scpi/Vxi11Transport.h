#pragma once

// A VXI-11 link through liblxi: the analyzer's portmapper (port 111) gives the port of its
// VXI-11 core channel, and the link is made to a device name such as "inst0" or "gpib0,16".
// A VXI-11 read returns one message up to its END; the program's IEEE 488.2 reader parses what
// came, so blocks and lines are read exactly as over the raw socket.

#include <string>
#include <vector>

#include "ScpiTransport.h"

namespace kv {

class Vxi11Transport : public ScpiTransport {
public:
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kWriteTimeoutMs = 3000;
    // The most one VXI-11 read asks for; a longer answer comes in several reads.
    static constexpr int kReadPieceBytes = 1 << 20;
    // The longest io_timeout of one VXI-11 read: liblxi gives up any call after 25 s, so a longer
    // read timeout is waited out in several reads. With a wait hook the reads are a slice long.
    static constexpr int kLongestReadMs = 20000;
    static constexpr int kPortmapperPort = 111;

    Vxi11Transport(std::string host, std::string device);
    ~Vxi11Transport() override;

    bool Open(std::string& error) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const std::string& message, std::string& error) override;
    bool Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
              std::string& error) override;

private:
    std::string host_;
    std::string device_;
    int link_ = -1;
    std::string buffer_;
    std::vector<char> piece_;
};

}  // namespace kv
