// The NanoVNA analyzer's text shell: a 1601-point sweep (16 scans) read through a pseudo
// terminal from the emulated shell and corrected, and the driver's own share of it, the reading
// of the shell's replies and the correction, on the bytes the emulator sends (without the time
// the emulator takes to compute them).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdio>

#include "NanoVnaDriver.h"
#include "NanoVnaShellReply.h"
#include "instrument/DownloadedTerms.h"
#include "instrument/SerialCardId.h"
#include "nanovna/ShellEmulator.h"

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "bench_nanovna";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

std::vector<double> Linear1601() {
    std::vector<double> f;
    for (int i = 0; i < 1601; ++i) {
        f.push_back(300e6 + i * 375e3);
    }
    return f;
}

std::vector<kv::CComplex> Terms(std::size_t n, double re) {
    return std::vector<kv::CComplex>(n, kv::CComplex(re, 0.01));
}

void BM_ShellSweep1601(benchmark::State& state) {
    EnsureApplication();
    kv::test::ShellEmulator emulator;
    const std::string port = emulator.Start();
    kv::NanoVnaDriver driver(kv::NanoVnaSettings{}, kv::MakeSerialPortLink,
                             [] { return std::vector<std::string>(); });
    driver.SelectGpibCard(kv::kSerialCardClsid);
    driver.SetAddresses(port, "");
    const auto f = Linear1601();
    if (driver.CheckInstrument() != 0 || driver.SetFrequencyList(f, 1601, 0) != 0) {
        state.SkipWithError(driver.LastError().c_str());
        return;
    }
    driver.DownloadCalibration(Terms(1601, 0.02), Terms(1601, 0.05), Terms(1601, 0.9));
    std::vector<kv::CComplex> trace(1601);
    for (auto _ : state) {
        if (driver.MeasureTrace(trace) != 0) {
            state.SkipWithError(driver.LastError().c_str());
            return;
        }
        benchmark::DoNotOptimize(trace.data());
    }
}
BENCHMARK(BM_ShellSweep1601)->Unit(benchmark::kMillisecond);

// The 16 replies of a 1601-point sweep as the shell sends them, read, parsed and corrected.
void BM_ShellParseAndCorrect1601(benchmark::State& state) {
    const auto f = Linear1601();
    std::vector<std::pair<std::string, std::string>> replies;  // command, bytes
    for (int s = 0; s < 16; ++s) {
        const int first = s * 100 + (s > 0 ? 1 : 0);
        const int last = s * 100 + 100;
        const int n = last - first + 1;
        const std::string command = "scan " + std::to_string(static_cast<long long>(f[first])) +
                                    " " + std::to_string(static_cast<long long>(f[last])) + " " +
                                    std::to_string(n) + " 59";
        std::string bytes = command + "\r\n";
        for (int i = first; i <= last; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "%lld %f %f \r\n", static_cast<long long>(f[i]),
                          0.5 - i * 1e-4, -0.25 + i * 1e-4);
            bytes += line;
        }
        replies.emplace_back(command, bytes + "ch> ");
    }
    kv::DownloadedTerms terms;
    const auto d = Terms(1601, 0.02), m = Terms(1601, 0.05), t = Terms(1601, 0.9);
    terms.Assign(d, m, t);
    std::vector<kv::CComplex> trace(1601);
    for (auto _ : state) {
        std::size_t at = 0;
        for (const auto& [command, bytes] : replies) {
            std::vector<std::string> lines;
            std::size_t used = 0;
            std::string error;
            kv::ReadShellReply(bytes, command, lines, used, error);
            for (const std::string& line : lines) {
                kv::ShellScanPoint p;
                kv::ParseShellScanLine(line, 3, p, error);
                trace[at] = terms.Correct(at, kv::CComplex(p.re, p.im));
                ++at;
            }
        }
        benchmark::DoNotOptimize(trace.data());
    }
}
BENCHMARK(BM_ShellParseAndCorrect1601)->Unit(benchmark::kMicrosecond);

}  // namespace
