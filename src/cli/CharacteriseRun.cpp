// The "characterise" command: calibrate, measure a reference liquid, fit the probe model's scales
// to it, print the fit and save the characterised probe.

#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <string>

#include "cli/MeasureRun.h"
#include "cli/TerminalUi.h"
#include "doc/CKv4731xDoc.h"
#include "persist/ProbeFiles.h"
#include "persist/ReferenceLiquidFiles.h"

namespace kv {

namespace {

std::string Number(double x, const char* format = "%g") {
    char text[48];
    std::snprintf(text, sizeof text, format, x);
    return text;
}

// The liquid's temperature for the run: the one asked for, else the liquid's only temperature,
// else the water's.
double LiquidTemperature(const ReferenceLiquid& liquid, const CliOptions& o, double water) {
    if (o.liquidTemperature) {
        return *o.liquidTemperature;
    }
    return DefaultLiquidTemperature(liquid, water);
}

// False, saying at which temperatures the liquid is offered, when it is not offered at `t`.
bool CheckOffered(const ReferenceLiquid& liquid, double t, std::FILE* err) {
    if (LiquidPermittivity(liquid, t, liquid.lowestFrequency)) {
        return true;
    }
    std::string offered;
    for (const TemperatureRange& r : OfferedTemperatures(liquid)) {
        offered += (offered.empty() ? "" : ", ") + Number(r.lowest) +
                   (r.highest > r.lowest ? " to " + Number(r.highest) : std::string()) + " C";
    }
    std::fprintf(err, "kv47310-cli: %s is not offered at %s C; it is offered at %s\n",
                 liquid.id.c_str(), Number(t).c_str(), offered.c_str());
    return false;
}

void PrintFit(const Characterisation& c, const std::string& name, const ReferenceLiquid& liquid,
              double t, double water, std::FILE* out) {
    const ProbeFit& fit = *c.fit;
    const auto percent = [](const FitDeviation& d) {
        return "largest " + Number(100.0 * d.largest, "%.4g") + " %, rms " +
               Number(100.0 * d.rms, "%.4g") + " %";
    };
    std::fprintf(out, "probe: %s\n", name.c_str());
    std::fprintf(out, "liquid: %s at %s C (calibration water at %s C)\n", liquid.id.c_str(),
                 Number(t).c_str(), Number(water).c_str());
    std::fprintf(out, "frequency scale: %s\n", Number(fit.frequencyScale, "%.9g").c_str());
    std::fprintf(out, "coefficient scale: %s (%s)\n", Number(fit.coefficientScale, "%.9g").c_str(),
                 fit.coefficientScaleFitted ? "fitted"
                                            : ("not fitted: " + fit.coefficientScaleNote).c_str());
    std::fprintf(out, "points: %d from %s GHz to %s GHz\n", fit.points,
                 Number(fit.fromHz / 1e9, "%.10g").c_str(),
                 Number(fit.toHz / 1e9, "%.10g").c_str());
    std::fprintf(out, "deviation before: %s\n", percent(fit.before).c_str());
    std::fprintf(out, "deviation after: %s\n", percent(fit.after).c_str());
}

}  // namespace

int RunCharacterise(const CliOptions& o, IComponentRegistry& registry, ProfileStore& profile,
                    std::FILE* out, std::FILE* err) {
    // ---- what the command line names, before anything is connected
    const std::string name =
        !o.probeName.empty()
            ? o.probeName
            : QFileInfo(QFile::decodeName(o.probeFile.c_str())).completeBaseName().toStdString();
    if (std::string why; !ValidProbeName(name, why)) {
        std::fprintf(err, "kv47310-cli: %s\n", why.c_str());
        return kExitUsage;
    }
    // The shipped liquids and the user's own, as --check finds them.
    const ReferenceLiquidLibrary library = LoadReferenceLiquids(ReferenceLiquidPaths());
    for (const std::string& problem : library.problems) {
        std::fprintf(err, "kv47310-cli: warning: %s; its liquids are not used\n", problem.c_str());
    }
    const ReferenceLiquid* liquid = FindReferenceLiquid(library.liquids, o.liquid);
    if (liquid == nullptr) {
        std::fprintf(err, "kv47310-cli: --liquid: no reference liquid is named '%s'\n",
                     o.liquid.c_str());
        return kExitUsage;
    }
    std::optional<ProbeChoice> probe;
    if (!o.probe.empty() && !(probe = ResolveProbe(o.probe, err))) {
        return kExitUsage;
    }
    TerminalUi ui(o.yes, err);
    CKv4731xDoc doc(ui, registry, profile);
    // A setup file may bring its own water temperature: the default is known once it is read.
    if ((o.setupIn.empty() || o.waterTemperature || o.liquidTemperature) &&
        !CheckOffered(*liquid,
                      LiquidTemperature(
                          *liquid, o,
                          o.waterTemperature.value_or(doc.CalibrationSettings().waterTemperature)),
                      err)) {
        return kExitUsage;
    }

    // ---- calibrate
    if (const int status = CalibrateForRun(o, registry, doc, probe, err); status != kExitOk) {
        return status;
    }
    const double water = doc.Engine().calSettings.waterTemperature;
    const double t = LiquidTemperature(*liquid, o, water);
    if (!CheckOffered(*liquid, t, err)) {
        return kExitUsage;
    }

    // ---- measure the liquid and fit
    const Characterisation c = doc.CharacteriseProbe(*liquid, t, name);
    if (c.fit) {
        PrintFit(c, name, *liquid, t, water, out);
    }
    if (!c.outcome.Done()) {
        std::fprintf(err, "kv47310-cli: the probe was not characterised: %s\n",
                     c.outcome.why.c_str());
        return kExitFailed;
    }

    // ---- save
    int status = kExitOk;
    const std::string path =
        o.probeFile.empty() ? ProbeLibraryPath(ProbeLibraryFolder(), name) : o.probeFile;
    const Outcome saved = o.probeFile.empty() ? SaveProbeToLibrary(ProbeLibraryFolder(), c.probe)
                                              : SaveProbeFile(path, c.probe);
    if (saved.Done()) {
        std::fprintf(out, "saved: %s\n", path.c_str());
    } else {
        std::fprintf(err, "kv47310-cli: %s\n", saved.why.c_str());
        status = kExitFailed;
    }
    std::fflush(out);
    if (!o.setupOut.empty() && !doc.SaveSetupFile(o.setupOut).Done()) {
        std::fprintf(err, "kv47310-cli: the setup file %s was not written\n", o.setupOut.c_str());
        status = kExitFailed;
    }
    return status;
}

}  // namespace kv
