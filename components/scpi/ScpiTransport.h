#pragma once

// How the driver reaches the analyzer: one command or query at a time, every read bounded by a
// timeout. A transport that failed (timeout, broken connection, answer that does not parse) is
// closed by the driver and opened anew, so a late answer is never taken for the next one.
// Every wait (a connection being made, an answer) goes in slices, between which the wait hook may
// end it: the call then fails with IDriverWait::kAbortedText.

#include <functional>
#include <memory>
#include <string>

#include <QTcpSocket>

#include "ScpiReader.h"
#include "instrument/IDriverWait.h"

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

    // The longest one slice of a wait.
    static constexpr int kWaitSliceMs = 50;
    // Called between the slices of every wait; true ends the wait.
    void SetWaitHook(DriverWaitHook hook) { hook_ = std::move(hook); }
    bool HasWaitHook() const { return static_cast<bool>(hook_); }
    // True when the hook ended the wait: `error` then says so.
    bool Abandoned(std::string& error) const;

private:
    DriverWaitHook hook_;
};

// Opens a TCP connection to host:port within `timeoutMs`, waiting in slices between which `hook`
// may end the wait. The connected socket's descriptor, or -1 with the reason in `error`.
int ConnectTcp(const ScpiTransport& transport, const std::string& host, int port, int timeoutMs,
               std::string& error);

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
