#pragma once

// Finds the card and analyzer components installed beside the program and creates drivers.

#include <memory>
#include <string>
#include <vector>

#include "instrument/IInstrumentDriver.h"

namespace kv {

// How a card's addresses are written: bus numbers (GPIB: card 0 to 8, instrument 0 to 31), or
// texts the card reads itself (a host name, a port, a device name).
enum class AddressKind { Numbers, Text };

struct ComponentInfo {
    std::string clsid;  // braced CLSID text
    std::string name;   // display name
    std::string path;   // library file (empty for components that are not plugins)
    // An analyzer the bus search may offer; false for simulations and file readers, which
    // answer wherever they are asked.
    bool offeredByFind = true;
    // A card's addresses.
    AddressKind addresses = AddressKind::Numbers;
};

// A component file that was found but cannot be used, and why (one line of text).
struct ComponentProblem {
    std::string file;
    std::string reason;
    bool operator==(const ComponentProblem&) const = default;
};

// "<file>: <reason>", as both front ends show a problem.
inline std::string ProblemLine(const ComponentProblem& problem) {
    return problem.file + ": " + problem.reason;
}

enum class CreateResult {
    Ok,
    NotCreated,   // no such component, or its library would not load
    NoInterface,  // the component does not implement the analyzer driver interface
};

class IComponentRegistry {
public:
    virtual ~IComponentRegistry() = default;
    // The components of a category, in a stable order. False when the category cannot be
    // listed at all (nothing found is not a failure: the list is then empty).
    virtual bool List(const std::string& category, std::vector<ComponentInfo>& out) = 0;
    // Creates the analyzer driver of a component by its CLSID text.
    virtual CreateResult CreateDriver(const std::string& clsid,
                                      std::shared_ptr<IInstrumentDriver>& driver) = 0;
    // The component files met so far that could not be used, each once, in the order met.
    virtual std::vector<ComponentProblem> Problems() const { return {}; }
};

}  // namespace kv
