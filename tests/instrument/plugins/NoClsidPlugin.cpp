// The right interface and a name, but no CLSID in the metadata.

#include <QObject>

#include "instrument/ComponentPlugin.h"

class NoClsidPlugin : public QObject, public kv::IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "no_clsid.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    std::unique_ptr<kv::IInstrumentDriver> CreateDriver() override { return nullptr; }
};

#include "NoClsidPlugin.moc"
