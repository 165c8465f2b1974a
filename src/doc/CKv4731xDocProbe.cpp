// The probe in use: its characterisation with a reference liquid, and a characterised or stock
// probe to measure with.

#include <cstdio>
#include <ctime>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"

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

}  // namespace

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

void CKv4731xDoc::UseProbe(int stockType, double frequencyScale, double coefficientScale) {
    SetModified();
    engine_->calSettings.probeType = stockType == 0 ? 0 : 1;
    engine_->SetProbeScales(frequencyScale, coefficientScale);
}

}  // namespace kv
