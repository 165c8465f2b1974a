#pragma once

// Optional interface of a driver whose waits on the analyzer the operator can end (Abort in the
// measure window, Cancel while connecting, Ctrl-C in the terminal). The program asks for it with
// dynamic_cast and hands the driver a wait hook; a driver without it is waited for as before.

#include <functional>

namespace kv {

// Called by the driver while it waits on the analyzer: it lets the operator's events through and
// answers true once the operator asked to abort.
using DriverWaitHook = std::function<bool()>;

class IDriverWait {
public:
    // The longest a driver waits on the analyzer between two calls of the hook.
    static constexpr int kHookIntervalMs = 100;
    // What LastError says about a call whose wait the operator ended.
    static constexpr const char* kAbortedText = "The wait for the analyzer was aborted.";

    virtual ~IDriverWait() = default;

    // Sets the hook (an empty one removes it). While one is set, every wait of the driver on the
    // analyzer (a connection being made, an answer, a sweep being polled) calls it at least every
    // kHookIntervalMs. When it answers true the driver ends the wait at once: the call fails with
    // kAbortedText, and the connection is dropped, so that nothing the analyzer sends later is
    // taken for the answer to a later command (the next command connects anew).
    virtual void SetWaitHook(DriverWaitHook hook) = 0;
};

}  // namespace kv
