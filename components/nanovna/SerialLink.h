#pragma once

// A byte stream to an analyzer on a serial port: a USB serial device (/dev/ttyACM0) or any path
// to a serial device or pseudo terminal. Every read is bounded by a timeout and goes in slices
// between which the wait hook may end it (the call then fails with IDriverWait::kAbortedText).
// A link that failed (timeout, short read, answer that does not parse) is closed by the driver
// and opened anew before its next command, so a late answer is never taken for the next one.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "instrument/IDriverWait.h"

namespace kv {

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the port (raw bytes, no echo, no line translation). False with the reason: a port
    // the user may not open gets a text that says so and what to do.
    virtual bool Open(std::string& error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes every byte (and waits until they left) within `timeoutMs`.
    virtual bool Write(std::string_view bytes, int timeoutMs, std::string& error) = 0;
    // Appends at least one byte to `out` (all that have arrived), waiting up to `timeoutMs` for
    // the first; false with the reason on a timeout, an error, or when the hook ended the wait.
    virtual bool ReadSome(std::string& out, int timeoutMs, std::string& error) = 0;
    // Throws away whatever has arrived and not been read.
    virtual void Discard() = 0;

    // The longest one slice of a wait.
    static constexpr int kWaitSliceMs = 50;
    void SetWaitHook(DriverWaitHook hook) { hook_ = std::move(hook); }
    const DriverWaitHook& WaitHook() const { return hook_; }

private:
    DriverWaitHook hook_;
};

// The link to `path` through Qt Serial Port (any baud rate: the analyzers are USB CDC devices).
std::unique_ptr<SerialLink> MakeSerialPortLink(const std::string& path);

}  // namespace kv
