// The probe in use: its characterisation with a reference liquid, and a characterised or stock
// probe to measure with.

#include <cstdio>
#include <ctime>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "persist/ReferenceLiquidFiles.h"

namespace kv {

namespace {

const char* const kCharacteriseCaption = "Characterise Probe";

// A temperature as the prompts show it: 25, 22.5.
std::string TemperatureText(double celsius) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", celsius);
    return text;
}

// 12.5 %
std::string PercentText(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g %%", 100.0 * fraction);
    return text;
}

// Now in UTC, ISO 8601: 2026-12-08T20:40:00Z.
std::string NowIso8601() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) != 0 ? text : "";
}

std::string Number(double x, const char* format) {
    char text[48];
    std::snprintf(text, sizeof text, format, x);
    return text;
}

// "20 to 30 C, 40 C": the temperatures a liquid is offered at.
std::string OfferedText(const ReferenceLiquid& liquid) {
    std::string offered;
    for (const TemperatureRange& r : OfferedTemperatures(liquid)) {
        offered += (offered.empty() ? "" : ", ") + TemperatureText(r.lowest) +
                   (r.highest > r.lowest ? " to " + TemperatureText(r.highest) : std::string()) +
                   " C";
    }
    return offered;
}

std::string ShownName(const ReferenceLiquid& liquid) {
    return liquid.name.empty() ? liquid.id : liquid.name;
}

// "largest 3.1 %, rms 2 %"
std::string DeviationText(const FitDeviation& d) {
    return "largest " + Number(100.0 * d.largest, "%.4g") + " %, rms " +
           Number(100.0 * d.rms, "%.4g") + " %";
}

CharacterisationReport Report(const Characterisation& c, const ReferenceLiquid& liquid) {
    const ProbeFit& fit = *c.fit;
    const CharacterisedProbe& p = c.probe;
    CharacterisationReport r;
    r.title = kCharacteriseCaption;
    r.rows = {
        {"Probe", p.name + " (KV47310" + (p.stockType == 0 ? "A" : "B/C") + " scaled)"},
        {"Liquid", ShownName(liquid) + " at " + TemperatureText(p.liquidTemperature) +
                       " C (calibration water at " + TemperatureText(p.waterTemperature) + " C)"},
        {"Frequency scale", Number(fit.frequencyScale, "%.6g")},
        {"Coefficient scale",
         Number(fit.coefficientScale, "%.6g") +
             (fit.coefficientScaleFitted ? std::string(" (fitted)")
                                         : " (not fitted: " + fit.coefficientScaleNote + ")")},
        {"Points", std::to_string(fit.points) + " from " + Number(fit.fromHz / 1e9, "%.10g") +
                       " GHz to " + Number(fit.toHz / 1e9, "%.10g") + " GHz"},
        {"Deviation before", DeviationText(fit.before)},
        {"Deviation after", DeviationText(fit.after)},
    };
    r.curve = fit.curve;
    return r;
}

}  // namespace

std::string CKv4731xDoc::ProbeFolder() const {
    return probeLibraryFolder.empty() ? ProbeLibraryFolder() : probeLibraryFolder;
}

void CKv4731xDoc::OnCharacteriseProbe() {
    const std::vector<ReferenceLiquid> liquids =
        LoadReferenceLiquids(referenceLiquidPaths.empty() ? ReferenceLiquidPaths()
                                                          : referenceLiquidPaths)
            .liquids;
    if (liquids.empty()) {
        ui_.Message("No reference liquid is available.", kCharacteriseCaption, Buttons::Ok,
                    Icon::Stop);
        return;
    }
    const double water = engine_->calSettings.waterTemperature;
    CharacterisePage page;
    for (const ReferenceLiquid& liquid : liquids) {
        page.liquids.push_back(ShownName(liquid));
        page.offered.push_back(OfferedText(liquid));
        page.defaultTemperatures.push_back(DefaultLiquidTemperature(liquid, water));
    }
    page.temperature = page.defaultTemperatures.front();
    const ReferenceLiquid* liquid = nullptr;
    for (;;) {
        if (!ui_.AskCharacterisation(page)) {
            return;
        }
        if (page.liquid < 0 || page.liquid >= static_cast<int>(liquids.size())) {
            continue;
        }
        liquid = &liquids[static_cast<std::size_t>(page.liquid)];
        std::string refusal;
        if (ValidProbeName(page.name, refusal)) {
            refusal.clear();
        }
        if (refusal.empty() &&
            !LiquidPermittivity(*liquid, page.temperature, liquid->lowestFrequency)) {
            refusal = ShownName(*liquid) + " is not offered at " +
                      TemperatureText(page.temperature) + " C; it is offered at " +
                      OfferedText(*liquid) + ".";
        }
        if (refusal.empty()) {
            break;
        }
        ui_.Message(refusal, kCharacteriseCaption, Buttons::Ok, Icon::Stop);
    }

    const int stockType = engine_->calSettings.probeType;
    const double frequencyScale = engine_->model.frequencyScale;
    const double coefficientScale = engine_->model.coefficientScale;
    const double deviation = engine_->calSettings.probeDeviation;
    const Characterisation c = CharacteriseProbe(*liquid, page.temperature, page.name);
    if (!c.outcome.Done()) {
        return;
    }
    const CharacterisationReport report = Report(c, *liquid);
    for (;;) {
        if (!ui_.ShowCharacterisation(report)) {
            UseProbe(stockType, frequencyScale, coefficientScale, deviation);
            ui_.ShowStatusText("Probe characterisation cancelled");
            return;
        }
        const Outcome saved = SaveProbeToLibrary(ProbeFolder(), c.probe);
        if (saved.Done()) {
            ui_.ShowStatusText("Probe " + c.probe.name + " saved");
            return;
        }
        ui_.Message(saved.why, kCharacteriseCaption, Buttons::Ok, Icon::Stop);
    }
}

