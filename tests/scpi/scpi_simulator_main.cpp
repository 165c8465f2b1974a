// scpi-simulator: a simulated SCPI network analyzer at 127.0.0.1 for trying the program and for
// the terminal tests. Prints the port it listens on, then serves until its standard input ends,
// or with --until-stopped until SIGINT or SIGTERM.

#include <signal.h>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "ScpiSimulator.h"

using kv::DemoMaterial;

namespace {

constexpr const char* kUsage =
    "usage: scpi-simulator [--family numbered-traces|named-measurements|named-channel-traces|\n"
    "                                hold-function|generic]\n"
    "                      [--sequence air,short,water,load,sample,...]\n"
    "                      [--opc-query-only] [--no-sweep-time] [--until-stopped]\n"
    "\n"
    "Serves a simulated analyzer of the command family at 127.0.0.1 on a port the system picks\n"
    "and prints the port. It runs until its standard input ends (started in the background with\n"
    "no input it ends at once), or with --until-stopped until it receives SIGINT or SIGTERM.\n"
    "\n"
    "  --sequence        what is at the probe at each sweep, in turn (the last one stays)\n"
    "  --opc-query-only  sweeps complete only by *OPC?; *OPC never sets the event bit\n"
    "  --no-sweep-time   the sweep-time query is refused and not answered\n";

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kv::test::SimFamily family = kv::test::SimFamily::NumberedTraces;
    std::vector<DemoMaterial> sequence;
    kv::test::SimFaults faults;
    bool untilStopped = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--family" && i + 1 < argc && kv::test::SimFamilyByName(argv[i + 1], family)) {
            ++i;
        } else if (a == "--opc-query-only") {
            faults.opcQueryOnly = true;
        } else if (a == "--no-sweep-time") {
            faults.refuseSweepTime = true;
        } else if (a == "--until-stopped") {
            untilStopped = true;
        } else if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--sequence" && i + 1 < argc) {
            std::istringstream list(argv[++i]);
            std::string name;
            while (std::getline(list, name, ',')) {
                if (name == "air") {
                    sequence.push_back(DemoMaterial::Air());
                } else if (name == "short") {
                    sequence.push_back(DemoMaterial::Short());
                } else if (name == "load") {
                    sequence.push_back(DemoMaterial::Load());
                } else if (name == "water") {
                    sequence.push_back(DemoMaterial::Water(25.0));
                } else if (name == "sample") {
                    // Methanol at 25 C.
                    sequence.push_back(
                        DemoMaterial::Relaxation({32.66, 5.563, 0.0, 5.067e-11}, "sample"));
                } else {
                    std::fprintf(stderr, "scpi-simulator: unknown material %s\n", name.c_str());
                    return 2;
                }
            }
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    // Blocked here, the two signals stay blocked in the server thread too and are taken below.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    if (untilStopped) {
        pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    }
    kv::test::ScpiSimulator simulator(family);
    if (!sequence.empty()) {
        simulator.SetSequence(sequence);
    }
    simulator.SetFaults(faults);
    const int port = simulator.Start();
    if (port == 0) {
        std::fprintf(stderr, "scpi-simulator: cannot listen at 127.0.0.1\n");
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    if (untilStopped) {
        int signal = 0;
        sigwait(&stop, &signal);
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
