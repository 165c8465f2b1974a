#include "cli/MeasureRun.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <tuple>

#include <QFile>

#include "cli/DriverSettingsOptions.h"
#include "cli/LiquidCheckRun.h"
#include "cli/TerminalUi.h"
#include "doc/CGpibSelectDlg.h"
#include "doc/CKv4731xDoc.h"
#include "instrument/PrintableText.h"
#include "persist/DataFile.h"
#include "persist/ProbeFiles.h"
#include "probe/FrequencyList.h"
#include "probe/ProbeModel.h"
#include "probe/Units.h"
#include "render/RenderExport.h"

namespace kv {

namespace {

// The chart is drawn as in a window of this size, and the table printed as from a screen of this
// resolution.
const QSize kChartSize(1200, 800);
const QSize kScreenResolution(1024, 768);

// The component a text names: its CLSID exactly, or a part of its name (case ignored).
const ComponentInfo* Match(const std::vector<ComponentInfo>& list, const std::string& text) {
    for (const auto& c : list) {
        if (Lower(c.clsid) == Lower(text)) {
            return &c;
        }
    }
    for (const auto& c : list) {
        if (Lower(c.name).find(Lower(text)) != std::string::npos) {
            return &c;
        }
    }
    return nullptr;
}

bool Listed(const std::vector<ComponentInfo>& list, const std::string& clsid) {
    return std::any_of(list.begin(), list.end(),
                       [&](const ComponentInfo& c) { return c.clsid == clsid; });
}

// Chooses one component of a category: the named one, the remembered one, or the first.
bool Choose(IComponentRegistry& registry, const char* category, const char* what,
            const std::string& wanted, std::string& clsid, std::FILE* err) {
    std::vector<ComponentInfo> list;
    if (!registry.List(category, list) || list.empty()) {
        std::fprintf(err, "kv47310-cli: no %s component is installed\n", what);
        return false;
    }
    if (!wanted.empty()) {
        const ComponentInfo* c = Match(list, wanted);
        if (c == nullptr) {
            std::fprintf(err, "kv47310-cli: no %s component matches '%s'\n", what, wanted.c_str());
            return false;
        }
        clsid = c->clsid;
    } else if (clsid.empty() || !Listed(list, clsid)) {
        clsid = list.front().clsid;
    }
    return true;
}

// The cards the analyzer works with, in list order; nullopt when its driver cannot be made.
std::optional<std::vector<ComponentInfo>> AcceptedCards(IComponentRegistry& registry,
                                                        const std::string& instrumentClsid) {
    std::shared_ptr<IInstrumentDriver> driver;
    std::vector<ComponentInfo> cards;
    if (registry.CreateDriver(instrumentClsid, driver) != CreateResult::Ok || !driver ||
        !registry.List(kGpibCardCategory, cards)) {
        return std::nullopt;
    }
    std::vector<ComponentInfo> accepted;
    for (const auto& c : cards) {
        if (driver->SelectGpibCard(c.clsid) == 0) {
            accepted.push_back(c);
        }
    }
    return accepted;
}

bool Accepts(const std::vector<ComponentInfo>& cards, const std::string& clsid) {
    return std::any_of(cards.begin(), cards.end(),
                       [&](const ComponentInfo& c) { return c.clsid == clsid; });
}

std::string NameOf(IComponentRegistry& registry, const char* category, const std::string& clsid) {
    std::vector<ComponentInfo> list;
    registry.List(category, list);
    for (const auto& c : list) {
        if (c.clsid == clsid) {
            return c.name;
        }
    }
    return clsid;
}

// The card for the run: a named card the analyzer does not work with is a mistake (said with
// the cards it works with); without a card named, a card it does not work with gives way to the
// first one it accepts (the cards are listed by name, whatever they drive).
bool ChooseAcceptedCard(const CliOptions& o, IComponentRegistry& registry,
                        const std::string& instrumentClsid, std::string& cardClsid,
                        std::FILE* err) {
    const auto accepted = AcceptedCards(registry, instrumentClsid);
    if (!accepted || Accepts(*accepted, cardClsid)) {
        return true;
    }
    if (o.card.empty()) {
        if (!accepted->empty()) {
            cardClsid = accepted->front().clsid;
        }
        return true;
    }
    std::string fits;
    for (const auto& c : *accepted) {
        fits += (fits.empty() ? "" : ", ") + c.name;
    }
    std::fprintf(err, "kv47310-cli: the %s does not work with the %s card; it works with: %s\n",
                 NameOf(registry, kInstrumentCategory, instrumentClsid).c_str(),
                 NameOf(registry, kGpibCardCategory, cardClsid).c_str(),
                 fits.empty() ? "(no installed card)" : fits.c_str());
    return false;
}

}  // namespace

int RunComponents(IComponentRegistry& registry, std::FILE* out, std::FILE* err) {
    struct Category {
        const char* title;
        const char* id;
    };
    int status = kExitOk;
    for (const Category& category : {Category{"GPIB cards", kGpibCardCategory},
                                     Category{"Instruments", kInstrumentCategory}}) {
        std::vector<ComponentInfo> list;
        if (!registry.List(category.id, list)) {
            std::fprintf(err, "kv47310-cli: the %s could not be listed\n", category.title);
            status = kExitFailed;
            continue;
        }
        std::fprintf(out, "%s:\n", category.title);
        if (list.empty()) {
            std::fprintf(out, "  (none)\n");
        }
        for (const auto& c : list) {
            std::fprintf(out, "  %s  %s\n", c.clsid.c_str(), c.name.c_str());
        }
    }
    const std::vector<ComponentProblem> problems = registry.Problems();
    if (!problems.empty()) {
        std::fprintf(out, "Component files that could not be used:\n");
        for (const ComponentProblem& p : problems) {
            std::fprintf(out, "  %s\n", ProblemLine(p).c_str());
        }
    }
    return status;
}

int ConnectForRun(const CliOptions& o, IComponentRegistry& registry, CKv4731xDoc& doc,
                  std::FILE* err) {
    const std::string rememberedCard = doc.cardClsid;
    if (!Choose(registry, kInstrumentCategory, "analyzer", o.instrument, doc.instrumentClsid,
                err) ||
        !Choose(registry, kGpibCardCategory, "GPIB card", o.card, doc.cardClsid, err)) {
        return kExitUsage;
    }
    SetTouchstoneFiles(o);
    SetRunDriverSettings(o);
    if (!ChooseAcceptedCard(o, registry, doc.instrumentClsid, doc.cardClsid, err)) {
        return kExitUsage;
    }
    doc.rememberedCardClsid = doc.cardClsid;
    doc.rememberedInstrumentClsid = doc.instrumentClsid;
    const AddressKind kind = CardAddressKind(registry, doc.cardClsid);
    // The addresses kept for another card (a host and a port where bus numbers belong) give way
    // to this card's own; addresses given on the command line then replace them.
    if ((!rememberedCard.empty() && doc.cardClsid != rememberedCard) ||
        !AddressesFit(kind, doc.cardAddress, doc.instrumentAddress)) {
        DefaultAddresses(kind, doc.cardAddress, doc.instrumentAddress);
    }
    for (const auto& [given, isCard, option] : {std::tuple{&o.cardAddress, true, "--card-address"},
                                                std::tuple{&o.address, false, "--address"}}) {
        if (!given->has_value()) {
            continue;
        }
        std::string reason;
        std::string& address = isCard ? doc.cardAddress : doc.instrumentAddress;
        if (!CheckAddress(kind, isCard, **given, address, reason)) {
            std::fprintf(err, "kv47310-cli: %s: %s\n", option, reason.c_str());
            return kExitUsage;
        }
    }
    if (!doc.Connect()) {
        // An interrupted connection is no failure of the analyzer's.
        if (!doc.connectCancelled) {
            std::fprintf(err, "kv47310-cli: no analyzer is connected\n");
        }
        return kExitFailed;
    }
    if (!ApplyDriverSettings(o, doc.Driver(), err)) {
        return kExitFailed;
    }
    doc.SetupInstrument();
    doc.Engine().HideWait();
    std::fprintf(err, "Connected: %s\n", PrintableText(doc.CurrentInstrumentName()).c_str());
    return kExitOk;
}

Outcome SetSweepOf(CKv4731xDoc& doc, FrequencyPage page, std::FILE* err) {
    if (!doc.LogSweepAvailable() && page.sweep.sweepType == SweepKind::Logarithmic) {
        std::fprintf(err,
                     "Set Frequency: this analyzer offers no logarithmic sweep; linear used\n");
        page.sweep.sweepType = SweepKind::Linear;
    }
    page.logSweepEnabled = doc.LogSweepAvailable();
    page.setChartScale = true;
    return doc.SetSweep(page);
}

bool SetSweepForRun(const CliOptions& o, CKv4731xDoc& doc, std::FILE* err) {
    if (!o.list.empty() || o.startValue || o.stopValue || o.points || o.log) {
        FrequencyPage page = doc.Engine().CurrentSweepPage();
        if (!o.list.empty()) {
            page.sweep = ListSweep(o.list);
        } else {
            page.sweep.startValue = o.startValue.value_or(page.sweep.startValue);
            page.sweep.startUnit = o.startValue ? o.startUnit : page.sweep.startUnit;
            page.sweep.stopValue = o.stopValue.value_or(page.sweep.stopValue);
            page.sweep.stopUnit = o.stopValue ? o.stopUnit : page.sweep.stopUnit;
            page.sweep.numPoints = o.points.value_or(page.sweep.numPoints);
            page.sweep.sweepType = o.log ? SweepKind::Logarithmic : SweepKind::Linear;
            page.sweep.list.clear();
        }
        if (!SetSweepOf(doc, page, err).Done()) {
            std::fprintf(err, "kv47310-cli: the sweep was refused\n");
            return false;
        }
    }

    return AdoptFileSweep(o, doc, err);
}

std::optional<ProbeChoice> ResolveProbe(const std::string& text, std::FILE* err) {
    const std::string lower = Lower(text);
    if (lower == "a" || lower == "b") {
        return ProbeChoice{lower == "a" ? 0 : 1, 1.0, 1.0};
    }
    const bool isFile = text.find('/') != std::string::npos ||
                        (lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".json") == 0);
    const ProbeLoad load = isFile ? LoadProbeFile(text) : FindProbe(ProbeLibraryFolder(), text);
    if (!load.probe) {
        std::fprintf(err, "kv47310-cli: --probe: %s\n", load.error.c_str());
        return std::nullopt;
    }
    return ProbeChoice{load.probe->stockType, load.probe->frequencyScale,
                       load.probe->coefficientScale};
}

