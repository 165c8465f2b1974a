#include "UsbtmcPair.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kv::test {

SocketPairPort::~SocketPairPort() {
    ::close(fd_);
}

int SocketPairPort::SetTimeout(unsigned milliseconds) {
    // The kernel's driver refuses timeouts under 100 ms.
    if (milliseconds < 100) {
        return EINVAL;
    }
    timeoutMs_ = milliseconds;
    log->timeouts.push_back(milliseconds);
    return 0;
}

int SocketPairPort::Write(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(bytes.size())
               ? 0
               : EIO;
}

int SocketPairPort::Read(std::string& bytes, std::size_t capacity) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeoutMs_));
    if (ready == 0) {
        return ETIMEDOUT;
    }
    std::string buffer(capacity + 1, '\0');
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (n <= 0) {
        return n == 0 ? EPIPE : errno;
    }
    end_ = (buffer[0] & 1) != 0;
    bytes = buffer.substr(1, static_cast<std::size_t>(n) - 1);
    return 0;
}

int SocketPairPort::EndOfMessage(bool& end) {
    end = end_;
    return 0;
}

int SocketPairPort::Clear() {
    ++log->clears;
    char drop[4096];
    while (::recv(fd_, drop, sizeof drop, MSG_DONTWAIT) > 0) {
    }
    return 0;
}

void SendTransfer(int fd, const std::string& data, bool endOfMessage) {
    const std::string datagram = std::string(1, endOfMessage ? '\1' : '\0') + data;
    ::send(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL);
}

UsbtmcPairDevice::UsbtmcPairDevice(ScpiSimulator& sim, std::size_t transferBytes)
    : sim_(sim), transferBytes_(transferBytes) {}

UsbtmcPairDevice::~UsbtmcPairDevice() {
    stop_ = true;
    for (auto& t : threads_) {
        t.join();
    }
    for (int fd : deviceEnds_) {
        ::close(fd);
    }
}

UsbtmcOpener UsbtmcPairDevice::Opener() {
    return [this](const std::string& path, std::string& error) -> std::unique_ptr<UsbtmcPort> {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
            error = "no socket pair";
            return nullptr;
        }
        std::lock_guard lock(mutex_);
        paths_.push_back(path);
        deviceEnds_.push_back(fds[1]);
        threads_.emplace_back([this, fd = fds[1]] { Serve(fd); });
        return std::make_unique<SocketPairPort>(fds[0]);
    };
}

std::vector<std::string> UsbtmcPairDevice::Paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
}

void UsbtmcPairDevice::Serve(int fd) {
    std::string message(1 << 20, '\0');
    while (!stop_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            continue;
        }
        const ssize_t n = ::recv(fd, message.data(), message.size(), 0);
        if (n <= 0) {
            return;  // the transport closed its end
        }
        const std::string reply = sim_.Exchange(message.substr(0, static_cast<std::size_t>(n)));
        for (std::size_t at = 0; at < reply.size(); at += transferBytes_) {
            SendTransfer(fd, reply.substr(at, transferBytes_), at + transferBytes_ >= reply.size());
        }
    }
}

}  // namespace kv::test
