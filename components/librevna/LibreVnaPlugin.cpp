#include "LibreVnaPlugin.h"

#include "LibreVnaDriver.h"
#include "RunDriverSettings.h"

namespace kv {

std::unique_ptr<IInstrumentDriver> LibreVnaPlugin::CreateDriver() {
    LibreVnaSettings settings = LoadLibreVnaSettings();
    // Settings a front end gives for this run hold from the connection on; one it refuses is
    // reported when it is applied to the connected driver.
    for (const auto& [key, value] : RunDriverSettings()) {
        std::string ignored;
        SetLibreVnaSetting(settings, key, value, ignored);
    }
    return std::make_unique<LibreVnaDriver>(settings);
}

}  // namespace kv
