#pragma once

// How the driver reaches the analyzer: one command or query at a time, every read bounded by a
// timeout. A transport that failed (timeout, broken connection, answer that does not parse) is
// closed by the driver and opened anew, so a late answer is never taken for the next one.

#include <memory>
#include <string>

#include <QTcpSocket>

#include "ScpiReader.h"

namespace kv {

class ScpiTransport {
public:
    virtual ~ScpiTransport() = default;
    virtual bool Open(std::string& error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sends one program message; the newline is added.
    virtual bool Write(const std::string& message, std::string& error) = 0;
    // Reads one answer within `timeoutMs`; see ParseScpiAnswer for `indefiniteBytes`.
    virtual bool Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
                      std::string& error) = 0;
};

// A raw SCPI socket through a blocking QTcpSocket, with the program's own IEEE 488.2 reader.
class RawSocketTransport : public ScpiTransport {
public:
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr std::size_t kMaxAnswerBytes = 64u << 20;

    RawSocketTransport(std::string host, int port);
    ~RawSocketTransport() override;

    bool Open(std::string& error) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const std::string& message, std::string& error) override;
    bool Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
              std::string& error) override;

private:
    std::string host_;
    int port_;
    std::unique_ptr<QTcpSocket> socket_;
    std::string buffer_;
};

}  // namespace kv
