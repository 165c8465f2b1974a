#include "DemoAnalyzerPlugin.h"

#include "DemoAnalyzer.h"
#include "DemoSettings.h"

namespace kv {

std::unique_ptr<IInstrumentDriver> DemoAnalyzerPlugin::CreateDriver() {
    return std::make_unique<DemoAnalyzer>(LoadDemoSettings(DemoAnalyzer::kSettingsFile));
}

}  // namespace kv
