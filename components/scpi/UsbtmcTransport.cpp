#include "UsbtmcTransport.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kv {

namespace {

constexpr const char* kPrefix = "usbtmc";

class KernelUsbtmcPort : public UsbtmcPort {
public:
    explicit KernelUsbtmcPort(int fd) : fd_(fd) {}
    ~KernelUsbtmcPort() override { ::close(fd_); }

    int SetTimeout(unsigned milliseconds) override {
        __u32 ms = milliseconds;
        return ::ioctl(fd_, USBTMC_IOCTL_SET_TIMEOUT, &ms) == 0 ? 0 : errno;
    }
    int Write(const std::string& bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return n < 0 ? errno : EIO;
            }
            done += static_cast<std::size_t>(n);
        }
        return 0;
    }
    int Read(std::string& bytes, std::size_t capacity) override {
        bytes.resize(capacity);
        ssize_t n = -1;
        do {
            n = ::read(fd_, bytes.data(), capacity);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            bytes.clear();
            return errno;
        }
        bytes.resize(static_cast<std::size_t>(n));
        return 0;
    }
    int EndOfMessage(bool& end) override {
        __u8 attributes = 0;
        if (::ioctl(fd_, USBTMC_IOCTL_MSG_IN_ATTR, &attributes) != 0) {
            return errno;
        }
        end = (attributes & 1) != 0;  // bmTransferAttributes bit 0: EOM
        return 0;
    }
    int Clear() override { return ::ioctl(fd_, USBTMC_IOCTL_CLEAR) == 0 ? 0 : errno; }

private:
    int fd_;
};

}  // namespace

bool IsUsbtmcPath(const std::string& path) {
    const std::string folder = "/dev/";
    if (path.compare(0, folder.size(), folder) != 0) {
        return false;
    }
    const std::string name = path.substr(folder.size());
    const std::size_t digits = name.size() - std::min(name.size(), std::strlen(kPrefix));
    if (name.compare(0, std::strlen(kPrefix), kPrefix) != 0 || digits < 1 || digits > 3) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<long>(std::strlen(kPrefix)), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> ListUsbtmcDevices(const std::string& folder) {
    std::vector<std::pair<int, std::string>> found;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (!IsUsbtmcPath("/dev/" + name)) {
                continue;
            }
            const std::string path = folder + "/" + name;
            if (::access(path.c_str(), R_OK | W_OK) == 0) {
                found.emplace_back(std::stoi(name.substr(std::strlen(kPrefix))), path);
            }
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& f : found) {
        paths.push_back(std::move(f.second));
    }
    return paths;
}

std::string UsbtmcOpenError(const std::string& path, int err) {
    if (err == EACCES || err == EPERM) {
        return "You have no permission to open " + path +
               ". Install the program's udev rule for USB test and measurement devices (the "
               "Debian package installs it as 70-kv47310-usbtmc.rules), then unplug the "
               "analyzer and plug it in again; or ask your administrator for read and write "
               "access to the device.";
    }
    if (err == ENOENT || err == ENODEV || err == ENXIO) {
        return "There is no " + path +
               ": the analyzer is not plugged in or not switched on, or the kernel's usbtmc "
               "driver is not loaded.";
    }
    return "Cannot open " + path + ": " + std::strerror(err) + ".";
}

std::unique_ptr<UsbtmcPort> OpenUsbtmcDevice(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = UsbtmcOpenError(path, errno);
        return nullptr;
    }
    return std::make_unique<KernelUsbtmcPort>(fd);
}

UsbtmcTransport::UsbtmcTransport(std::string path, UsbtmcOpener opener)
    : path_(std::move(path)), opener_(std::move(opener)) {}

UsbtmcTransport::~UsbtmcTransport() {
    Close();
}

std::string UsbtmcTransport::Failed(const char* what, int err) const {
    return std::string(what) + " " + path_ + " failed: " + std::strerror(err) + ".";
}

bool UsbtmcTransport::Open(std::string& error) {
    Close();
    port_ = opener_(path_, error);
    if (!port_) {
        return false;
    }
    // Whatever an earlier program left in the device's queues is dropped.
    if (const int err = port_->Clear(); err != 0) {
        error = Failed("Clearing", err);
        port_.reset();
        return false;
    }
    return true;
}

void UsbtmcTransport::Close() {
    port_.reset();
    timeoutMs_ = 0;
}

bool UsbtmcTransport::SetTimeout(unsigned ms, std::string& error) {
    ms = std::max(ms, kMinTimeoutMs);
    if (ms == timeoutMs_) {
        return true;
    }
    if (const int err = port_->SetTimeout(ms); err != 0) {
        error = Failed("Setting the timeout of", err);
        return false;
    }
    timeoutMs_ = ms;
    return true;
}

bool UsbtmcTransport::Write(const std::string& message, std::string& error) {
    if (!port_) {
        error = "The connection to the analyzer is closed.";
        return false;
    }
    // A message is taken at once; the kernel's default bounds the wait.
    if (!SetTimeout(kWriteTimeoutMs, error)) {
        return false;
    }
    if (const int err = port_->Write(message + "\n"); err != 0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", timeoutMs_ / 1000.0);
        error = err == ETIMEDOUT
                    ? "The analyzer took no message within " + std::string(seconds) + " s."
                    : Failed("Sending to", err);
        port_->Clear();
        return false;
    }
    return true;
}

bool UsbtmcTransport::Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
                           std::string& error) {
    if (!port_) {
        error = "The connection to the analyzer is closed.";
        return false;
    }
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    auto timedOut = [&] {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", timeoutMs / 1000.0);
        error = "The analyzer did not answer within " + std::string(seconds) + " s.";
        // The analyzer's late answer is dropped with its queues.
        port_->Clear();
        return false;
    };
    std::string message;
    for (;;) {
        if (Abandoned(error)) {
            port_->Clear();
            return false;
        }
        if (deadline.hasExpired()) {
            return timedOut();
        }
        // The kernel's read cannot be cut short: each transfer is waited for in one piece.
        const auto remaining = static_cast<unsigned>(std::max<qint64>(deadline.remainingTime(), 0));
        if (!SetTimeout(remaining, error)) {
            return false;
        }
        std::string transfer;
        const int err = port_->Read(transfer, kTransferBytes);
        if (err == ETIMEDOUT) {
            return timedOut();
        }
        if (err != 0) {
            error = Failed("Reading from", err);
            port_->Clear();
            return false;
        }
        message += transfer;
        if (message.size() > kMaxAnswerBytes) {
            error = "The analyzer's answer is longer than " +
                    std::to_string(kMaxAnswerBytes >> 20) + " MiB.";
            port_->Clear();
            return false;
        }
        bool end = false;
        if (const int e = port_->EndOfMessage(end); e != 0) {
            error = Failed("Reading the transfer attributes of", e);
            return false;
        }
        if (end) {
            break;
        }
    }
    // The message holds one answer; a text line may come without its newline.
    std::size_t consumed = 0;
    ScpiParse r = ParseScpiAnswer(message.data(), message.size(), indefiniteBytes, kMaxAnswerBytes,
                                  answer, consumed, error);
    if (r == ScpiParse::NeedMore) {
        message += '\n';
        r = ParseScpiAnswer(message.data(), message.size(), indefiniteBytes, kMaxAnswerBytes,
                            answer, consumed, error);
    }
    if (r == ScpiParse::Malformed) {
        error = "The analyzer's answer does not read: " + error;
        return false;
    }
    if (r == ScpiParse::NeedMore) {
        error = "The analyzer's message ended in the middle of an answer.";
        return false;
    }
    return true;
}

}  // namespace kv
