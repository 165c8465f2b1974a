#pragma once

// The two address texts of the LAN card: the card address is the analyzer's host name or IPv4/IPv6
// address; the instrument address is empty (raw SCPI socket on port 5025), a port 1024..65535
// (raw socket), or a VXI-11 device name such as "inst0" or "gpib0,16".

#include <string>

namespace kv {

struct LanAddress {
    enum class Kind { RawSocket, Vxi11 };
    std::string host;
    Kind kind = Kind::RawSocket;
    int port = 5025;     // raw socket
    std::string device;  // VXI-11 device name
};

inline constexpr int kScpiRawPort = 5025;

// False with the reason in `error` when the texts are no LAN address.
bool ParseLanAddress(const std::string& cardAddress, const std::string& instrumentAddress,
                     LanAddress& out, std::string& error);

}  // namespace kv
