#include "LibreVnaPlugin.h"

#include <QCoreApplication>
#include <QVariantMap>

#include "LibreVnaDriver.h"

namespace kv {

std::unique_ptr<IInstrumentDriver> LibreVnaPlugin::CreateDriver() {
    LibreVnaSettings settings = LoadLibreVnaSettings();
    // Settings a front end gives for this run hold from the connection on; one it refuses is
    // reported when it is applied to the connected driver.
    const QVariant run = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::instance()->property(kDriverRunSettingsProperty)
                             : QVariant();
    const QVariantMap map = run.toMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        std::string ignored;
        SetLibreVnaSetting(settings, it.key().toStdString(), it.value().toString().toStdString(),
                           ignored);
    }
    return std::make_unique<LibreVnaDriver>(settings);
}

}  // namespace kv
