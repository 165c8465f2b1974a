// The right interface, but no component metadata (no clsid, name or categories).

#include <QObject>

#include "instrument/ComponentPlugin.h"

class NoMetadataPlugin : public QObject, public kv::IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID)
    Q_INTERFACES(kv::IComponentPlugin)

public:
    std::unique_ptr<kv::IInstrumentDriver> CreateDriver() override { return nullptr; }
};

#include "NoMetadataPlugin.moc"
