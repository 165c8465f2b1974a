#pragma once

// Plugin object of the LAN (TCP/IP) card component. The card has no bus of its own: the program
// lists it and hands its CLSID to the driver, which opens the network connection itself.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class LanCardPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "lan.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A card drives no analyzer.
    std::unique_ptr<IInstrumentDriver> CreateDriver() override { return nullptr; }
};

}  // namespace kv
