// Setup-image save and load with full traces and engine arrays, in memory and through a file,
// and the data file of one trace.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "persist/DataFile.h"
#include "persist/FileIo.h"
#include "persist/SetupImage.h"

namespace {

using namespace kv;

// A setup whose four traces and every engine array hold `n` points.
std::unique_ptr<SetupImage> FullImage(std::size_t n) {
    auto image = std::make_unique<SetupImage>();
    std::vector<double> f(n);
    std::vector<CComplex> c(n);
    for (std::size_t i = 0; i < n; ++i) {
        f[i] = 2e8 + static_cast<double>(i) * 1e5;
        c[i] = {0.5 + 1e-6 * static_cast<double>(i), -0.25};
    }
    for (CTrace& t : image->traces) {
        t.valid = t.displayed = true;
        t.frequencies = f;
        t.permittivity = c;
    }
    CProbeEngine& e = *image->engine;
    e.sweep.numPoints = static_cast<int>(n);
    e.frequencies = e.result.sensitivity = f;
    e.stdMeasured1 = e.stdMeasured2 = e.stdMeasured3 = e.refreshMeasured = c;
    e.errorDirectivity = e.errorSourceMatch = e.errorTracking = e.sampleMeasured = c;
    e.calibrated = true;
    return image;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("kv-bench-") + std::to_string(::getpid()) + "-" + name))
        .string();
}

void BM_SetupImageWrite(benchmark::State& state) {
    const auto image = FullImage(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto b = WriteSetupImage(image->Source());
        bytes = b.size();
        benchmark::DoNotOptimize(b.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_SetupImageRead(benchmark::State& state) {
    const auto b = WriteSetupImage(FullImage(static_cast<std::size_t>(state.range(0)))->Source());
    for (auto _ : state) {
        SetupImage image;
        benchmark::DoNotOptimize(ReadSetupImage(b, image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * b.size()));
}

// Save (image, temporary file, rename) and load (whole file, image) as the document does.
void BM_SetupFileSaveLoad(benchmark::State& state) {
    const auto image = FullImage(static_cast<std::size_t>(state.range(0)));
    const std::string path = TempPath("setup.tst");
    std::vector<std::uint8_t> read;
    for (auto _ : state) {
        if (WriteFileAtomically(path, WriteSetupImage(image->Source())) != FileStatus::Ok ||
            ReadWholeFile(path, read) != FileStatus::Ok) {
            state.SkipWithError("file error");
            break;
        }
        SetupImage back;
        benchmark::DoNotOptimize(ReadSetupImage(read, back));
    }
    state.counters["file_bytes"] = static_cast<double>(read.size());
    std::filesystem::remove(path);
}

void BM_DataFileSaveLoad(benchmark::State& state) {
    const auto image = FullImage(static_cast<std::size_t>(state.range(0)));
    const CProbeEngine& e = *image->engine;
    const std::string path = TempPath("data.prn");
    std::vector<std::uint8_t> read;
    for (auto _ : state) {
        const std::string text =
            FormatDataFile(e.frequencies, image->traces[0].permittivity, &e.result.sensitivity);
        if (WriteFileAtomically(path, text) != FileStatus::Ok ||
            ReadWholeFile(path, read) != FileStatus::Ok) {
            state.SkipWithError("file error");
            break;
        }
        const DataFileParse p = ParseDataFile(
            std::string_view(reinterpret_cast<const char*>(read.data()), read.size()));
        benchmark::DoNotOptimize(p.contents.frequencies.data());
    }
    state.counters["file_bytes"] = static_cast<double>(read.size());
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(BM_SetupImageWrite)->Arg(51)->Arg(1601)->Arg(100001)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupImageRead)->Arg(51)->Arg(1601)->Arg(100001)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupFileSaveLoad)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataFileSaveLoad)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);
