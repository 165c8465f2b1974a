#pragma once

// Optional interface of a driver that has settings of its own (an analyzer's IF bandwidth, source
// power, ...): a front end can change one for the current connection without storing it. The
// program asks for it with dynamic_cast.

#include <string>

namespace kv {

// The application property (a map of setting keys to value texts) through which a front end hands
// a driver settings for one run before it is created, so that they hold from the connection on
// and nothing is stored. A component that has such settings reads it when it makes a driver.
inline constexpr const char* kDriverRunSettingsProperty = "kv47310.driverRunSettings";

class IDriverSettings {
public:
    virtual ~IDriverSettings() = default;
    // Applies the setting to this driver (and to the analyzer when connected). False, with the
    // reason in `error`, when the key is unknown or the value refused; nothing changes then.
    virtual bool SetRunSetting(const std::string& key, const std::string& value,
                               std::string& error) = 0;
};

}  // namespace kv
