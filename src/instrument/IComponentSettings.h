#pragma once

// Optional interface of an analyzer driver whose component has settings of its own (an
// analyzer's command family and timeout, the files a file player plays, a simulation's
// material). The component describes them as data and stores them; the front end builds the
// page that edits them, so no component carries a window. The program asks for it with
// dynamic_cast on a driver that is not connected.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kv {

enum class SettingKind {
    Number,   // a decimal number within [minimum, maximum]
    Integer,  // a whole number within [minimum, maximum]
    Choice,   // one of `choices` (by value)
    Text,     // any text
    File,     // a path (a file chooser beside it); empty for none
};

struct SettingChoice {
    std::string value;  // as stored
    std::string text;   // as shown
};

// A maximum at or above this bounds nothing.
inline constexpr double kNoUpperEnd = 1e300;

struct SettingDescription {
    std::string key;   // in the component's settings group
    std::string name;  // the label shown
    SettingKind kind = SettingKind::Text;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string unit;  // shown after a number ("Hz", "s")
    std::string defaultValue;
    std::string help;  // one or two sentences
    std::vector<SettingChoice> choices;
    std::string fileFilter;  // for File: "Touchstone files (*.s1p)"
    std::string value;       // the stored value (the default when none is stored)
};

class IComponentSettings {
public:
    virtual ~IComponentSettings() = default;
    // The title of the settings page and the settings with their stored values.
    virtual std::string SettingsTitle() const = 0;
    virtual std::vector<SettingDescription> DescribeSettings() const = 0;
    // Stores the values by key in the component's settings (used from the next connection on).
    // False, with the reason, when they cannot be stored.
    virtual bool StoreSettings(const std::map<std::string, std::string>& values,
                               std::string& error) = 0;
};

// Whether a typed value fits its description; false with the reason (a sentence naming the
// setting) when it does not.
inline bool CheckSettingValue(const SettingDescription& s, const std::string& value,
                              std::string& reason) {
    // "from 1 to 1000 s", or "of at least 1" for a range without a real upper end.
    auto range = [&s] {
        char low[32], high[32];
        std::snprintf(low, sizeof low, "%g", s.minimum);
        std::snprintf(high, sizeof high, "%g", s.maximum);
        const std::string unit = s.unit.empty() ? "" : " " + s.unit;
        return s.maximum >= kNoUpperEnd ? "of at least " + std::string(low) + unit
                                        : "from " + std::string(low) + " to " + high + unit;
    };
    switch (s.kind) {
        case SettingKind::Number:
        case SettingKind::Integer: {
            const auto first = value.find_first_not_of(' ');
            const auto last = value.find_last_not_of(' ');
            double v = 0.0;
            const char* begin = first == std::string::npos ? value.data() : value.data() + first;
            const char* end = first == std::string::npos ? begin : value.data() + last + 1;
            const auto [ptr, ec] = std::from_chars(begin, end, v);
            const bool number = begin != end && ec == std::errc() && ptr == end && std::isfinite(v);
            const bool whole = s.kind == SettingKind::Number || v == std::floor(v);
            if (!number || !whole || v < s.minimum || v > s.maximum) {
                reason = s.name + ": \"" + value + "\" is not " +
                         (s.kind == SettingKind::Integer ? "a whole number" : "a number") + " " +
                         range() + ".";
                return false;
            }
            return true;
        }
        case SettingKind::Choice:
            for (const SettingChoice& c : s.choices) {
                if (c.value == value) {
                    return true;
                }
            }
            reason = s.name + ": \"" + value + "\" is none of the choices.";
            return false;
        case SettingKind::Text:
        case SettingKind::File:
            return true;
    }
    return true;
}

}  // namespace kv
