#pragma once

// The program's profile in the user's settings store: organisation "Local AppWizard-Generated
// Applications", application "Tarvel Technologies 47310C", section "KV47310" (on Windows the
// same registry key as always).

#include <memory>
#include <string>

#include "persist/ProfileStore.h"

class QSettings;

namespace kv {

inline constexpr const char* kProfileOrganisation = "Local AppWizard-Generated Applications";
inline constexpr const char* kProfileApplication = "Tarvel Technologies 47310C";
inline constexpr const char* kProfileSection = "KV47310";

class SettingsProfileStore : public ProfileStore {
public:
    // The user's own settings.
    SettingsProfileStore();
    // An INI file at `iniPath` instead (for tests and portable installs).
    explicit SettingsProfileStore(const std::string& iniPath);
    ~SettingsProfileStore() override;
    SettingsProfileStore(const SettingsProfileStore&) = delete;
    SettingsProfileStore& operator=(const SettingsProfileStore&) = delete;

    std::string Read(const std::string& key) override;
    void Write(const std::string& key, const std::string& value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace kv