int CalibrateForRun(const CliOptions& o, IComponentRegistry& registry, CKv4731xDoc& doc,
                    const std::optional<ProbeChoice>& probe, std::FILE* err,
                    LiquidCheckRun* check) {
    // ---- connect
    if (const int status = ConnectForRun(o, registry, doc, err); status != kExitOk) {
        return status;
    }

    // ---- setup file
    if (!o.setupIn.empty()) {
        if (IsDataFilePath(o.setupIn)) {
            std::fprintf(err, "kv47310-cli: --setup takes a setup file, not a data file\n");
            return kExitUsage;
        }
        if (!doc.OpenSetupFile(o.setupIn).Done()) {
            std::fprintf(err, "kv47310-cli: the setup file %s was not loaded\n", o.setupIn.c_str());
            return kExitFailed;
        }
    }

    // ---- sweep
    const CProbeEngine& engine = doc.Engine();
    if (!SetSweepForRun(o, doc, err)) {
        return kExitFailed;
    }

    // ---- calibration settings
    const bool calibrationGiven = o.calibrationType || o.waterTemperature || probe;
    if (calibrationGiven) {
        CalibrationSheet sheet = doc.CalibrationSettings();
        sheet.calibrationType = o.calibrationType.value_or(sheet.calibrationType);
        sheet.probeType = probe ? probe->stockType : sheet.probeType;
        sheet.waterTemperature = o.waterTemperature.value_or(sheet.waterTemperature);
        doc.ConfigureCalibration(sheet);
        if (probe) {
            doc.UseProbe(probe->stockType, probe->frequencyScale, probe->coefficientScale);
        }
    }
    if (check && !check->SettleTemperature(doc.CalibrationSettings().waterTemperature, err)) {
        return kExitUsage;
    }

    // ---- calibrate (a calibration from the setup file is used as it is unless the run changes
    // what it was made with)
    if (!engine.calibrated || calibrationGiven) {
        if (!doc.PerformCalibration().Done()) {
            std::fprintf(err, "kv47310-cli: the calibration was not completed\n");
            return kExitFailed;
        }
    } else {
        std::fprintf(err, "Using the calibration of the setup file.\n");
    }
    if (o.refresh && !doc.RefreshCalibration().Done()) {
        std::fprintf(err, "kv47310-cli: the refresh was not completed\n");
        return kExitFailed;
    }
    return kExitOk;
}

