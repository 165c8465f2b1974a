// The SCPI network analyzer's settings as the program's settings page shows them, and their store
// in the program's settings (the group LoadScpiSettings reads).

#include <QSettings>
#include <cstdio>

#include "ScpiDriver.h"

namespace kv {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::string ScpiDriver::SettingsTitle() const {
    return "SCPI network analyzer settings";
}

std::vector<SettingDescription> ScpiDriver::DescribeSettings() const {
    const ScpiSettings defaults;
    std::vector<SettingDescription> list;

    SettingDescription family;
    family.key = "family";
    family.name = "Command family";
    family.kind = SettingKind::Choice;
    family.help =
        "The table of commands the analyzer is driven with. Automatic picks the table whose "
        "pattern matches the analyzer's identification (*IDN?), the generic one when none does.";
    family.choices.push_back({"", "Automatic (by identification)"});
    for (const ScpiTable& t : tables_) {
        family.choices.push_back({t.name, t.name});
    }
    family.value = settings_.family;
    // A family stored by name whose table is gone is still shown, so that OK does not lose it.
    bool listed = false;
    for (const SettingChoice& c : family.choices) {
        listed = listed || c.value == family.value;
    }
    if (!listed) {
        family.choices.push_back({family.value, family.value + " (no such table)"});
    }
    list.push_back(family);

    auto number = [&list](const char* key, const char* name, SettingKind kind, double lo, double hi,
                          const char* unit, double fallback, double value, const char* help) {
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
        list.push_back(s);
    };
    number("timeout", "Timeout", SettingKind::Number, 0.01, 3600, "s", defaults.timeout,
           settings_.timeout,
           "How long the driver waits for every answer of the analyzer before it gives up.");
    number("ifbw", "IF bandwidth", SettingKind::Number, 1, 1e7, "Hz", defaults.ifBandwidth,
           settings_.ifBandwidth,
           "A narrower bandwidth lowers the noise of every reading and lengthens the sweep.");
    number("power", "Source power", SettingKind::Number, -100, 30, "dBm", defaults.power,
           settings_.power, "The power the analyzer sends to the probe.");
    number("average", "Averaging", SettingKind::Integer, 1, 1000, "sweeps", defaults.averaging,
           settings_.averaging, "Sweeps averaged for every reading; 1 takes a single sweep.");
    number("noise", "Trace noise", SettingKind::Number, 0, 1, "", defaults.traceNoise,
           settings_.traceNoise,
           "The standard deviation of the real and imaginary part of one raw reading, as the "
           "analyzer's data sheet or a test gives it; the program takes it as the uncertainty "
           "of a reading of one sweep. 0 states none.");

    SettingDescription format;
    format.key = "ascii";
    format.name = "Number format";
    format.kind = SettingKind::Choice;
    format.choices = {{"false", "64-bit binary"}, {"true", "ASCII text"}};
    format.defaultValue = "false";
    format.value = settings_.asciiTransfer ? "true" : "false";
    format.help =
        "How the analyzer sends its readings. Binary is faster and exact; text suits an "
        "analyzer whose binary transfer does not work.";
    list.push_back(format);

    SettingDescription tables;
    tables.key = "tables";
    tables.name = "Further command tables";
    tables.kind = SettingKind::File;
    tables.fileFilter = "Command tables (*.tables)";
    tables.value = settings_.tablesFile;
    tables.help =
        "A tables file of your own, read after the shipped one: its tables add command "
        "families or amend those of the same name.";
    list.push_back(tables);
    return list;
}

bool ScpiDriver::StoreSettings(const std::map<std::string, std::string>& values,
                               std::string& error) {
    // Everything is checked before anything is written.
    ScpiSettings checked = settings_;
    for (const auto& [key, value] : values) {
        if (key == "ascii") {
            checked.asciiTransfer = value == "true";
        } else if (key == "tables") {
            checked.tablesFile = value;
        } else if (!SetScpiSetting(checked, key, value, error)) {
            return false;
        }
    }
    QSettings settings;
    settings.beginGroup(kScpiSettingsGroup);
    for (const auto& [key, value] : values) {
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = "The settings could not be written.";
        return false;
    }
    settings_ = checked;
    return true;
}

}  // namespace kv
