// librevna-server: a simulated LibreVNA GUI's SCPI server at 127.0.0.1 for trying the program by
// hand. Prints the port it listens on and serves until SIGINT or SIGTERM. Air, shorting block,
// water and methanol are at the probe at the first four sweeps (methanol stays).
//
//   librevna-server [--calibration-on]

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "LibreVnaServer.h"
#include "probe/Standards.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kv::test::LibreVnaServer server;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--calibration-on") == 0) {
            server.SetFault(kv::test::GuiFault::CalibrationOn);
        } else {
            std::fprintf(stderr, "usage: librevna-server [--calibration-on]\n");
            return 2;
        }
    }
    const kv::ColeCole methanol{32.66, 5.563, 0.0, 5.067e-11};
    server.SetSequence({kv::DemoMaterial::Air(), kv::DemoMaterial::Short(),
                        kv::DemoMaterial::Water(25.0),
                        kv::DemoMaterial::Relaxation(methanol, "methanol")});
    const int port = server.Start();
    if (port == 0) {
        std::fprintf(stderr, "librevna-server: cannot listen\n");
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    for (int s : {SIGINT, SIGTERM}) {
        std::signal(s, [](int) { QCoreApplication::quit(); });
    }
    return app.exec();
}
