// The error-term solution over a whole sweep (ComputeCalibration): one 3 x 3 complex solve and the
// ideal reflections of the three standards per point, for each calibration type.

#include <benchmark/benchmark.h>

#include "probe/CProbeEngine.h"

namespace {

// Raw readings of a one-port with mild error terms, so that every system is well conditioned.
kv::CComplex Raw(kv::CComplex g) {
    const kv::CComplex e00{0.02, 0.01};
    const kv::CComplex e11{0.05, -0.02};
    const kv::CComplex t{0.9, 0.1};
    const kv::CComplex num = kv::CComplex::Multiply(t, g);
    const kv::CComplex den = kv::CComplex::Subtract({1.0, 0.0}, kv::CComplex::Multiply(e11, g));
    return kv::CComplex::Add(e00, kv::CComplex::Divide(num, den));
}

void ComputeCalibration(benchmark::State& state) {
    kv::CProbeEngine engine;
    engine.sweep.numPoints = static_cast<int>(state.range(0));
    engine.calSettings.calibrationType = static_cast<kv::CalibrationType>(state.range(1));
    engine.BuildFrequencyList();
    for (double f : engine.frequencies) {
        engine.stdMeasured1.push_back(Raw(engine.StandardReflection(1, f)));
        engine.stdMeasured2.push_back(Raw(engine.StandardReflection(2, f)));
        engine.stdMeasured3.push_back(Raw(engine.StandardReflection(3, f)));
    }
    for (auto _ : state) {
        engine.ComputeCalibration();
        benchmark::DoNotOptimize(engine.errorTracking.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetLabel(engine.calSettings.calibrationType == kv::CalibrationType::LoadAirShort
                       ? "load/air/short"
                   : engine.calSettings.calibrationType == kv::CalibrationType::AirShortWater
                       ? "air/short/water"
                       : "user defined");
}

BENCHMARK(ComputeCalibration)
    ->ArgsProduct({{51, 1601, 100001}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
