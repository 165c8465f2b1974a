#include "ScpiDriverPlugin.h"

#include <dlfcn.h>

#include <QFileInfo>

#include "RunDriverSettings.h"
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
    for (const auto& [key, value] : RunDriverSettings()) {
        std::string ignored;
        SetScpiSetting(settings, key, value, ignored);
    }
    return std::make_unique<ScpiDriver>(
        std::move(settings),
        std::vector<std::string>{PluginFolder() + "/" + ScpiDriver::kTablesFile});
}

}  // namespace kv
