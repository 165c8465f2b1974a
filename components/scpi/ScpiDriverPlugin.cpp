#include "ScpiDriverPlugin.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QVariantMap>

#include "ScpiDriver.h"

namespace kv {

namespace {

// The folder of this plugin library, where its command tables are.
std::string PluginFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&PluginFolder), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath().toStdString();
}

}  // namespace

std::unique_ptr<IInstrumentDriver> ScpiDriverPlugin::CreateDriver() {
    ScpiSettings settings = LoadScpiSettings();
    // Settings a front end gives for this run hold from the connection on; one it refuses is
    // reported when it is applied to the connected driver.
    const QVariant run = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::instance()->property(kDriverRunSettingsProperty)
                             : QVariant();
    const QVariantMap map = run.toMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        std::string ignored;
        SetScpiSetting(settings, it.key().toStdString(), it.value().toString().toStdString(),
                       ignored);
    }
    return std::make_unique<ScpiDriver>(
        std::move(settings),
        std::vector<std::string>{PluginFolder() + "/" + ScpiDriver::kTablesFile});
}

}  // namespace kv