int RunMeasure(const CliOptions& o, IComponentRegistry& registry, ProfileStore& profile,
               std::FILE* out, std::FILE* err) {
    // A probe that cannot be found is a mistake on the command line: nothing is connected.
    std::optional<ProbeChoice> probe;
    if (!o.probe.empty() && !(probe = ResolveProbe(o.probe, err))) {
        return kExitUsage;
    }
    // The liquid of --check is found before anything is connected: an unknown one is a mistake.
    std::optional<LiquidCheckRun> check;
    if (!o.checkLiquid.empty() && !check.emplace().Prepare(o, err)) {
        return kExitUsage;
    }
    TerminalUi ui(o.yes, err);
    CKv4731xDoc doc(ui, registry, profile);
    if (const int status = CalibrateForRun(o, registry, doc, probe, err, check ? &*check : nullptr);
        status != kExitOk) {
        return status;
    }

    // ---- measure
    if (!doc.Measure(o.trigger).Done()) {
        std::fprintf(err, "kv47310-cli: no measurement was made\n");
        return kExitFailed;
    }

    // An interrupt that came while nothing waited: no result and no file is begun.
    if (TerminalUi::Interrupted()) {
        return kExitFailed;
    }

    // ---- result: the data-file layout with the sensitivity column
    const MeasurementResult& measured = doc.Result();
    const std::vector<CComplex>& result = measured.permittivity;
    const std::string table = FormatDataFile(measured.frequencies, result, &measured.sensitivity);
    std::fwrite(table.data(), 1, table.size(), out);
    std::fflush(out);

    // Points the probe model could not compute are marked 9999: a result without one computed
    // point is no measurement, though its files are written as for any other.
    int status = kExitOk;
    const auto invalid = std::count_if(result.begin(), result.end(), [](const CComplex& v) {
        return v.re == kInvalidValue && v.im == kInvalidValue;
    });
    if (invalid > 0 && static_cast<std::size_t>(invalid) == result.size()) {
        std::fprintf(err, "kv47310-cli: none of the %zu points of the result could be computed\n",
                     result.size());
        status = kExitFailed;
    } else if (invalid > 0) {
        std::fprintf(err,
                     "kv47310-cli: %ld of the %zu points of the result could not be computed\n",
                     static_cast<long>(invalid), result.size());
    }
    if (check) {
        check->Report(measured, err);
    }

    // ---- files
    if (!o.dataOut.empty()) {
        doc.includeSensitivity = o.sensitivity;
        if (!doc.SaveDataFile(o.dataOut, kDataTrace).Done()) {
            std::fprintf(err, "kv47310-cli: the data file was not written\n");
            status = kExitFailed;
        }
    }
    QString error;
    if (!o.chartFile.empty()) {
        doc.SelectChartFormat(ChartFormatNamed(o.chartFormat).value_or(ChartFormat::E1));
        if (o.autoscale) {
            doc.Autoscale();
        }
        if (!ExportChart(doc, QFile::decodeName(o.chartFile.c_str()), kChartSize, &error)) {
            std::fprintf(err, "kv47310-cli: %s\n", error.toLocal8Bit().constData());
            status = kExitFailed;
        }
    }
    if (!o.tableFile.empty() &&
        !ExportTable(doc, QFile::decodeName(o.tableFile.c_str()), kScreenResolution, &error)) {
        std::fprintf(err, "kv47310-cli: %s\n", error.toLocal8Bit().constData());
        status = kExitFailed;
    }
    if (!WriteSampleTouchstones(o, doc, err)) {
        status = kExitFailed;
    }
    if (!o.setupOut.empty() && !doc.SaveSetupFile(o.setupOut).Done()) {
        std::fprintf(err, "kv47310-cli: the setup file %s was not written\n", o.setupOut.c_str());
        status = kExitFailed;
    }
    return status;
}

}  // namespace kv
