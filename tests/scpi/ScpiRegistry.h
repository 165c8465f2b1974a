#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScpiDriver.h"
#include "instrument/ComponentRegistry.h"
#include "instrument/LanCardId.h"
#include "instrument/UsbtmcCardId.h"

namespace kv::test {

inline constexpr const char* kScpiClsid = "{7CD5993A-DCAD-4618-9647-3A63D7C005A5}";

// The two components the document needs, the driver created in process. With an opener, the
// USBTMC card is listed too and the driver opens its devices with it.
class ScpiRegistry : public IComponentRegistry {
public:
    explicit ScpiRegistry(ScpiSettings settings, UsbtmcOpener opener = {})
        : settings_(std::move(settings)), opener_(std::move(opener)) {}
    bool List(const std::string& category, std::vector<ComponentInfo>& out) override {
        out.clear();
        if (category == kGpibCardCategory) {
            ComponentInfo lan{kLanCardClsid, "LAN (TCP/IP)", ""};
            lan.addresses = AddressKind::Text;  // as the card's metadata says
            out.push_back(lan);
            if (opener_) {
                ComponentInfo usb{kUsbtmcCardClsid, "USBTMC (USB test and measurement)", ""};
                usb.addresses = AddressKind::Text;
                out.push_back(usb);
            }
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
        auto scpi =
            std::make_shared<ScpiDriver>(settings_, std::vector<std::string>{KV_SCPI_TABLES});
        if (opener_) {
            scpi->SetUsbtmcOpener(opener_);
        }
        driver = scpi;
        return CreateResult::Ok;
    }

private:
    ScpiSettings settings_;
    UsbtmcOpener opener_;
};

}  // namespace kv::test
