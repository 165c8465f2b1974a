#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "probe/ProbeModel.h"
#include "probe/Standards.h"

using kv::CComplex;
using kv::ProbeModel;

// GCC 12 takes the replaced operators below, built on malloc and free, for a mismatched pair
// wherever it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every allocation of the program is counted, so that a benchmark can show that the inverse
// model allocates nothing per call.
static std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

ProbeModel Model() {
    ProbeModel model;
    model.LoadProbeCoefficients(1);
    return model;
}

// A methanol sample over 200 MHz .. 20 GHz, as the analyzer would return it.
struct Sweep {
    std::vector<double> f;
    std::vector<CComplex> gamma;
    std::vector<CComplex> eps;
    std::vector<double> sensitivity;
};

Sweep Methanol(const ProbeModel& model, int points) {
    const kv::ColeCole methanol{32.66, 5.563, 0.0, 5.067e-11};
    Sweep s;
    for (int i = 0; i < points; ++i) {
        const double f = 2e8 + (2e10 - 2e8) * i / (points - 1);
        s.f.push_back(f);
        s.gamma.push_back(model.Reflection(f, kv::ColeColePermittivity(f, methanol)));
    }
    s.eps.resize(points);
    s.sensitivity.resize(points);
    return s;
}

}  // namespace

// One evaluation of the aperture series: the unit of work of the inverse model.
static void BM_ProbeAdmittance(benchmark::State& state) {
    const ProbeModel model = Model();
    CComplex eps(32.0, -12.0);
    double f = 5e9;
    CComplex y;
    for (auto _ : state) {
        benchmark::DoNotOptimize(eps);
        benchmark::DoNotOptimize(f);
        model.ProbeAdmittance(f, eps, y);
        benchmark::DoNotOptimize(y);
    }
}
BENCHMARK(BM_ProbeAdmittance);

// The whole inverse model over a sweep; items are frequency points.
static void BM_ComputePermittivity(benchmark::State& state) {
    const ProbeModel model = Model();
    const int points = static_cast<int>(state.range(0));
    Sweep s = Methanol(model, points);
    long allocated = 0;
    for (auto _ : state) {
        const long before = allocations.load(std::memory_order_relaxed);
        model.ComputePermittivity(s.f.data(), s.gamma.data(), s.eps.data(), s.sensitivity.data(),
                                  points);
        allocated += allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(s.eps.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * points);
    state.counters["allocs/call"] = benchmark::Counter(static_cast<double>(allocated) /
                                                       static_cast<double>(state.iterations()));
    state.counters["ns/point"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * points,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ComputePermittivity)->Arg(51)->Arg(1601)->Arg(100001)->Unit(benchmark::kMicrosecond);
