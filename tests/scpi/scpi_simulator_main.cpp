// scpi-simulator: a simulated SCPI network analyzer at 127.0.0.1 for trying the program and for
// the terminal tests. Prints the port it listens on, then serves until standard input closes.
//
//   scpi-simulator --family numbered-traces|named-measurements|named-channel-traces|
//                           hold-function|generic
//                  [--sequence air,short,water,load,sample,...]

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "ScpiSimulator.h"

using kv::DemoMaterial;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kv::test::SimFamily family = kv::test::SimFamily::NumberedTraces;
    std::vector<DemoMaterial> sequence;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--family" && i + 1 < argc && kv::test::SimFamilyByName(argv[i + 1], family)) {
            ++i;
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
            std::fprintf(stderr,
                         "usage: scpi-simulator --family numbered-traces|named-measurements|"
                         "named-channel-traces|hold-function|generic "
                         "[--sequence air,short,water,sample]\n");
            return 2;
        }
    }
    kv::test::ScpiSimulator simulator(family);
    if (!sequence.empty()) {
        simulator.SetSequence(sequence);
    }
    const int port = simulator.Start();
    if (port == 0) {
        std::fprintf(stderr, "scpi-simulator: cannot listen at 127.0.0.1\n");
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
