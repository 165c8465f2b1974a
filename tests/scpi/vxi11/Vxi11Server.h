#pragma once

// A VXI-11 instrument server for the tests: a portmapper at 127.0.0.1 port 111 that answers
// where the VXI-11 core channel is, and the core channel itself, whose device "inst0" hands every
// program message to a simulated SCPI analyzer and gives its reply back through device_read.
// Port 111 belongs to the system, so the server runs in a private network namespace of its own
// (EnterPrivateNetwork), never beside a real portmapper.

#include <atomic>
#include <string>
#include <thread>

namespace kv::test {

class ScpiSimulator;

// Moves this process into a network namespace of its own with the loopback interface up: as
// root directly, else through a user namespace. Call it while the process has a single thread.
// False with the reason when neither is allowed here.
bool EnterPrivateNetwork(std::string& why);

class Vxi11Server {
public:
    explicit Vxi11Server(ScpiSimulator& simulator);
    ~Vxi11Server();

    // Listens and serves in a thread of its own; false with the reason. One server per process.
    bool Start(std::string& error);

    // While set, every device_read waits its io_timeout and answers I/O timeout (error 15), as an
    // analyzer that is still busy; the reply stays with its link.
    void SetHoldReads(bool hold) { holdReads_ = hold; }
    // device_read gives at most this many bytes at a time (besides the client's requestSize).
    void SetPieceBytes(std::size_t bytes) { pieceBytes_ = bytes; }

    int CorePort() const { return corePort_; }
    int LinksCreated() const { return linksCreated_; }
    int LinksOpen() const { return linksOpen_; }

private:
    friend struct Vxi11ServerAccess;
    void Serve();

    ScpiSimulator& simulator_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> holdReads_{false};
    std::atomic<std::size_t> pieceBytes_{1u << 30};
    std::atomic<int> linksCreated_{0};
    std::atomic<int> linksOpen_{0};
    int corePort_ = 0;
    int abortPort_ = 0;
    void* transports_[4] = {};  // the listening RPC transports, closed by the destructor
};

}  // namespace kv::test
