// The NanoVNA V2 protocol: 1601 FIFO records decoded and placed by index (the reader's own time,
// as 6 reads of 255 and one of 71 starting mid-sweep), and a 1601-point scan read from the V2
// emulator on a pseudo terminal (the terminal's and the emulator's time included).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "NanoVnaProtocol.h"
#include "NanoVnaV2Codec.h"
#ifdef KV_WITH_V2_EMULATOR
#include "PtyTestLink.h"
#include "V2Emulator.h"
#endif

namespace {

constexpr int kPoints = 1601;

void BM_V2Place1601(benchmark::State& state) {
    std::string bytes(kPoints * kv::kV2RecordBytes, '\0');
    for (int i = 0; i < kPoints; ++i) {
        kv::V2Record r;
        r.index = (i + 977) % kPoints;  // the sweep was at point 977 when the FIFO was cleared
        r.forward[0] = static_cast<std::int32_t>(2e8 * std::cos(0.3 * i));
        r.forward[1] = static_cast<std::int32_t>(2e8 * std::sin(0.3 * i));
        r.reverse1[0] = static_cast<std::int32_t>(-6e7 * std::cos(0.1 * i));
        r.reverse1[1] = static_cast<std::int32_t>(9e7 * std::sin(0.2 * i));
        kv::EncodeV2Record(r, reinterpret_cast<unsigned char*>(&bytes[i * kv::kV2RecordBytes]));
    }
    for (auto _ : state) {
        kv::V2RecordPlacer placer(kPoints);
        std::string error;
        for (int done = 0; done < kPoints;) {
            const int n = std::min(kv::kV2MaxFifoRecords, kPoints - done);
            placer.Place(reinterpret_cast<const unsigned char*>(&bytes[done * kv::kV2RecordBytes]),
                         n, error);
            done += n;
        }
        if (!placer.Complete()) {
            state.SkipWithError("the sweep was not complete");
            return;
        }
        benchmark::DoNotOptimize(placer.S11().data());
    }
}
BENCHMARK(BM_V2Place1601)->Unit(benchmark::kMicrosecond);

#ifdef KV_WITH_V2_EMULATOR
void BM_V2Scan1601Emulator(benchmark::State& state) {
    kv::test::V2EmulatorOptions options;
    options.hardware = 4;  // 65535 points a scan
    kv::test::V2Emulator emulator(options);
    kv::test::PtyTestLink link(emulator.Path());
    auto protocol = kv::MakeV2Protocol();
    kv::NanoVnaLimits limits;
    std::string error;
    if (emulator.Path().empty() || !link.Open(error) ||
        !protocol->Begin(link, 5000, limits, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    kv::NanoVnaScan scan;
    for (auto _ : state) {
        if (!protocol->Scan(link, 300000000, 3000000000, kPoints, 10000, scan, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(scan.s11.data());
    }
}
BENCHMARK(BM_V2Scan1601Emulator)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
