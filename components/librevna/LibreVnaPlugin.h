#pragma once

// Plugin object of the LibreVNA analyzer component.

#include <QObject>

#include "instrument/ComponentPlugin.h"

namespace kv {

class LibreVnaPlugin : public QObject, public IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "librevna.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    std::unique_ptr<IInstrumentDriver> CreateDriver() override;
};

}  // namespace kv
