// nanovna-shell-emulator: an emulated NanoVNA text shell on a pseudo terminal, for trying the
// program by hand: prints the terminal's path and serves until its standard input ends.
//   nanovna-shell-emulator [--original] [--points N] [--sequence air,short,water,methanol]

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "ShellEmulator.h"
#include "probe/Standards.h"

int main(int argc, char** argv) {
    kv::test::ShellOptions options;
    std::vector<kv::DemoMaterial> sequence;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--original") {
            options.dislord = false;
        } else if (a == "--points" && i + 1 < argc) {
            options.maxPoints = std::atoi(argv[++i]);
        } else if (a == "--sequence" && i + 1 < argc) {
            std::istringstream list(argv[++i]);
            std::string name;
            while (std::getline(list, name, ',')) {
                if (name == "short") {
                    sequence.push_back(kv::DemoMaterial::Short());
                } else if (name == "water") {
                    sequence.push_back(kv::DemoMaterial::Water(25.0));
                } else if (name == "methanol") {
                    sequence.push_back(kv::DemoMaterial::Relaxation(
                        kv::ColeCole{32.66, 5.563, 0.0, 5.067e-11}, "methanol"));
                } else {
                    sequence.push_back(kv::DemoMaterial::Air());
                }
            }
        } else {
            std::fprintf(stderr,
                         "usage: nanovna-shell-emulator [--original] [--points N] "
                         "[--sequence air,short,water,methanol]\n");
            return 2;
        }
    }
    kv::test::ShellEmulator emulator(options);
    emulator.SetSequence(sequence);
    const std::string path = emulator.Start();
    if (path.empty()) {
        std::perror("openpty");
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
