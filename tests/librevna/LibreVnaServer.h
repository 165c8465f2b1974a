#pragma once

// A LibreVNA GUI's SCPI server as docs/usb-analyzers.md describes it, at 127.0.0.1 on a port
// the system picks, in a thread of its own: one connection at a time (a new one closes the old),
// set commands answered with nothing, a failing command or query answered with nothing but the
// command-error bit of *ESR?, :VNA:ACQ:FIN? still TRUE for a while after a new single sweep
// starts, and S11 from the Demo analyzer's model of what is at the probe seen through an error
// box, printed as the GUI prints it.

#include <QThread>
#include <chrono>
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

// What the server does wrong, one fault at a time.
enum class GuiFault {
    None,
    OldVersion,       // *IDN? names version 1.5.1
    NoVersion,        // *IDN? has two fields
    CalibrationOn,    // :VNA:CAL:ACTIVE? names SOLT_1
    NoAnalyzer,       // :DEV:CONN finds nothing
    RefuseIfbw,       // :VNA:ACQ:IFBW is refused
    DataSilent,       // :VNA:TRAC:DATA? is refused (nothing sent)
    DataEmpty,        // EMPTY
    DataNaN,          // the third point reads NaN,NaN
    DataCut,          // the line ends in the middle of a point
    DataShort,        // a point is missing
    DataShifted,      // the second point lies 1 kHz off
    DataClose,        // the connection closes instead of an answer
    FinishedGarbage,  // :VNA:ACQ:FIN? answers MAYBE
    NeverFinished,    // no sweep finishes
    Mute,             // nothing is answered at all
};

class LibreVnaServer : public QThread {
public:
    explicit LibreVnaServer(std::string identification = "Nowhere Instruments,SIM-GUI,0001,1.6.1");
    ~LibreVnaServer() override;

    // Starts listening; the port, or 0 when the server could not listen.
    int Start();

    void SetFault(GuiFault fault);
    // What is at the probe at each following sweep, in turn (the last one stays).
    void SetSequence(std::vector<DemoMaterial> sequence);
    void SetMaterial(const DemoMaterial& material);
    // How long a single sweep takes, and how long FIN? still answers TRUE after it starts.
    void SetTiming(std::chrono::milliseconds sweep, std::chrono::milliseconds stale);

    std::vector<std::string> Received() const;  // every command and query, in order
    int Sweeps() const;                         // single sweeps finished
    std::string LastTrace() const;              // the last :VNA:TRAC:DATA? answer sent

protected:
    void run() override;

private:
    struct State;
    void OnReadyRead(QTcpSocket* socket);
    // The answer line of one command (empty: nothing is sent); with the mutex held.
    std::string Execute(const std::string& command, bool& close);
    void FinishSweep();

    std::string identification_;
    ProbeModel model_;
    mutable std::mutex mutex_;
    std::unique_ptr<State> state_;
    std::promise<int>* listening_ = nullptr;
    int port_ = 0;
};

}  // namespace kv::test
