#pragma once

// The program's profile values (the instrument selection), kept between runs.

#include <map>
#include <string>

namespace kv {

// Key names of the profile section "KV47310".
inline constexpr const char* kProfileCardClsid = "IEEE GPIB CARD CLSID";
inline constexpr const char* kProfileInstrumentClsid = "INSTRUMENT CLSID";
inline constexpr const char* kProfileInstrumentAddress = "INSTRUMENT ADDRESS";
inline constexpr const char* kProfileCardAddress = "IEEE GPIB CARD ADDRESS";

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The value of a key of the program's section; empty when missing.
    virtual std::string Read(const std::string& key) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

// A profile held in memory, for tests and for runs that must not touch the user's settings.
class MemoryProfileStore : public ProfileStore {
public:
    std::string Read(const std::string& key) override {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    }
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }

    std::map<std::string, std::string> values;
};

}  // namespace kv
