#include "Vxi11Transport.h"

#include <lxi.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <mutex>

namespace kv {

namespace {

void InitLxi() {
    // lxi_init empties liblxi's table of links: once per process, before the first link.
    static std::once_flag once;
    std::call_once(once, [] { lxi_init(); });
}

std::string Seconds(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", ms / 1000.0);
    return text;
}

}  // namespace

Vxi11Transport::Vxi11Transport(std::string host, std::string device)
    : host_(std::move(host)), device_(std::move(device)) {}

Vxi11Transport::~Vxi11Transport() {
    Close();
}

bool Vxi11Transport::Open(std::string& error) {
    Close();
    InitLxi();
    // liblxi's own connection to the portmapper waits as long as the system lets it for a host
    // that does not answer, and cannot be ended: the portmapper is reached here first, in slices.
    const int probe = ConnectTcp(*this, host_, kPortmapperPort, kConnectTimeoutMs, error);
    if (probe < 0) {
        if (error != IDriverWait::kAbortedText) {
            error = "No VXI-11 connection to " + host_ + ", device " + device_ + ": " + error;
        }
        return false;
    }
    ::close(probe);
    link_ = lxi_connect(host_.c_str(), 0, device_.c_str(), kConnectTimeoutMs, VXI11);
    if (link_ < 0) {
        link_ = -1;
        error = "No VXI-11 connection to " + host_ + ", device " + device_ +
                ": the analyzer's portmapper (port 111) or its VXI-11 server did not answer "
                "within " +
                Seconds(kConnectTimeoutMs) + " s.";
        return false;
    }
    return true;
}

void Vxi11Transport::Close() {
    if (link_ >= 0) {
        lxi_disconnect(link_);
        link_ = -1;
    }
    buffer_.clear();
}

bool Vxi11Transport::IsOpen() const {
    return link_ >= 0;
}

bool Vxi11Transport::Write(const std::string& message, std::string& error) {
    if (!IsOpen()) {
        error = "The connection to the analyzer is closed.";
        return false;
    }
    const std::string line = message + "\n";
    const int sent = lxi_send(link_, line.data(), static_cast<int>(line.size()), kWriteTimeoutMs);
    if (sent < 0) {
        error = "Sending to the analyzer over VXI-11 failed.";
        return false;
    }
    if (sent != static_cast<int>(line.size())) {
        // liblxi makes the link whatever the device name; the device refuses the write then.
        error = "The analyzer took " + std::to_string(sent) + " of " + std::to_string(line.size()) +
                " bytes over VXI-11; is \"" + device_ + "\" its device name?";
        return false;
    }
    return true;
}

bool Vxi11Transport::Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
                          std::string& error) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        std::size_t consumed = 0;
        const ScpiParse r =
            ParseScpiAnswer(buffer_.data(), buffer_.size(), indefiniteBytes,
                            RawSocketTransport::kMaxAnswerBytes, answer, consumed, error);
        if (r == ScpiParse::Complete) {
            buffer_.erase(0, consumed);
            return true;
        }
        if (r == ScpiParse::Malformed) {
            error = "The analyzer's answer does not read: " + error;
            return false;
        }
        if (!IsOpen()) {
            error = "The connection to the analyzer is closed.";
            return false;
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            error = "The analyzer did not answer within " + Seconds(timeoutMs) + " s.";
            return false;
        }
        piece_.resize(kReadPieceBytes);
        const int wait =
            static_cast<int>(std::min<qint64>(left, HasWaitHook() ? kWaitSliceMs : kLongestReadMs));
        QElapsedTimer call;
        call.start();
        const int n = lxi_receive(link_, piece_.data(), kReadPieceBytes, wait);
        if (n < 0) {
            // liblxi tells no timeout from another failure: the clock does. An analyzer that
            // timed out keeps its answer for the next read.
            if (deadline.hasExpired()) {
                error = "The analyzer did not answer within " + Seconds(timeoutMs) + " s.";
                return false;
            }
            if (call.elapsed() >= wait) {
                if (Abandoned(error)) {
                    return false;
                }
                continue;
            }
            error = "Reading from the analyzer over VXI-11 failed" +
                    std::string(buffer_.empty() ? "" : " in the middle of an answer") + ".";
            return false;
        }
        buffer_.append(piece_.data(), static_cast<std::size_t>(n));
    }
}

}  // namespace kv
