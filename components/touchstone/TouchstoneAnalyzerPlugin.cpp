#include "TouchstoneAnalyzerPlugin.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QVariantMap>

#include "TouchstoneAnalyzer.h"

namespace kv {

std::unique_ptr<IInstrumentDriver> TouchstoneAnalyzerPlugin::CreateDriver() {
    std::map<std::string, std::string> files;
    const QVariant run = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::instance()->property(kTouchstoneRunProperty)
                             : QVariant();
    if (run.isValid()) {
        const QVariantMap map = run.toMap();
        for (const char* key : kTouchstoneFileKeys) {
            files[key] =
                QFile::encodeName(map.value(QString::fromLatin1(key)).toString()).toStdString();
        }
    } else {
        QSettings settings;
        settings.beginGroup(QString::fromLatin1(kTouchstoneSettingsGroup));
        for (const char* key : kTouchstoneFileKeys) {
            files[key] = QFile::encodeName(settings.value(QString::fromLatin1(key)).toString())
                             .toStdString();
        }
    }
    return std::make_unique<TouchstoneAnalyzer>(std::move(files));
}

}  // namespace kv
