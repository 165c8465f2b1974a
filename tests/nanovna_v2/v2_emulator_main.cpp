// nanovna-v2-emulator: an analyzer speaking the V2 binary protocol on a pseudo terminal, for trying
// the program and for the terminal tests. Prints the terminal's path, then serves until its
// standard input ends, or with --until-stopped until SIGINT or SIGTERM.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "V2Emulator.h"

using kv::DemoMaterial;

namespace {

constexpr const char* kUsage =
    "usage: nanovna-v2-emulator [--hardware N] [--firmware MAJOR.MINOR]\n"
    "                           [--sequence air,short,water,load,sample,...]\n"
    "                           [--drop-every N] [--silent] [--indicate-answer C]\n"
    "                           [--short-fifo N] [--wrong-index] [--lost-index N]\n"
    "                           [--until-stopped]\n"
    "\n"
    "Serves an analyzer of the V2 binary protocol on a pseudo terminal and prints its path. It\n"
    "runs until its standard input ends (started in the background with no input it ends at\n"
    "once), or with --until-stopped until it receives SIGINT or SIGTERM.\n"
    "\n"
    "  --hardware     hardware revision (register 0xf2): 2 is a V2_2 (1024 points, 3 GHz),\n"
    "                 4 a V2 Plus4 (65535 points, 4.4 GHz); default 2\n"
    "  --firmware     firmware version (registers 0xf3, 0xf4); 1.1 and older make the first\n"
    "                 point of every sweep unreliable; default 1.3\n"
    "  --sequence     what is at the probe at each measurement, in turn (the last one stays)\n"
    "  --drop-every   every N-th record is lost, as when the analyzer's queue is full\n"
    "\n"
    "Broken analyzers:\n"
    "  --silent           nothing is ever answered\n"
    "  --indicate-answer  this character answers 0x0d instead of 2\n"
    "  --short-fifo       a FIFO read sends only N records, then nothing\n"
    "  --wrong-index      the third record of each FIFO read has an index past the sweep\n"
    "  --lost-index       point N never comes (may be given more than once)\n";

}  // namespace

int main(int argc, char** argv) {
    kv::test::V2EmulatorOptions options;
    std::vector<DemoMaterial> sequence;
    bool untilStopped = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--hardware" && i + 1 < argc) {
            options.hardware = std::atoi(argv[++i]);
        } else if (a == "--firmware" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%d.%d", &options.firmwareMajor, &options.firmwareMinor) !=
                2) {
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else if (a == "--drop-every" && i + 1 < argc) {
            options.dropEvery = std::atoi(argv[++i]);
        } else if (a == "--silent") {
            options.silent = true;
        } else if (a == "--indicate-answer" && i + 1 < argc && argv[i + 1][0] != '\0') {
            options.indicateAnswer = argv[++i][0];
        } else if (a == "--short-fifo" && i + 1 < argc) {
            options.shortFifoRecords = std::atoi(argv[++i]);
        } else if (a == "--wrong-index") {
            options.wrongIndex = true;
        } else if (a == "--lost-index" && i + 1 < argc) {
            options.lostIndexes.push_back(std::atoi(argv[++i]));
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
                    std::fprintf(stderr, "nanovna-v2-emulator: unknown material %s\n",
                                 name.c_str());
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
    kv::test::V2Emulator emulator(options);
    if (emulator.Path().empty()) {
        std::fprintf(stderr, "nanovna-v2-emulator: cannot make a pseudo terminal\n");
        return 1;
    }
    if (!sequence.empty()) {
        emulator.SetSequence(sequence);
    }
    std::printf("%s\n", emulator.Path().c_str());
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
