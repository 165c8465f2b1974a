#include "cli/DriverSettingsOptions.h"

#include <QCoreApplication>
#include <QVariantMap>

#include "instrument/IDriverSettings.h"

namespace kv {

int TakeDriverSetting(const std::vector<std::string>& args, std::size_t& i, CliOptions& o,
                      std::string& error) {
    const std::string& a = args[i];
    std::string key;
    if (a == "--ifbw") {
        key = "ifbw";
    } else if (a == "--power") {
        key = "power";
    } else if (a == "--average") {
        key = "average";
    } else if (a == "--family") {
        key = "family";
    } else if (a == "--timeout") {
        key = "timeout";
    } else if (a == "--material") {
        key = "material";
    } else {
        return 0;
    }
    if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return -1;
    }
    o.driverSettings.emplace_back(key, args[++i]);
    return 1;
}

void SetRunDriverSettings(const CliOptions& o) {
    if (o.driverSettings.empty() || QCoreApplication::instance() == nullptr) {
        return;
    }
    QVariantMap settings;
    for (const auto& [key, value] : o.driverSettings) {
        settings.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
    QCoreApplication::instance()->setProperty(kDriverRunSettingsProperty, settings);
}

bool ApplyDriverSettings(const CliOptions& o, IInstrumentDriver* driver, std::FILE* err) {
    if (o.driverSettings.empty()) {
        return true;
    }
    auto* settings = dynamic_cast<IDriverSettings*>(driver);
    if (settings == nullptr) {
        std::fprintf(err, "kv47310-cli: the analyzer component takes no --%s\n",
                     o.driverSettings.front().first.c_str());
        return false;
    }
    for (const auto& [key, value] : o.driverSettings) {
        std::string error;
        if (!settings->SetRunSetting(key, value, error)) {
            std::fprintf(err, "kv47310-cli: --%s %s: %s\n", key.c_str(), value.c_str(),
                         error.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace kv
