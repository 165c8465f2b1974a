// Metadata with every required field, but one optional field of the wrong kind.

#include <QObject>

#include "instrument/ComponentPlugin.h"

class BadOfferedPlugin : public QObject, public kv::IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "bad_offered.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    std::unique_ptr<kv::IInstrumentDriver> CreateDriver() override { return nullptr; }
};

#include "BadOfferedPlugin.moc"
