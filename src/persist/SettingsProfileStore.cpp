#include "persist/SettingsProfileStore.h"

#include <QSettings>
#include <QString>

namespace kv {

namespace {

QString SectionKey(const std::string& key) {
    return QString::fromLatin1(kProfileSection) + '/' + QString::fromStdString(key);
}

}  // namespace

SettingsProfileStore::SettingsProfileStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kProfileOrganisation),
                                            QString::fromLatin1(kProfileApplication))) {}

SettingsProfileStore::SettingsProfileStore(const std::string& iniPath)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat)) {}

SettingsProfileStore::~SettingsProfileStore() = default;

std::string SettingsProfileStore::Read(const std::string& key) {
    return settings_->value(SectionKey(key)).toString().toStdString();
}

void SettingsProfileStore::Write(const std::string& key, const std::string& value) {
    settings_->setValue(SectionKey(key), QString::fromStdString(value));
    settings_->sync();
}

}  // namespace kv
