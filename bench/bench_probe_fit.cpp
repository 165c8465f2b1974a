// The characterisation fit over a whole sweep: every trial recalibrates from the standards'
// readings and inverts the liquid's reading. Readings are synthesised from a probe of frequency
// scale 0.7 (and coefficient scale 0.8 for load/air/short, where that scale is fitted too) and an
// acetone-like Debye liquid, through mild error terms.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "instrument/DownloadedTerms.h"
#include "probe/CProbeEngine.h"
#include "probefit/ProbeFit.h"

namespace {

using kv::CComplex;

CComplex Acetone(double f) {
    return CComplex::Add({4.2, 0.0}, CComplex::Divide({16.5, 0.0}, CComplex(1.0, f / 3e9)));
}

CComplex Raw(CComplex g) {
    const CComplex e00{0.02, 0.01};
    const CComplex e11{0.05, -0.02};
    const CComplex t{0.9, 0.1};
    const CComplex den = CComplex::Subtract({1.0, 0.0}, CComplex::Multiply(e11, g));
    return CComplex::Add(e00, CComplex::Divide(CComplex::Multiply(t, g), den));
}

void FitProbeScale(benchmark::State& state) {
    const bool loadAirShort = state.range(1) != 0;
    kv::CProbeEngine engine;
    engine.sweep.numPoints = static_cast<int>(state.range(0));
    engine.calSettings.calibrationType =
        loadAirShort ? kv::CalibrationType::LoadAirShort : kv::CalibrationType::AirShortWater;
    engine.BuildFrequencyList();
    kv::ProbeModel truth = engine.model;
    truth.frequencyScale = 0.7;
    truth.coefficientScale = loadAirShort ? 0.8 : 1.0;
    truth.LoadProbeCoefficients(engine.calSettings.probeType);
    for (double f : engine.frequencies) {
        engine.stdMeasured1.push_back(Raw(engine.StandardReflection(truth, 1, f)));
        engine.stdMeasured2.push_back(Raw(engine.StandardReflection(truth, 2, f)));
        engine.stdMeasured3.push_back(Raw(engine.StandardReflection(truth, 3, f)));
    }
    engine.ComputeCalibration();
    engine.calibrated = true;
    std::vector<CComplex> liquid;
    for (std::size_t i = 0; i < engine.frequencies.size(); ++i) {
        const double f = engine.frequencies[i];
        liquid.push_back(
            kv::CorrectReflection(Raw(truth.Reflection(f, Acetone(f))), engine.errorDirectivity[i],
                                  engine.errorSourceMatch[i], engine.errorTracking[i]));
    }
    kv::ProbeFit fit;
    for (auto _ : state) {
        fit = kv::FitProbeScale(engine, liquid, Acetone, 0.0, 1e12, loadAirShort);
        benchmark::DoNotOptimize(fit);
    }
    state.counters["iterations"] = fit.iterations;
    state.counters["fs"] = fit.frequencyScale;
    state.SetLabel(std::string(loadAirShort ? "load/air/short, fs and s" : "air/short/water, fs") +
                   (fit.outcome.Done() ? "" : ", refused: " + fit.outcome.why));
}

BENCHMARK(FitProbeScale)->ArgsProduct({{201, 1601}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
