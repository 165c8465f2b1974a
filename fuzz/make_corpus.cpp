// Writes the seed corpus of the fuzz targets with the program's own writers: setup images of a
// fresh setup, of a calibrated three-point setup with data, of the same on a list sweep and of the
// sibling program, and data
// files with and without the sensitivity column.
//
//   make_corpus <corpus folder>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "persist/DataFile.h"
#include "persist/SetupImage.h"
#include "probe/FrequencyList.h"

namespace {

void Write(const std::filesystem::path& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::printf("%s (%zu bytes)\n", path.string().c_str(), size);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kv;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus <corpus folder>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const auto setup = root / "fuzz_setup_file";
    const auto data = root / "fuzz_data_file";
    std::filesystem::create_directories(setup);
    std::filesystem::create_directories(data);

    // A fresh setup.
    SetupImage fresh;
    fresh.document.dateStamp = fresh.document.timeStamp = 1700000000;
    auto bytes = WriteSetupImage(fresh.Source());
    Write(setup / "fresh.tst", bytes.data(), bytes.size());

    // A calibrated three-point setup with a measurement and a memory.
    SetupImage run;
    DocumentSection& d = run.document;
    d.instrumentName = "DEMO ANALYZER";
    d.includeSensitivity = true;
    d.mathMode = kv::TraceMath::Subtract;
    d.referenceTrace = 1;
    d.title.text =
        "Sample \xC2\xB0"
        "C";
    d.sweep.startValue = 1;
    d.sweep.startUnit = "GHz";
    d.sweep.stopValue = 2;
    d.sweep.stopUnit = "GHz";
    d.sweep.numPoints = 3;
    d.chartFormatCode = 3;
    d.tableFormatCode = 1;
    CProbeEngine& e = *run.engine;
    e.instrumentName = "DEMO ANALYZER";
    e.sweep.startValue = 1;
    e.sweep.startUnit = "GHz";
    e.sweep.stopValue = 2;
    e.sweep.stopUnit = "GHz";
    e.sweep.numPoints = 3;
    e.frequencies = {1e9, 1.5e9, 2e9};
    e.result.sensitivity = {0.5, 0.25, 0.125};
    e.calibrated = true;
    e.calStateSize = 16;
    for (std::size_t i = 0; i < 16; ++i) {
        e.calState[i] = static_cast<std::uint8_t>(i * 17);
    }
    e.stdMeasured1 = e.stdMeasured2 = e.stdMeasured3 = {{0.9, -0.1}, {0.8, -0.2}, {0.7, -0.3}};
    e.errorDirectivity = e.errorSourceMatch = {{0, 0}, {0, 0}, {0, 0}};
    e.errorTracking = {{1, 0}, {1, 0}, {1, 0}};
    e.sampleMeasured = {{0.2, -0.5}, {0.1, -0.6}, {0.0, -0.7}};
    for (int t = 0; t < 2; ++t) {
        CTrace& trace = run.traces[static_cast<std::size_t>(t)];
        trace.valid = trace.displayed = true;
        trace.frequencies = e.frequencies;
        trace.permittivity = {{20.5, 5.25}, {19.75, 6.5}, {18.0, 7.125}};
    }
    bytes = WriteSetupImage(run.Source());
    Write(setup / "calibrated.tst", bytes.data(), bytes.size());

    // The sibling program's magic.
    std::memcpy(bytes.data(), kSetupSiblingMagic, 13);
    Write(setup / "sibling.tst", bytes.data(), bytes.size());

    // The same setup on a list sweep: a file of the list kind.
    e.sweep = ListSweep({1e9, 1.25e9, 2e9});
    e.frequencies = e.sweep.list;
    bytes = WriteSetupImage(run.Source());
    Write(setup / "list.tst", bytes.data(), bytes.size());

    const auto& trace = run.traces[0];
    const std::string withSensitivity =
        FormatDataFile(e.frequencies, trace.permittivity, &e.result.sensitivity);
    Write(data / "with_sensitivity.prn", withSensitivity.data(), withSensitivity.size());
    const std::string plain = FormatDataFile(e.frequencies, trace.permittivity, nullptr);
    Write(data / "plain.prn", plain.data(), plain.size());
    std::string crlf;
    for (const char c : plain) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    Write(data / "plain_crlf.prn", crlf.data(), crlf.size());
    return 0;
}
