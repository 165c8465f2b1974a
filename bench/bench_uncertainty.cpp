// The propagated uncertainty: the calibration's part (the error terms' covariance at every point)
// and a measurement's part at 1601 points, and the Monte Carlo check of 1000 draws at 201 points.

#include <benchmark/benchmark.h>

#include <memory>

#include "probe/CProbeEngine.h"
#include "probe/Standards.h"

namespace {

using kv::CComplex;

const kv::ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

// Raw readings of a one-port with mild error terms.
CComplex Raw(CComplex g) {
    const CComplex e00{0.02, 0.01};
    const CComplex e11{0.05, -0.02};
    const CComplex t{0.9, 0.1};
    return CComplex::Add(
        e00, CComplex::Divide(CComplex::Multiply(t, g),
                              CComplex::Subtract({1.0, 0.0}, CComplex::Multiply(e11, g))));
}

// An air/short/water calibration of `points` points from 200 MHz to 20 GHz, every reading the
// mean of 8 sweeps with a covariance, and a measurement of methanol.
std::unique_ptr<kv::CProbeEngine> Calibrated(int points) {
    auto e = std::make_unique<kv::CProbeEngine>();
    e->sweep.numPoints = points;
    e->BuildFrequencyList();
    const std::size_t n = e->frequencies.size();
    for (double f : e->frequencies) {
        e->stdMeasured1.push_back(Raw(e->StandardReflection(1, f)));
        e->stdMeasured2.push_back(Raw(e->StandardReflection(2, f)));
        e->stdMeasured3.push_back(Raw(e->StandardReflection(3, f)));
        // What the analyzer returns corrected: the sample's reflection itself.
        e->sampleMeasured.push_back(e->model.Reflection(f, kv::ColeColePermittivity(f, kMethanol)));
    }
    e->ComputeCalibration();
    for (auto& s : e->stdScatter) {
        s = {std::vector<kv::Cov2>(n, {1.25e-7, 1e-8, 1.25e-7}), 8, 0.0};
    }
    e->sampleScatter = {std::vector<kv::Cov2>(n, {1.25e-7, -1e-8, 1.25e-7}), 8, 0.0};
    e->calibrated = true;
    e->ComputeCalibrationUncertainty();
    e->result.frequencies = e->frequencies;
    e->result.permittivity.assign(n, CComplex());
    e->result.sensitivity.assign(n, 0.0);
    e->ComputePermittivity(e->frequencies.data(), e->sampleMeasured.data(),
                           e->result.permittivity.data(), e->result.sensitivity.data(),
                           static_cast<int>(n));
    e->FillUncertainty();
    return e;
}

void CalibrationPart(benchmark::State& state) {
    const auto e = Calibrated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        e->ComputeCalibrationUncertainty();
        benchmark::DoNotOptimize(e->termCovariance.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CalibrationPart)->Arg(1601)->Unit(benchmark::kMicrosecond);

void MeasurementPart(benchmark::State& state) {
    const auto e = Calibrated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        e->FillUncertainty();
        benchmark::DoNotOptimize(e->result.uncertaintyE1.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MeasurementPart)->Arg(1601)->Unit(benchmark::kMicrosecond);

void MonteCarlo(benchmark::State& state) {
    const auto e = Calibrated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto mc = e->MonteCarlo(static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(mc.e1.data());
    }
}
BENCHMARK(MonteCarlo)->Args({201, 1000})->Unit(benchmark::kMillisecond);

}  // namespace
