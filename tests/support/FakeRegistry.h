#pragma once

// An in-process component registry for tests: components are listed from vectors, and drivers
// are created by factories, so a test can hand out FakeDriver objects it keeps a handle on.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "instrument/ComponentRegistry.h"
#include "support/FakeDriver.h"

namespace kv::test {

inline constexpr const char* kFakeCardClsid = "{11111111-0000-0000-0000-000000000001}";
inline constexpr const char* kFakeInstrumentClsid = "{22222222-0000-0000-0000-000000000002}";
inline constexpr const char* kFakeTextCardClsid = "{44444444-0000-0000-0000-000000000004}";

class FakeRegistry : public IComponentRegistry {
public:
    // One card and one instrument whose driver is `driver` (created anew when null).
    FakeRegistry() {
        cards.push_back({kFakeCardClsid, "Fake GPIB card", ""});
        instruments.push_back({kFakeInstrumentClsid, "Fake analyzer", ""});
        factories[kFakeInstrumentClsid] = [this]() {
            if (!driver) {
                driver = std::make_shared<FakeDriver>();
            }
            return driver;
        };
    }

    // Adds a card whose addresses are texts (as a network card's).
    void AddTextCard() {
        ComponentInfo card{kFakeTextCardClsid, "Fake network card", ""};
        card.addresses = AddressKind::Text;
        cards.push_back(card);
    }

    std::vector<ComponentInfo> cards;
    std::vector<ComponentInfo> instruments;
    std::map<std::string, std::function<std::shared_ptr<FakeDriver>()>> factories;
    std::vector<std::string> noInterface;  // CLSIDs that exist but give no driver
    std::shared_ptr<FakeDriver> driver;
    std::vector<ComponentProblem> problems;  // what Problems() reports
    bool cardListFails = false;
    bool instrumentListFails = false;
    int creations = 0;

    bool List(const std::string& category, std::vector<ComponentInfo>& out) override {
        if (category == kGpibCardCategory) {
            if (cardListFails) {
                return false;
            }
            out = cards;
            return true;
        }
        if (category == kInstrumentCategory) {
            if (instrumentListFails) {
                return false;
            }
            out = instruments;
            return true;
        }
        out.clear();
        return true;
    }

    CreateResult CreateDriver(const std::string& clsid,
                              std::shared_ptr<IInstrumentDriver>& out) override {
        out.reset();
        for (const auto& id : noInterface) {
            if (id == clsid) {
                return CreateResult::NoInterface;
            }
        }
        const auto it = factories.find(clsid);
        if (it == factories.end()) {
            return CreateResult::NotCreated;
        }
        ++creations;
        out = it->second();
        return out ? CreateResult::Ok : CreateResult::NotCreated;
    }

    std::vector<ComponentProblem> Problems() const override { return problems; }
};

}  // namespace kv::test
