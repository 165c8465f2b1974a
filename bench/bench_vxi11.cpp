// The SCPI network analyzer over VXI-11 loopback: a 1601-point sweep read as 64-bit binary from
// the simulated analyzer behind the VXI-11 test server, in a private network namespace (the
// server's portmapper needs port 111). Compare with bench_scpi's raw-socket figure.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdio>

#include "ScpiDriver.h"
#include "Vxi11Server.h"
#include "instrument/LanCardId.h"
#include "scpi/ScpiSimulator.h"

namespace {

std::string g_noNetwork;

void BM_Vxi11Sweep1601Binary(benchmark::State& state) {
    if (!g_noNetwork.empty()) {
        state.SkipWithError(g_noNetwork.c_str());
        return;
    }
    kv::test::ScpiSimulator sim(kv::test::SimFamily::NamedMeasurements);
    kv::test::Vxi11Server server(sim);
    std::string error;
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    kv::ScpiSettings settings;
    settings.family = "named-measurements";
    kv::ScpiDriver driver(settings, {KV_SCPI_TABLES});
    driver.SelectGpibCard(kv::kLanCardClsid);
    driver.SetAddresses("127.0.0.1", "inst0");
    if (driver.CheckInstrument() != 0 || driver.OpenInstrument("", "") != 0 ||
        driver.Preset() != 0) {
        state.SkipWithError(driver.LastError().c_str());
        return;
    }
    std::vector<double> f;
    for (int i = 0; i < 1601; ++i) {
        f.push_back(300e6 + i * (2.7e9 / 1600));
    }
    if (driver.SetFrequencyList(f, 1601, 0) != 0) {
        state.SkipWithError(driver.LastError().c_str());
        return;
    }
    std::vector<kv::CComplex> trace(1601);
    for (auto _ : state) {
        if (driver.MeasureTrace(trace) != 0) {
            state.SkipWithError(driver.LastError().c_str());
            return;
        }
        benchmark::DoNotOptimize(trace.data());
    }
}
BENCHMARK(BM_Vxi11Sweep1601Binary)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts: a user namespace needs a process of one thread.
    if (!kv::test::EnterPrivateNetwork(g_noNetwork) && g_noNetwork.empty()) {
        g_noNetwork = "no private network namespace";
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
