#pragma once

#include <memory>
#include <string>
#include <vector>

#include "instrument/LanCardId.h"
#include "ScpiDriver.h"
#include "instrument/ComponentRegistry.h"

namespace kv::test {

inline constexpr const char* kScpiClsid = "{7CD5993A-DCAD-4618-9647-3A63D7C005A5}";

// The two components the document needs, the driver created in process.
class ScpiRegistry : public IComponentRegistry {
public:
    explicit ScpiRegistry(ScpiSettings settings) : settings_(std::move(settings)) {}
    bool List(const std::string& category, std::vector<ComponentInfo>& out) override {
        out.clear();
        if (category == kGpibCardCategory) {
            ComponentInfo lan{kLanCardClsid, "LAN (TCP/IP)", ""};
            lan.addresses = AddressKind::Text;  // as the card's metadata says
            out.push_back(lan);
        } else if (category == kInstrumentCategory) {
            out.push_back({kScpiClsid, "SCPI network analyzer", ""});
        }
        return true;
    }
    CreateResult CreateDriver(const std::string& clsid,
                              std::shared_ptr<IInstrumentDriver>& driver) override {
        if (clsid != kScpiClsid) {
            return CreateResult::NotCreated;
        }
        driver = std::make_shared<ScpiDriver>(settings_, std::vector<std::string>{KV_SCPI_TABLES});
        return CreateResult::Ok;
    }

private:
    ScpiSettings settings_;
};

}  // namespace kv::test
