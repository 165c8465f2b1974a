#include "instrument/LanAddress.h"

#include <cctype>

#include "instrument/ScpiText.h"

namespace kv {

namespace {

bool AllDigits(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// inst0, gpib0,16, hislip is not VXI-11: letters, then digits, then optionally ",address".
bool IsVxi11Device(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i == 0) {
        return false;
    }
    const std::size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i == digits) {
        return false;
    }
    if (i == text.size()) {
        return true;
    }
    return text[i] == ',' && AllDigits(text.substr(i + 1)) && text.size() - i - 1 <= 2;
}

bool IsHost(const std::string& text) {
    if (text.empty() || text.size() > 253) {
        return false;
    }
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '-' && c != ':' && c != '_' && c != '%' &&
            c != '[' && c != ']') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseLanAddress(const std::string& cardAddress, const std::string& instrumentAddress,
                     LanAddress& out, std::string& error) {
    LanAddress a;
    a.host = TrimBlanks(cardAddress);
    // An IPv6 address may come in brackets.
    if (a.host.size() > 2 && a.host.front() == '[' && a.host.back() == ']') {
        a.host = a.host.substr(1, a.host.size() - 2);
    }
    if (a.host.empty()) {
        error =
            "No host is given: the card address must be the analyzer's host name or IP address.";
        return false;
    }
    if (!IsHost(a.host)) {
        error = "\"" + cardAddress + "\" is not a host name or IP address.";
        return false;
    }
    const std::string inst = TrimBlanks(instrumentAddress);
    if (inst.empty()) {
        a.port = kScpiRawPort;
    } else if (AllDigits(inst)) {
        const long port = inst.size() <= 5 ? std::stol(inst) : 0;
        if (port < 1024 || port > 65535) {
            error = "The port " + inst + " is outside 1024 to 65535.";
            return false;
        }
        a.port = static_cast<int>(port);
    } else if (IsVxi11Device(inst)) {
        a.kind = LanAddress::Kind::Vxi11;
        a.device = inst;
    } else {
        error = "\"" + inst +
                "\" is neither a port (1024 to 65535) nor a VXI-11 device name such as inst0 or "
                "gpib0,16.";
        return false;
    }
    out = a;
    return true;
}

}  // namespace kv
