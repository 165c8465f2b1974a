// A component built against an older version of the plugin interface: complete metadata, but
// another interface id, so it must not be listed.

#include <QObject>
#include <QtPlugin>

class WrongIidPlugin : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "com.tarvel.kv47310.ComponentPlugin/0.9" FILE "wrong_iid.json")
};

#include "WrongIidPlugin.moc"
