#pragma once

// Plugin object of the USB serial port card component. The card has no bus of its own: the
// program lists it and hands its CLSID to the driver, which opens the serial port itself.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class SerialCardPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "serialcard.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    // A card drives no analyzer.
    std::unique_ptr<IInstrumentDriver> CreateDriver() override { return nullptr; }
};

}  // namespace kv
