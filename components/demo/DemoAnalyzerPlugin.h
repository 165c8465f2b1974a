#pragma once

// Plugin object of the Demo analyzer component.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class DemoAnalyzerPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "demo.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A new analyzer with the settings of "demo-analyzer.ini" in the working directory (the
    // defaults when there is none).
    std::unique_ptr<IInstrumentDriver> CreateDriver() override;
};

}  // namespace kv
