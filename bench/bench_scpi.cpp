// The SCPI network analyzer over loopback: a 1601-point sweep read as 64-bit binary and as ASCII
// numbers from the simulated analyzer, and the driver's correction of 1601 points.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "DemoErrorModel.h"
#include "ScpiDriver.h"
#include "instrument/LanCardId.h"
#include "scpi/ScpiSimulator.h"

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "bench_scpi";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

void Sweep1601(benchmark::State& state, bool ascii) {
    EnsureApplication();
    kv::test::ScpiSimulator sim(kv::test::SimFamily::NamedMeasurements);
    const int port = sim.Start();
    kv::ScpiSettings settings;
    settings.family = "named-measurements";
    settings.asciiTransfer = ascii;
    kv::ScpiDriver driver(settings, {KV_SCPI_TABLES});
    driver.SelectGpibCard(kv::kLanCardClsid);
    driver.SetAddresses("127.0.0.1", std::to_string(port));
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

void BM_Sweep1601Binary(benchmark::State& state) {
    Sweep1601(state, false);
}
BENCHMARK(BM_Sweep1601Binary)->Unit(benchmark::kMillisecond);

void BM_Sweep1601Ascii(benchmark::State& state) {
    Sweep1601(state, true);
}
BENCHMARK(BM_Sweep1601Ascii)->Unit(benchmark::kMillisecond);

// The correction the driver applies to every point of a sweep.
void BM_Correct1601(benchmark::State& state) {
    std::vector<kv::CComplex> raw(1601), d00(1601), d11(1601), d01(1601), out(1601);
    for (int i = 0; i < 1601; ++i) {
        const kv::ErrorTerms t = kv::DemoErrorTerms(300e6 + i * 1e6, 0.0);
        d00[i] = t.directivity;
        d11[i] = t.sourceMatch;
        d01[i] = t.tracking;
        raw[i] = kv::RawReflection(t, kv::CComplex(0.3, -0.2));
    }
    for (auto _ : state) {
        for (int i = 0; i < 1601; ++i) {
            out[i] = kv::CorrectReflection(raw[i], d00[i], d11[i], d01[i]);
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Correct1601);

}  // namespace