Characterisation CKv4731xDoc::CharacteriseProbe(const ReferenceLiquid& liquid, double temperatureC,
                                                const std::string& name) {
    BusyScope busy(*this);
    Characterisation c;
    std::string why;
    if (!ValidProbeName(name, why)) {
        c.outcome = Outcome::Refusal(why);
        return c;
    }
    if (!RequireInstrument()) {
        c.outcome = Outcome::Refusal(kNeedsInstrumentText);
        return c;
    }
    const std::string shownName = liquid.name.empty() ? liquid.id : liquid.name;
    if (!LiquidPermittivity(liquid, temperatureC, liquid.lowestFrequency)) {
        const std::string text =
            shownName + " is not offered at " + TemperatureText(temperatureC) + " C.";
        ui_.Message(text, kCharacteriseCaption, Buttons::Ok, Icon::Stop);
        c.outcome = Outcome::Refusal(text);
        return c;
    }
    std::vector<CComplex> reading;
    c.outcome = engine_->MeasureReading(
        "Insert probe into " + shownName + " at " + TemperatureText(temperatureC) + " C.",
        "Measuring " + shownName + "...", reading);
    if (!c.outcome.Done()) {
        return c;
    }
    // The coefficient scale is asked for always: the fit says why it was not fitted when the
    // calibration cannot tell it.
    c.fit = FitProbeScale(
        *engine_, reading,
        [&](double f) { return LiquidPermittivity(liquid, temperatureC, f).value_or(CComplex{}); },
        liquid.lowestFrequency, liquid.highestFrequency, true);
    const ProbeFit& fit = *c.fit;
    std::string refusal = fit.outcome.why;
    if (fit.outcome.Done() && !(fit.after.largest <= kMaxFittedDeviation)) {
        refusal = "The reading deviates from " + shownName + " by up to " +
                  PercentText(fit.after.largest) + " even with the fitted probe (at most " +
                  PercentText(kMaxFittedDeviation) + " is accepted): was the probe in " +
                  shownName + "?";
    }
    if (!refusal.empty()) {
        ui_.Message(refusal, kCharacteriseCaption, Buttons::Ok, Icon::Stop);
        c.outcome = Outcome::Failure(refusal);
        return c;
    }
    SetModified();
    // The fitted probe is the one measured with from now on, its remaining deviation with it.
    engine_->calSettings.probeDeviation = fit.after.rms;
    engine_->SetProbeScales(fit.frequencyScale, fit.coefficientScale);

    CharacterisedProbe& p = c.probe;
    p.name = name;
    p.stockType = engine_->calSettings.probeType == 0 ? 0 : 1;
    p.frequencyScale = fit.frequencyScale;
    p.coefficientScale = fit.coefficientScale;
    p.coefficientScaleFitted = fit.coefficientScaleFitted;
    p.liquid = liquid.id;
    p.liquidTemperature = temperatureC;
    p.waterTemperature = engine_->calSettings.waterTemperature;
    p.date = NowIso8601();
    p.fromHz = fit.fromHz;
    p.toHz = fit.toHz;
    p.points = fit.points;
    p.before = {fit.before.largest, fit.before.rms};
    p.after = {fit.after.largest, fit.after.rms};
    ui_.ShowStatusText("Probe characterised");
    return c;
}

void CKv4731xDoc::UseProbe(int stockType, double frequencyScale, double coefficientScale,
                           double relativeDeviation) {
    SetModified();
    engine_->calSettings.probeType = stockType == 0 ? 0 : 1;
    engine_->calSettings.probeDeviation = relativeDeviation;
    engine_->SetProbeScales(frequencyScale, coefficientScale);
}

}  // namespace kv
