#pragma once

// Plugin object of the Simulated GPIB card component.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class SimulatedCardPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "simcard.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A card drives no analyzer.
    std::unique_ptr<IInstrumentDriver> CreateDriver() override { return nullptr; }
};

}  // namespace kv
