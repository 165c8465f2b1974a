// The Demo analyzer's settings as the program's settings page shows them: what a user of the
// simulation changes most (the material at the probe, the probe and its scales, the sample as a
// reference liquid or a Cole-Cole material, noise and drift), stored in its settings file. Every
// other key of that file stays as it is.

#include <QSettings>
#include <cmath>
#include <cstdio>

#include "DemoAnalyzer.h"

namespace kv {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

SettingDescription Numeric(const char* key, const char* name, SettingKind kind, double lo,
                           double hi, const char* unit, double fallback, double value,
                           const char* help) {
    SettingDescription s;
    s.key = key;
    s.name = name;
    s.kind = kind;
    s.minimum = lo;
    s.maximum = hi;
    s.unit = unit;
    s.defaultValue = Number(fallback);
    s.value = Number(value);
    s.help = help;
    return s;
}

}  // namespace

std::string DemoAnalyzer::SettingsTitle() const {
    return "Demo analyzer settings";
}

std::vector<SettingDescription> DemoAnalyzer::DescribeSettings() const {
    const DemoSettings d;
    std::vector<SettingDescription> list;

    SettingDescription material;
    material.key = "analyzer/material";
    material.name = "Material at the probe";
    material.kind = SettingKind::Choice;
    material.choices = {{"air", "Air"},
                        {"short", "Shorting block"},
                        {"water", "Water at 25 C"},
                        {"load", "Load"},
                        {"sample", "Sample"}};
    material.defaultValue = d.material;
    material.value = settings_.material;
    material.help =
        "What the analyzer sweeps until a prompt of the program asks for something else; a "
        "single sweep (kv47310-cli sweep) measures it.";
    list.push_back(material);

    SettingDescription probe;
    probe.key = "probe/type";
    probe.name = "Probe type";
    probe.kind = SettingKind::Choice;
    probe.choices = {{"A", "A"}, {"B", "B/C"}};
    probe.defaultValue = "B";
    probe.value = settings_.probeType == 0 ? "A" : "B";
    probe.help = "The simulated probe; a calibration is exact when the program uses the same type.";
    list.push_back(probe);

    const double huge = kNoUpperEnd;
    list.push_back(
        Numeric("probe/fs", "Probe frequency scale", SettingKind::Number, 0, huge, "",
                d.frequencyScale, settings_.frequencyScale,
                "The simulated probe is the stock probe of its type scaled to another "
                "size, its aperture admittance s squared times the stock probe's at fs f. A "
                "positive number."));
    list.push_back(Numeric("probe/s", "Probe coefficient scale", SettingKind::Number, 0, huge, "",
                           d.coefficientScale, settings_.coefficientScale,
                           "Cp and every coefficient of the stock probe multiplied by s. A "
                           "positive number."));

    SettingDescription liquid;
    liquid.key = "sample/liquid";
    liquid.name = "Sample liquid";
    liquid.kind = SettingKind::Choice;
    liquid.choices = {{"", "None: the Cole-Cole parameters below"}};
    std::vector<ReferenceLiquid> library;
    LoadDemoLiquids(library);
    for (const ReferenceLiquid& l : library) {
        liquid.choices.push_back({l.id, l.name.empty() ? l.id : l.name});
    }
    liquid.value = settings_.sampleLiquid != nullptr ? settings_.sampleLiquid->id : "";
    liquid.help =
        "A liquid of the library of reference liquids shipped with the program as the sample, at "
        "the temperature below; its model takes the place of the Cole-Cole parameters.";
    list.push_back(liquid);
    list.push_back(Numeric("sample/temperature", "Sample liquid temperature", SettingKind::Number,
                           -273.15, huge, "C", d.sampleTemperature, settings_.sampleTemperature,
                           "The liquid's temperature in Celsius, one the library offers for it."));
    list.push_back(Numeric("sample/eo", "Sample static permittivity", SettingKind::Number, 1, huge,
                           "", d.sample.eo, settings_.sample.eo,
                           "The sample's Cole-Cole parameter Eo."));
    list.push_back(Numeric("sample/einf", "Sample permittivity at infinite frequency",
                           SettingKind::Number, 1, huge, "", d.sample.einf, settings_.sample.einf,
                           "The sample's Cole-Cole parameter Einf."));
    list.push_back(Numeric("sample/alpha", "Sample alpha", SettingKind::Number, 0, 1, "",
                           d.sample.alpha, settings_.sample.alpha,
                           "The sample's Cole-Cole parameter Alpha; 0 is a Debye relaxation."));
    list.push_back(Numeric("sample/tau", "Sample relaxation time", SettingKind::Number, 0, 1, "s",
                           d.sample.tau, settings_.sample.tau,
                           "The sample's Cole-Cole relaxation time Tau."));
    list.push_back(Numeric("analyzer/noise", "Noise", SettingKind::Number, 0, 1, "", d.noise,
                           settings_.noise,
                           "Standard deviation of the noise added to the real and imaginary "
                           "part of every raw reading."));
    list.push_back(Numeric("analyzer/seed", "Noise seed", SettingKind::Integer, 0, 4294967295.0, "",
                           static_cast<double>(d.seed), static_cast<double>(settings_.seed),
                           "The same seed gives the same noise."));
    list.push_back(Numeric("cable/drift", "Cable drift", SettingKind::Number, -10, 10,
                           "degrees per sweep", d.drift, settings_.drift,
                           "How far the cable's phase turns with every sweep, so that a refresh "
                           "of the calibration has something to correct."));

    SettingDescription answer;
    answer.key = "analyzer/auto_continue";
    answer.name = "Answer prompts itself";
    answer.kind = SettingKind::Choice;
    answer.choices = {{"false", "No"}, {"true", "Yes"}};
    answer.defaultValue = "false";
    answer.value = settings_.autoContinue ? "true" : "false";
    answer.help = "Yes: every prompt continues on its own after a few polls.";
    list.push_back(answer);
    return list;
}

