#include "NanoVnaDriverPlugin.h"

#include "NanoVnaDriver.h"
#include "RunDriverSettings.h"

namespace kv {

std::unique_ptr<IInstrumentDriver> NanoVnaDriverPlugin::CreateDriver() {
    NanoVnaSettings settings = LoadNanoVnaSettings();
    // Settings a front end gives for this run hold from the connection on; one it refuses is
    // reported when it is applied to the connected driver.
    for (const auto& [key, value] : RunDriverSettings()) {
        std::string ignored;
        SetNanoVnaSetting(settings, key, value, ignored);
    }
    return std::make_unique<NanoVnaDriver>(settings);
}

}  // namespace kv
