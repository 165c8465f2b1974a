#include "PtyTestLink.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv::test {

bool PtyTestLink::Open(std::string& error) {
    Close();
    fd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    termios raw{};
    tcgetattr(fd_, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd_, TCSANOW, &raw);
    return true;
}

void PtyTestLink::Close() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

bool PtyTestLink::Wait(short events, int timeoutMs, std::string& error) {
    for (int left = timeoutMs; left > 0;) {
        if (WaitHook() && WaitHook()()) {
            error = IDriverWait::kAbortedText;
            return false;
        }
        const int slice = std::min(left, kWaitSliceMs);
        pollfd p{fd_, events, 0};
        if (poll(&p, 1, slice) > 0) {
            return true;
        }
        left -= slice;
    }
    error = "timed out after " + std::to_string(timeoutMs) + " ms";
    return false;
}

bool PtyTestLink::Write(std::string_view bytes, int timeoutMs, std::string& error) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (!Wait(POLLOUT, timeoutMs, error)) {
            return false;
        }
    }
    tcdrain(fd_);
    return true;
}

bool PtyTestLink::ReadSome(std::string& out, int timeoutMs, std::string& error) {
    if (!Wait(POLLIN, timeoutMs, error)) {
        return false;
    }
    char buffer[4096];
    const std::size_t before = out.size();
    ssize_t n = 0;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    if (out.size() == before) {
        error = "the terminal closed";
        return false;
    }
    return true;
}

void PtyTestLink::Discard() {
    if (fd_ < 0) {
        return;
    }
    tcflush(fd_, TCIFLUSH);
    char buffer[4096];
    while (read(fd_, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace kv::test
