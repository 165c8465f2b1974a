#pragma once

// SCPI over USB through the kernel's usbtmc driver (/dev/usbtmcN). A write sends one program
// message; a read returns one transfer, and an answer is read transfer by transfer until the one
// whose end-of-message bit is set (USBTMC_IOCTL_MSG_IN_ATTR). Every read waits at most the read's
// timeout (USBTMC_IOCTL_SET_TIMEOUT; the driver refuses less than 100 ms); a read that timed out
// is followed by a device clear (USBTMC_IOCTL_CLEAR), so that the analyzer's late answer is
// dropped rather than taken for the next one.
//
// The calls on the device go through UsbtmcPort, so that the tests can serve the transport from a
// socket pair.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScpiTransport.h"

namespace kv {

// The kernel driver's calls on an open device. Each returns 0 or an errno value.
class UsbtmcPort {
public:
    virtual ~UsbtmcPort() = default;
    virtual int SetTimeout(unsigned milliseconds) = 0;
    // One whole program message.
    virtual int Write(const std::string& bytes) = 0;
    // One transfer of at most `capacity` bytes; ETIMEDOUT when none came within the timeout.
    virtual int Read(std::string& bytes, std::size_t capacity) = 0;
    // Whether the last transfer read ended its message.
    virtual int EndOfMessage(bool& end) = 0;
    virtual int Clear() = 0;
};

// Opens the device file; null with the reason in `error` (a denied permission says what to do).
using UsbtmcOpener =
    std::function<std::unique_ptr<UsbtmcPort>(const std::string& path, std::string& error)>;

// The kernel's: open(2) and the usbtmc ioctls.
std::unique_ptr<UsbtmcPort> OpenUsbtmcDevice(const std::string& path, std::string& error);

// Why the device file could not be opened (errno `err`); a denied permission says what to do.
std::string UsbtmcOpenError(const std::string& path, int err);

// Whether `path` names a usbtmc device file (/dev/usbtmc0 ... /dev/usbtmc255).
bool IsUsbtmcPath(const std::string& path);

// The usbtmc device files in `folder` (normally /dev) that the user may read and write, in order
// of their numbers.
std::vector<std::string> ListUsbtmcDevices(const std::string& folder = "/dev");

class UsbtmcTransport : public ScpiTransport {
public:
    // The driver's shortest timeout.
    static constexpr unsigned kMinTimeoutMs = 100;
    // The timeout of a write.
    static constexpr unsigned kWriteTimeoutMs = 5000;
    // The largest transfer asked for in one read.
    static constexpr std::size_t kTransferBytes = 64 * 1024;
    static constexpr std::size_t kMaxAnswerBytes = 64u << 20;

    UsbtmcTransport(std::string path, UsbtmcOpener opener = OpenUsbtmcDevice);
    ~UsbtmcTransport() override;

    bool Open(std::string& error) override;
    void Close() override;
    bool IsOpen() const override { return port_ != nullptr; }
    bool Write(const std::string& message, std::string& error) override;
    bool Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
              std::string& error) override;

private:
    bool SetTimeout(unsigned ms, std::string& error);
    std::string Failed(const char* what, int err) const;

    std::string path_;
    UsbtmcOpener opener_;
    std::unique_ptr<UsbtmcPort> port_;
    unsigned timeoutMs_ = 0;  // the one set on the device
};

}  // namespace kv
