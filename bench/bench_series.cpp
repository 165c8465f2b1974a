// A series of measurements: the program's own time per record, without the sweep (an analyzer
// that answers at once), at 1601 and 100001 points, not recorded and recorded to HDF5 and CSV; and
// the memory after 10000 records.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "doc/CKv4731xDoc.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace {

using namespace kv;
using namespace kv::test;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("kv-bench-series-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// The resident set, bytes.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// A document connected to an analyzer that answers at once, calibrated over `points` points; its
// readings are one sample's reflections, computed once.
struct Session {
    ScriptedUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
    std::vector<CComplex> sample;

    explicit Session(int points) {
        registry.driver = std::make_shared<FakeDriver>();
        registry.driver->maxPoints = points;
        profile.values[kProfileCardClsid] = kFakeCardClsid;
        profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = TempPath("47310.dft");
        doc->OnViewsShown();
        FrequencyPage page = doc->Engine().CurrentSweepPage();
        page.sweep.startValue = 200;
        page.sweep.startUnit = "MHz";
        page.sweep.stopValue = 20;
        page.sweep.stopUnit = "GHz";
        page.sweep.numPoints = points;
        doc->SetSweep(page);
        CKv4731xDoc& d = *doc;
        registry.driver->reflection = [&d](double f, int call) {
            return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
        };
        d.PerformCalibration();
        for (double f : d.Engine().frequencies) {
            sample.push_back(d.Engine().model.Reflection(f, {20.0, -5.0}));
        }
        std::size_t next = 0;
        registry.driver->reflection = [this, next](double, int) mutable {
            return sample[next++ % sample.size()];
        };
    }
    ~Session() { std::remove(doc->defaultsPath.c_str()); }
};

// Arguments: points, file kind (0 none, 1 .h5, 2 .csv).
void BM_SeriesRecord(benchmark::State& state) {
    Session session(static_cast<int>(state.range(0)));
    const int kind = static_cast<int>(state.range(1));
    const int records = state.range(0) > 10000 ? 5 : 50;
    int run = 0;
    for (auto _ : state) {
        std::string path;
        if (kind != 0) {
            path = TempPath("run" + std::to_string(run++) + (kind == 1 ? ".h5" : ".csv"));
        }
        const Outcome o = session.doc->MeasureSeries({0.0, records, 0.0, path});
        if (!o.Done()) {
            state.SkipWithError(o.why.c_str());
        }
        state.PauseTiming();
        if (!path.empty()) {
            std::remove(path.c_str());
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.counters["records"] = records;
}
BENCHMARK(BM_SeriesRecord)
    ->ArgsProduct({{1601, 100001}, {0, 1, 2}})
    ->ArgNames({"points", "file"})
    ->Unit(benchmark::kMillisecond);

// 10000 records of 201 points, not recorded, to HDF5 and to CSV: the resident set after 100, 5000
// and 10000 records. The test doubles' own logs are emptied as the series goes, so that what
// grows is the program's.
void BM_SeriesMemory(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Session session(201);
        const std::string path =
            kind == 0 ? std::string() : TempPath(kind == 1 ? "memory.h5" : "memory.csv");
        double after100 = 0.0;
        double after5000 = 0.0;
        CKv4731xDoc::SeriesEvents events;
        events.recorded = [&](int index, double, const SeriesProgress&) {
            session.registry.driver->calls.clear();
            session.registry.driver->titles.clear();
            session.ui.seriesProgress.clear();
            if (index == 99) {
                after100 = ResidentBytes();
            } else if (index == 4999) {
                after5000 = ResidentBytes();
            }
        };
        session.doc->MeasureSeries({0.0, 10000, 0.0, path}, events);
        const double after10000 = ResidentBytes();
        if (!path.empty()) {
            std::remove(path.c_str());
        }
        state.counters["rss_after_100_MiB"] = after100 / 1048576.0;
        state.counters["rss_after_5000_MiB"] = after5000 / 1048576.0;
        state.counters["rss_after_10000_MiB"] = after10000 / 1048576.0;
        state.counters["growth_bytes_per_record"] = (after10000 - after100) / 9900.0;
    }
}
BENCHMARK(BM_SeriesMemory)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("file")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
