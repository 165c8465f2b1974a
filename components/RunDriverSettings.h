#pragma once

// The settings a front end hands a component for one run (kDriverRunSettingsProperty), read when
// the component makes its driver.

#include <QCoreApplication>
#include <QVariantMap>
#include <map>
#include <string>

#include "instrument/IDriverSettings.h"

namespace kv {

// The setting keys and value texts for this run; empty without an application or settings.
inline std::map<std::string, std::string> RunDriverSettings() {
    std::map<std::string, std::string> settings;
    if (QCoreApplication::instance() == nullptr) {
        return settings;
    }
    const QVariantMap map =
        QCoreApplication::instance()->property(kDriverRunSettingsProperty).toMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        settings[it.key().toStdString()] = it.value().toString().toStdString();
    }
    return settings;
}

}  // namespace kv
