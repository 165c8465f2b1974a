#pragma once

// A simulated SCPI network analyzer of each command family that docs/scpi-analyzers.md describes,
// listening at 127.0.0.1 on a port the system picks. It runs its server in a thread of its own, so
// a blocking client on the test's thread can talk to it. Its probe reflection is the Demo
// analyzer's model of what is at the probe, seen through an error box.
//
// It is written from the documentation, not from the driver's tables: a command the family does
// not have is refused with -113 "Undefined header" in SYST:ERR?, as an analyzer would.

#include <QThread>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DemoMaterial.h"
#include "probe/ProbeModel.h"

class QTcpServer;
class QTcpSocket;

namespace kv::test {

enum class SimFamily {
    NumberedTraces,
    NamedMeasurements,
    NamedChannelTraces,
    HoldFunction,
    Generic
};

const char* SimFamilyName(SimFamily family);
bool SimFamilyByName(const std::string& name, SimFamily& family);

struct SimFaults {
    bool dropMidBlock = false;     // the next S11 block stops halfway and the connection closes
    bool holdAnswers = false;      // answers are kept back until ReleaseAnswers
    bool malformedBlock = false;   // the S11 block has a header that is no number
    int missingValues = 0;         // the S11 block lacks this many numbers
    int shiftedPoint = -1;         // this point of the frequency axis lies 5 Hz off
    std::string refusedHeader;     // this header queues -222 "Data out of range"
    bool asciiAlways = false;      // numbers as text whatever FORM:DATA says
    std::size_t pieceBytes = 700;  // blocks go out in pieces of this size
    bool opcQueryOnly = false;     // sweeps complete only by *OPC?: *OPC never sets the ESR bit
    bool neverCompletes = false;   // no sweep completes: no ESR bit, no answer to *OPC?
    bool refuseSweepTime = false;  // the sweep-time query is refused (-113) and not answered
    double sweepTime = 0.05;       // the sweep time the analyzer reports, s
};

class ScpiSimulator : public QThread {
public:
    explicit ScpiSimulator(SimFamily family,
                           std::string identification = "Nowhere Instruments,SIM-VNA,0001,1.0");
    ~ScpiSimulator() override;

    // Starts listening; the port, or 0 when the server could not listen.
    int Start();

    void SetMaterial(const DemoMaterial& material);
    // What is at the probe at each following sweep, in turn (the last one stays).
    void SetSequence(std::vector<DemoMaterial> sequence);
    void SetFaults(const SimFaults& faults);
    // Sends what was kept back (to connections that are still open) and stops keeping back.
    void ReleaseAnswers();
    // The external trigger input fires: an armed sweep is taken.
    void FireTrigger();

    // Runs one program message as if a client had sent it, without a socket, and gives back the
    // reply bytes it makes (nothing for a command). The VXI-11 test server talks through this.
    std::string Exchange(const std::string& message);

    std::vector<std::string> Received() const;  // every program message, in order
    int Sweeps() const;
    std::string DisplayTitle() const;

    // The raw reflection the simulator gives at f for a material (for tests that check numbers).
    static CComplex RawAt(const ProbeModel& model, const DemoMaterial& material, double f);

    // ---- An analyzer that falls silent (ScpiSimulatorHold.cpp) ----
    // Answers are kept back (as with SimFaults::holdAnswers) once `sweeps` sweeps were taken in
    // all, until ReleaseAnswers.
    void HoldAfterSweeps(int sweeps);
    // How many answers are kept back now.
    int HeldAnswers() const;
    // Blocks until an answer is kept back; false when none was within `limitMs` (a test that
    // waits here does so on the simulator's state; the limit only keeps a broken test from
    // hanging).
    bool WaitUntilHolding(int limitMs) const;

protected:
    void run() override;

private:
    struct State;
    struct Reply {
        std::string bytes;
        bool isBlock = false;
    };

    void OnReadyRead(QTcpSocket* socket);
    void Execute(QTcpSocket* socket, const std::string& message);
    void Answer(QTcpSocket* socket, Reply reply);
    void Send(QTcpSocket* socket, const Reply& reply);
    void TakeSweep();
    // Whether an answer made now is kept back, and how many are (called with the mutex held).
    bool Holding() const;
    int HeldCount() const;
    std::string Numbers(const std::vector<double>& values) const;

    SimFamily family_;
    std::string identification_;
    ProbeModel model_;
    mutable std::mutex mutex_;
    std::unique_ptr<State> state_;
    int holdAfterSweeps_ = -1;
    mutable std::condition_variable holding_;
    int port_ = 0;
    std::promise<int>* startListening_ = nullptr;
    QTcpServer* server_ = nullptr;
};

}  // namespace kv::test
