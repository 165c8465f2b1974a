// The LibreVNA analyzer's settings as the program's settings page shows them, and their store in
// the program's settings (the group LoadLibreVnaSettings reads).

#include <QSettings>
#include <cstdio>

#include "LibreVnaDriver.h"

namespace kv {

std::string LibreVnaDriver::SettingsTitle() const {
    return "LibreVNA settings";
}

std::vector<SettingDescription> LibreVnaDriver::DescribeSettings() const {
    const LibreVnaSettings defaults;
    std::vector<SettingDescription> list;
    auto number = [&list](const char* key, const char* name, SettingKind kind, double lo, double hi,
                          const char* unit, double fallback, double value, const char* help) {
        auto text = [](double v) {
            char t[32];
            std::snprintf(t, sizeof t, "%g", v);
            return std::string(t);
        };
        SettingDescription s;
        s.key = key;
        s.name = name;
        s.kind = kind;
        s.minimum = lo;
        s.maximum = hi;
        s.unit = unit;
        s.defaultValue = text(fallback);
        s.value = text(value);
        s.help = help;
        list.push_back(s);
    };
    number("timeout", "Timeout", SettingKind::Number, 0.1, 3600, "s", defaults.timeout,
           settings_.timeout,
           "How long the driver waits for every answer of the LibreVNA GUI; a query the GUI "
           "refuses is noticed only after this time.");
    number("ifbw", "IF bandwidth", SettingKind::Number, 1, 1e7, "Hz", defaults.ifBandwidth,
           settings_.ifBandwidth,
           "A narrower bandwidth lowers the noise of every reading and lengthens the sweep.");
    number("power", "Stimulus level", SettingKind::Number, -100, 30, "dBm", defaults.power,
           settings_.power, "The power the LibreVNA sends to the probe.");
    number("average", "Averaging", SettingKind::Integer, 1, 1000, "sweeps", defaults.averaging,
           settings_.averaging, "Sweeps the GUI averages for every reading; 1 takes one sweep.");
    number("noise", "Trace noise", SettingKind::Number, 0, 1, "", defaults.traceNoise,
           settings_.traceNoise,
           "The standard deviation of the real and imaginary part of one raw reading, as the "
           "analyzer's data sheet or a test gives it; the program takes it as the uncertainty "
           "of a reading of one sweep. 0 states none.");
    return list;
}

bool LibreVnaDriver::StoreSettings(const std::map<std::string, std::string>& values,
                                   std::string& error) {
    // Everything is checked before anything is written.
    LibreVnaSettings checked = settings_;
    for (const auto& [key, value] : values) {
        if (!SetLibreVnaSetting(checked, key, value, error)) {
            return false;
        }
    }
    QSettings settings;
    settings.beginGroup(kLibreVnaSettingsGroup);
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
