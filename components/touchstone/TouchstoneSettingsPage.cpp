// The "Touchstone files" analyzer's settings as the program's settings page shows them: the file
// of every standard and of the sample, stored in the settings group the plugin reads.

#include <QFile>
#include <QSettings>

#include "TouchstoneAnalyzer.h"

namespace kv {

namespace {

struct FileSetting {
    const char* key;
    const char* name;
    const char* help;
};

// In the order of kTouchstoneFileKeys.
constexpr FileSetting kFiles[] = {
    {"air", "Air", "The probe open in air (air/short/water and load/air/short calibrations)."},
    {"short", "Shorting block", "The probe with the shorting block connected."},
    {"water", "Water", "The probe in water at the calibration's water temperature."},
    {"load", "Load", "A load at the end of the cable, without the probe."},
    {"standard1", "User standard 1", "The first user-defined standard."},
    {"standard2", "User standard 2", "The second user-defined standard."},
    {"standard3", "User standard 3", "The third user-defined standard."},
    {"sample", "Sample", "The sample, played at every measurement."},
};

}  // namespace

std::string TouchstoneAnalyzer::SettingsTitle() const {
    return "Touchstone files";
}

std::vector<SettingDescription> TouchstoneAnalyzer::DescribeSettings() const {
    std::vector<SettingDescription> list;
    for (const FileSetting& f : kFiles) {
        SettingDescription s;
        s.key = f.key;
        s.name = f.name;
        s.kind = SettingKind::File;
        s.fileFilter = "Touchstone files (*.s1p *.S1P)";
        s.help = f.help;
        const auto path = paths_.find(f.key);
        s.value = path != paths_.end() ? path->second : std::string();
        list.push_back(s);
    }
    return list;
}

bool TouchstoneAnalyzer::StoreSettings(const std::map<std::string, std::string>& values,
                                       std::string& error) {
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kTouchstoneSettingsGroup));
    for (const auto& [key, path] : values) {
        settings.setValue(QString::fromStdString(key), QFile::decodeName(path.c_str()));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = "The settings could not be written.";
        return false;
    }
    return true;
}

}  // namespace kv
