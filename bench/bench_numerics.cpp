#include <benchmark/benchmark.h>

#include "numerics/CComplex.h"

using kv::CComplex;

// One point of the calibration's error-term solution: invert a 3 x 3 complex matrix and multiply
// the inverse by the right-hand side.
static void BM_Invert3x3AndProduct(benchmark::State& state) {
    const CComplex a[9] = {{0.31, -0.2}, {1, 0},        {-0.02, 0.05}, {-1, 0},      {1, 0},
                           {-0.98, 0.1}, {0.99, -0.05}, {1, 0},        {-0.97, 0.06}};
    const CComplex b[3] = {{0.12, 0.3}, {-0.9, 0.1}, {0.95, -0.04}};
    CComplex inv[9];
    CComplex x[3];
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        CComplex::Invert(a, inv, 3);
        CComplex::MatrixProduct(inv, 3, 3, b, 3, 1, x);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_Invert3x3AndProduct);
