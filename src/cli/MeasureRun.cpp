#include "cli/MeasureRun.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include <QFile>

#include "cli/DriverSettingsOptions.h"
#include "cli/TerminalUi.h"
#include "doc/CGpibSelectDlg.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
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

// How the card of that CLSID writes its addresses.
AddressKind CardAddressKind(IComponentRegistry& registry, const std::string& clsid) {
    std::vector<ComponentInfo> cards;
    registry.List(kGpibCardCategory, cards);
    for (const auto& c : cards) {
        if (c.clsid == clsid) {
            return c.addresses;
        }
    }
    return AddressKind::Numbers;
}

// Without a card named, a card the analyzer does not work with gives way to the first one it
// accepts (the cards are listed by name, whatever they drive).
void ChooseAcceptedCard(IComponentRegistry& registry, const std::string& instrumentClsid,
                        std::string& cardClsid) {
    std::shared_ptr<IInstrumentDriver> driver;
    std::vector<ComponentInfo> cards;
    if (registry.CreateDriver(instrumentClsid, driver) != CreateResult::Ok || !driver ||
        !registry.List(kGpibCardCategory, cards) || driver->SelectGpibCard(cardClsid) == 0) {
        return;
    }
    for (const auto& c : cards) {
        if (driver->SelectGpibCard(c.clsid) == 0) {
            cardClsid = c.clsid;
            return;
        }
    }
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
    return status;
}

int ConnectForRun(const CliOptions& o, IComponentRegistry& registry, CKv4731xDoc& doc,
                  std::FILE* err) {
    if (!Choose(registry, kInstrumentCategory, "analyzer", o.instrument, doc.instrumentClsid,
                err) ||
        !Choose(registry, kGpibCardCategory, "GPIB card", o.card, doc.cardClsid, err)) {
        return kExitUsage;
    }
    SetTouchstoneFiles(o);
    if (o.card.empty()) {
        ChooseAcceptedCard(registry, doc.instrumentClsid, doc.cardClsid);
    }
    doc.rememberedCardClsid = doc.cardClsid;
    doc.rememberedInstrumentClsid = doc.instrumentClsid;
    const AddressKind kind = CardAddressKind(registry, doc.cardClsid);
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
        ExplainConnectFailure(registry, doc, err);
        std::fprintf(err, "kv47310-cli: no analyzer is connected\n");
        return kExitFailed;
    }
    if (!ApplyDriverSettings(o, doc.Driver(), err)) {
        return kExitFailed;
    }
    doc.SetupInstrument();
    doc.Engine().HideWait();
    std::fprintf(err, "Connected: %s\n", doc.CurrentInstrumentName().c_str());
    return kExitOk;
}

bool SetSweepForRun(const CliOptions& o, CKv4731xDoc& doc, TerminalUi& ui, std::FILE* err) {
    CProbeEngine& engine = doc.Engine();
    const bool sweepGiven = o.startValue || o.stopValue || o.points || o.log;
    if (sweepGiven) {
        FrequencyPage page;
        page.sweep.startValue = o.startValue.value_or(engine.sweep.startValue);
        page.sweep.startUnit = o.startValue ? o.startUnit : engine.sweep.startUnit;
        page.sweep.stopValue = o.stopValue.value_or(engine.sweep.stopValue);
        page.sweep.stopUnit = o.stopValue ? o.stopUnit : engine.sweep.stopUnit;
        page.sweep.numPoints = o.points.value_or(engine.sweep.numPoints);
        page.sweep.sweepType = o.log ? 1 : 0;
        page.setChartScale = true;
        ui.frequencyPage = page;
        doc.SetModified(false);
        doc.OnCommand(ID_SET_FREQUENCY);
        if (!doc.IsModified()) {
            std::fprintf(err, "kv47310-cli: the sweep was refused\n");
            return false;
        }
    }

    return AdoptFileSweep(o, doc, ui, err);
}