bool DemoAnalyzer::StoreSettings(const std::map<std::string, std::string>& values,
                                 std::string& error) {
    // The reader's checks of the values no description can say.
    for (const char* key : {"fs", "s"}) {
        const auto given = values.find(std::string("probe/") + key);
        bool ok = false;
        const double scale =
            given == values.end() ? 1.0 : QString::fromStdString(given->second).toDouble(&ok);
        if (given != values.end() && (!ok || !std::isfinite(scale) || !(scale > 0.0))) {
            error = DemoNotText("probe", key, "a positive number") + ".";
            return false;
        }
    }
    const auto liquid = values.find("sample/liquid");
    const bool noLiquid = liquid == values.end() || liquid->second.empty();
    if (!noLiquid) {
        const auto given = values.find("sample/temperature");
        const std::string text = given == values.end() ? "25" : given->second;
        bool ok = false;
        const double temperature = QString::fromStdString(text).trimmed().toDouble(&ok);
        if (!ok) {
            error = DemoNotText("sample", "temperature", "a number") + ".";
            return false;
        }
        const std::string problem = DemoSampleLiquidProblem(
            liquid->second, temperature, QString::fromStdString(text).trimmed().toStdString());
        if (!problem.empty()) {
            error = "[sample] " + problem + ".";
            return false;
        }
    }
    QSettings settings(QString::fromLatin1(kSettingsFile), QSettings::IniFormat);
    for (const auto& [key, value] : values) {
        // Without a liquid the sample is its Cole-Cole material, and a temperature would only be
        // noted as unused.
        if (noLiquid && (key == "sample/liquid" || key == "sample/temperature")) {
            settings.remove(QString::fromStdString(key));
            continue;
        }
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = std::string("The settings could not be written to ") + kSettingsFile + ".";
        return false;
    }
    return true;
}

}  // namespace kv
