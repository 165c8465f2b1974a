// Valid metadata, but the library needs a variable that no library defines, so it cannot be
// loaded: it is listed (listing reads metadata only) and cannot be created.

#include <QObject>

#include "instrument/ComponentPlugin.h"

extern int kvTestVariableThatNobodyDefines;

extern "C" int KvUnloadableReads() {
    return kvTestVariableThatNobodyDefines;
}

class UnloadablePlugin : public QObject, public kv::IComponentPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KV_COMPONENT_PLUGIN_IID FILE "unloadable.json")
    Q_INTERFACES(kv::IComponentPlugin)

public:
    std::unique_ptr<kv::IInstrumentDriver> CreateDriver() override { return nullptr; }
};

#include "UnloadablePlugin.moc"
