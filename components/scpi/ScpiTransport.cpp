#include "ScpiTransport.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv {

namespace {

int Slice(const QDeadlineTimer& deadline) {
    return static_cast<int>(
        std::clamp<qint64>(deadline.remainingTime(), 0, ScpiTransport::kWaitSliceMs));
}

}  // namespace

bool ScpiTransport::Abandoned(std::string& error) const {
    if (hook_ && hook_()) {
        error = IDriverWait::kAbortedText;
        return true;
    }
    return false;
}

int ConnectTcp(const ScpiTransport& transport, const std::string& host, int port, int timeoutMs,
               std::string& error) {
    const std::string where = "No connection to " + host + " port " + std::to_string(port) + ": ";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        error = where + ::gai_strerror(lookup) + ".";
        return -1;
    }
    QDeadlineTimer deadline(timeoutMs);
    std::string reason = "Connection timed out";
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0 && !deadline.hasExpired(); a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            reason = std::strerror(errno);
            continue;
        }
        int result = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        // The connection is made in the background; it is waited for in slices.
        while (result == EINPROGRESS || result == EINTR) {
            if (deadline.hasExpired()) {
                result = ETIMEDOUT;
                break;
            }
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, Slice(deadline));
            if (ready > 0) {
                socklen_t size = sizeof result;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size);
            } else if (ready < 0 && errno != EINTR) {
                result = errno;
            } else if (transport.Abandoned(error)) {
                ::close(fd);
                ::freeaddrinfo(found);
                return -1;
            }
        }
        if (result != 0) {
            reason = result == ETIMEDOUT ? "Connection timed out" : std::strerror(result);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
        error = where + reason + ".";
    }
    return fd;
}

RawSocketTransport::RawSocketTransport(std::string host, int port)
    : host_(std::move(host)), port_(port) {}

RawSocketTransport::~RawSocketTransport() {
    Close();
}

bool RawSocketTransport::Open(std::string& error) {
    Close();
    // QTcpSocket's own wait for a connection cannot be sliced (a wait that times out drops the
    // attempt), so the connection is made here and handed to it.
    const int fd = ConnectTcp(*this, host_, port_, kConnectTimeoutMs, error);
    if (fd < 0) {
        return false;
    }
    socket_ = std::make_unique<QTcpSocket>();
    if (!socket_->setSocketDescriptor(fd)) {
        error = "No connection to " + host_ + " port " + std::to_string(port_) + ": " +
                socket_->errorString().toStdString() + ".";
        ::close(fd);
        socket_.reset();
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void RawSocketTransport::Close() {
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
    buffer_.clear();
}

bool RawSocketTransport::IsOpen() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool RawSocketTransport::Write(const std::string& message, std::string& error) {
    if (!IsOpen()) {
        error = "The connection to the analyzer is closed.";
        return false;
    }
    const std::string line = message + "\n";
    if (socket_->write(line.data(), static_cast<qint64>(line.size())) !=
        static_cast<qint64>(line.size())) {
        error = "Sending to the analyzer failed: " + socket_->errorString().toStdString() + ".";
        return false;
    }
    QDeadlineTimer deadline(kConnectTimeoutMs);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(Slice(deadline))) {
            if (deadline.hasExpired() || socket_->error() != QAbstractSocket::SocketTimeoutError) {
                error =
                    "Sending to the analyzer failed: " + socket_->errorString().toStdString() + ".";
                return false;
            }
            if (Abandoned(error)) {
                return false;
            }
        }
    }
    return true;
}

bool RawSocketTransport::Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
                              std::string& error) {
    QDeadlineTimer deadline(timeoutMs);
    bool waited = false;
    for (;;) {
        std::size_t consumed = 0;
        const ScpiParse r = ParseScpiAnswer(buffer_.data(), buffer_.size(), indefiniteBytes,
                                            kMaxAnswerBytes, answer, consumed, error);
        if (r == ScpiParse::Complete) {
            buffer_.erase(0, consumed);
            return true;
        }
        if (r == ScpiParse::Malformed) {
            error = "The analyzer's answer does not read: " + error;
            return false;
        }
        if (!socket_) {
            error = "The connection to the analyzer is closed.";
            return false;
        }
        if (socket_->bytesAvailable() == 0) {
            if (socket_->state() != QAbstractSocket::ConnectedState) {
                error = "The analyzer closed the connection" +
                        std::string(buffer_.empty() ? "" : " in the middle of an answer") + ".";
                return false;
            }
            // The hook is asked once a slice has passed without an answer, so that an analyzer
            // that answers at once is not slowed down.
            if (waited && Abandoned(error)) {
                return false;
            }
            if (deadline.hasExpired()) {
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%g", timeoutMs / 1000.0);
                error = "The analyzer did not answer within " + std::string(seconds) + " s.";
                return false;
            }
            // One slice; what came (or that the analyzer closed) is looked at in the next pass.
            waited = !socket_->waitForReadyRead(Slice(deadline));
            continue;
        }
        const QByteArray bytes = socket_->readAll();
        buffer_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
}

}  // namespace kv
