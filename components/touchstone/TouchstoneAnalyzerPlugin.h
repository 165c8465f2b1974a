#pragma once

// Plugin object of the "Touchstone files" analyzer component.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class TouchstoneAnalyzerPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "touchstone.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A new analyzer playing the files that the application property kTouchstoneRunProperty
    // names for this run, or else those of the settings group "TouchstoneFiles".
    std::unique_ptr<IInstrumentDriver> CreateDriver() override;
};

}  // namespace kv
