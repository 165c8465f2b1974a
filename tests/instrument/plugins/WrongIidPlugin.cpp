// A component built against the previous driver contract: complete metadata, but that
// contract's interface id, so it must not be listed.

#include <QObject>
#include <QtPlugin>

class WrongIidPlugin : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "com.tarvel.kv47310.ComponentPlugin/1.0" FILE "wrong_iid.json")
};

#include "WrongIidPlugin.moc"