int RunMeasure(const CliOptions& o, IComponentRegistry& registry, ProfileStore& profile,
               std::FILE* out, std::FILE* err) {
    TerminalUi ui(o.yes, err);
    CKv4731xDoc doc(ui, registry, profile);

    // ---- connect
    if (const int status = ConnectForRun(o, registry, doc, err); status != kExitOk) {
        return status;
    }

    // ---- setup file
    if (!o.setupIn.empty()) {
        if (o.setupIn.find(".prn") != std::string::npos ||
            o.setupIn.find(".PRN") != std::string::npos) {
            std::fprintf(err, "kv47310-cli: --setup takes a setup file, not a data file\n");
            return kExitUsage;
        }
        if (!doc.OnOpenDocument(o.setupIn)) {
            std::fprintf(err, "kv47310-cli: the setup file %s was not loaded\n", o.setupIn.c_str());
            return kExitFailed;
        }
    }

    // ---- sweep
    CProbeEngine& engine = doc.Engine();
    if (!SetSweepForRun(o, doc, ui, err)) {
        return kExitFailed;
    }

    // ---- calibration settings
    const bool calibrationGiven = o.calibrationType || o.waterTemperature || o.probeType;
    if (calibrationGiven) {
        CalibrationSheet sheet = engine.calSettings;
        sheet.calibrationType = o.calibrationType.value_or(sheet.calibrationType);
        sheet.probeType = o.probeType.value_or(sheet.probeType);
        sheet.waterTemperature = o.waterTemperature.value_or(sheet.waterTemperature);
        ui.calibrationSheet = sheet;
        doc.OnCommand(ID_CONFIGURE_CAL);
    }

    // ---- calibrate (a calibration from the setup file is used as it is unless the run changes
    // what it was made with)
    if (!engine.calibrated || calibrationGiven) {
        const int completed = engine.completedCalibrations;
        doc.OnCommand(ID_PERFORM_CAL);
        if (engine.completedCalibrations == completed || ui.QuitRequested()) {
            std::fprintf(err, "kv47310-cli: the calibration was not completed\n");
            return kExitFailed;
        }
    } else {
        std::fprintf(err, "Using the calibration of the setup file.\n");
    }
    if (o.refresh) {
        const int completed = engine.completedCalibrations;
        doc.OnCommand(ID_REFRESH_CAL);
        if (engine.completedCalibrations == completed || ui.QuitRequested()) {
            std::fprintf(err, "kv47310-cli: the refresh was not completed\n");
            return kExitFailed;
        }
    }

    // ---- measure
    const int measured = doc.measurementCount;
    doc.OnCommand(o.trigger ? ID_ARM_EXTERNAL_TRIGGER : ID_TRIGGER_MEASUREMENT);
    if (doc.measurementCount == measured) {
        std::fprintf(err, "kv47310-cli: no measurement was made\n");
        return kExitFailed;
    }

    // ---- result: the data-file layout with the sensitivity column
    const CTrace& data = doc.Trace(kDataTrace);
    const auto& f = engine.frequencies;
    const std::size_t n = std::min({f.size(), data.permittivity.size(), engine.sensitivity.size()});
    std::fprintf(out, "frequency\te'\te''\tsensitivity\n");
    for (std::size_t i = 0; i < n; ++i) {
        std::fprintf(out, "%15.4f\t%9.4f\t%9.4f\t%15.4f\n", f[i], data.permittivity[i].re,
                     data.permittivity[i].im, engine.sensitivity[i]);
    }
    std::fflush(out);

    // ---- files
    int status = kExitOk;
    if (!o.dataOut.empty()) {
        doc.includeSensitivity = o.sensitivity;
        ui.traceChoice = kDataTrace;
        ui.saveFileName = o.dataOut;
        doc.OnCommand(ID_FILE_SAVE_DATA);
        if (ui.saveFileName.has_value()) {
            std::fprintf(err, "kv47310-cli: the data file was not written\n");
            status = kExitFailed;
        }
    }
    QString error;
    if (!o.chartFile.empty()) {
        const int format = o.chartFormat == "e2"         ? ID_FORMAT_E2
                           : o.chartFormat == "tan"      ? ID_FORMAT_TAN_E
                           : o.chartFormat == "colecole" ? ID_FORMAT_COLE_COLE
                                                         : ID_FORMAT_E1;
        doc.OnCommand(format);
        if (o.autoscale) {
            doc.OnCommand(ID_AUTOSCALE);
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
    if (!o.setupOut.empty() && !doc.OnSaveDocument(o.setupOut)) {
        std::fprintf(err, "kv47310-cli: the setup file %s was not written\n", o.setupOut.c_str());
        status = kExitFailed;
    }
    return status;
}

}  // namespace kv
