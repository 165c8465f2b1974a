#pragma once

// Optional interface of a driver that can list the card addresses where its analyzer may be
// found on the selected card (the serial ports with its USB ids, the USB test and measurement
// devices the user may open). The selection dialog's Find then probes each listed address with
// CheckInstrument, besides the one typed. The program asks for it with dynamic_cast.

#include <string>
#include <vector>

namespace kv {

class IAddressSearch {
public:
    virtual ~IAddressSearch() = default;
    // The card addresses to probe on the card given to SelectGpibCard, in order; empty when the
    // driver lists none there. Listing writes nothing to any device.
    virtual std::vector<std::string> SearchCardAddresses() = 0;
};

}  // namespace kv
