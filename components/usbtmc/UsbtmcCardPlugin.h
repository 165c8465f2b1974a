#pragma once

// Plugin object of the USBTMC card component: analyzers plugged in by USB and served by the
// kernel's usbtmc driver. The card has no code of its own: the program lists it and hands its
// CLSID to the driver, which opens the device file (/dev/usbtmcN, the card address) itself.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class UsbtmcCardPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "usbtmc.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A card drives no analyzer.
    std::unique_ptr<IInstrumentDriver> CreateDriver() override { return nullptr; }
};

}  // namespace kv
