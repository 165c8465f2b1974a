// The terminal's Touchstone steps: the files of the "Touchstone files" analyzer for one run, the
// sample's reflection written as Touchstone files, and the "sweep" command.

#include <QCoreApplication>
#include <QFile>
#include <QVariantMap>

#include <cmath>
#include <ctime>
#include <vector>

#include "cli/MeasureRun.h"
#include "cli/TerminalUi.h"
#include "doc/CKv4731xDoc.h"
#include "instrument/IListSweep.h"
#include "instrument/InstrumentDriverBase.h"
#include "persist/DataFile.h"
#include "persist/FileIo.h"
#include "probe/FrequencyList.h"
#include "probe/Readings.h"
#include "touchstone/Touchstone.h"

namespace kv {

namespace {

// The name the "Touchstone files" analyzer reports.
constexpr const char* kTouchstoneAnalyzerName = "Touchstone files";

std::string DriverError(IInstrumentDriver* driver) {
    const auto* errors = dynamic_cast<const IDriverErrors*>(driver);
    std::string text = errors != nullptr ? errors->LastError() : std::string();
    return text.empty() ? std::string("The analyzer did not return a measurement.") : text;
}

std::string NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) != 0 ? text : "";
}

// The sweep of the files' frequencies: the program's linear or logarithmic sweep between their
// ends when its every point is within 1 Hz of theirs, else the list as the files write it.
Sweep FileSweep(const std::vector<double>& list, bool logSweep) {
    const Sweep sweep =
        SweepOfList(list, logSweep ? SweepKind::Logarithmic : SweepKind::Linear, 1.0);
    // A logarithmic sweep the analyzer does not offer is its list.
    return !logSweep && sweep.sweepType == SweepKind::Logarithmic ? ListSweep(list) : sweep;
}

bool WriteText(const std::string& path, const std::string& text, std::FILE* err) {
    if (WriteFileAtomically(path, text) != FileStatus::Ok) {
        std::fprintf(err, "kv47310-cli: An unexpected error occurred while writing %s.\n",
                     path.c_str());
        return false;
    }
    return true;
}

}  // namespace

// The files are handed over as an application property, a map of the settings keys to paths
// that the component reads instead of its settings group: they hold for this process only, and
// the settings a window session keeps stay as they were.
void SetTouchstoneFiles(const CliOptions& o) {
    if (o.touchstoneFiles.empty()) {
        return;
    }
    QVariantMap files;
    for (const auto& [key, path] : o.touchstoneFiles) {
        files.insert(QString::fromStdString(key), QFile::decodeName(path.c_str()));
    }
    QCoreApplication::instance()->setProperty(kTouchstoneRunProperty, files);
}

bool AdoptFileSweep(const CliOptions& o, CKv4731xDoc& doc, std::FILE* err) {
    IInstrumentDriver* driver = doc.Driver();
    if (driver == nullptr || o.SweepGiven() ||
        doc.CurrentInstrumentName() != kTouchstoneAnalyzerName) {
        return true;
    }
    auto* lists = dynamic_cast<IListSweep*>(driver);
    std::vector<double> list;
    if (lists == nullptr || lists->GetFrequencyList(list) != 0 || list.empty()) {
        std::fprintf(err, "kv47310-cli: %s\n", DriverError(driver).c_str());
        return false;
    }
    FrequencyPage page = doc.Engine().CurrentSweepPage();
    page.sweep = FileSweep(list, doc.LogSweepAvailable());
    if (!SetSweepOf(doc, page, err).Done()) {
        std::fprintf(err, "kv47310-cli: the sweep of the files was refused\n");
        return false;
    }
    return true;
}

bool WriteSampleTouchstones(const CliOptions& o, const CKv4731xDoc& doc, std::FILE* err) {
    bool ok = true;
    for (const auto& [path, raw] :
         {std::pair{o.touchstoneOut, false}, std::pair{o.rawTouchstoneOut, true}}) {
        if (path.empty()) {
            continue;
        }
        if (const Outcome written = doc.WriteSampleTouchstone(path, raw); !written.Done()) {
            std::fprintf(err, "kv47310-cli: %s\n", written.why.c_str());
            ok = false;
        }
    }
    return ok;
}

int RunSweep(const CliOptions& o, IComponentRegistry& registry, ProfileStore& profile,
             std::FILE* out, std::FILE* err) {
    TerminalUi ui(o.yes, err);
    CKv4731xDoc doc(ui, registry, profile);
    if (const int status = ConnectForRun(o, registry, doc, err); status != kExitOk) {
        return status;
    }
    if (!SetSweepForRun(o, doc, err)) {
        return kExitFailed;
    }
    const CProbeEngine& engine = doc.Engine();
    TouchstoneData data;
    data.frequencies = engine.frequencies;
    data.s11.assign(data.frequencies.size(), CComplex());
    IInstrumentDriver* driver = doc.Driver();
    if (data.frequencies.empty() || driver->MeasureTrace(data.s11) != 0) {
        std::fprintf(err, "kv47310-cli: %s\n", DriverError(driver).c_str());
        return kExitFailed;
    }
    if (const std::size_t bad = CountUnusableReadings(data.s11); bad > 0) {
        std::fprintf(err, "kv47310-cli: %s\n", UnusableReadingsText(bad).c_str());
        return kExitFailed;
    }
    // Frequency, real and imaginary part of S11 in the data file's column layout.
    const std::string table = FormatReflectionTable(data.frequencies, data.s11);
    std::fwrite(table.data(), 1, table.size(), out);
    std::fflush(out);
    if (!o.touchstoneOut.empty() &&
        !WriteText(o.touchstoneOut, FormatTouchstone(data, doc.CurrentInstrumentName(), NowText()),
                   err)) {
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace kv
