#pragma once

// The CLSID of the LAN (TCP/IP) card, as its plugin metadata states it. Network analyzer drivers
// accept this card; its card address is the analyzer's host, its instrument address the port or
// VXI-11 device name (instrument/LanAddress.h reads them).

namespace kv {

inline constexpr const char* kLanCardClsid = "{BC88DE82-1C86-4ACA-AEAC-3017FAE0EB36}";

}  // namespace kv
