#include "ScpiDriverPlugin.h"

#include <dlfcn.h>

#include <QFileInfo>

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
    return std::make_unique<ScpiDriver>(
        LoadScpiSettings(),
        std::vector<std::string>{PluginFolder() + "/" + ScpiDriver::kTablesFile});
}

}  // namespace kv
