#pragma once

// The component registry of the program: component plugins found in a list of folders.

#include <set>
#include <string>
#include <vector>

#include "instrument/ComponentRegistry.h"

namespace kv {

class PluginRegistry : public IComponentRegistry {
public:
    // Searches DefaultFolders().
    PluginRegistry();
    // Searches the given folders, in this order (tests use their own folders).
    explicit PluginRegistry(std::vector<std::string> folders);

    // With an application object, the folders where the program's components are, relative to
    // the executable's folder: "components" beside it (the build tree), then the installed
    // components folder (../lib/kv47310/components from bin/). Without one (tests, tools), the
    // build tree's components folder. An installed program never looks into a build tree.
    static std::vector<std::string> DefaultFolders();

    // Reads metadata only; no library is loaded. Components are sorted by display name (then by
    // CLSID). A broken file is skipped with a one-line note on standard error; a missing folder
    // is simply empty. Always returns true.
    bool List(const std::string& category, std::vector<ComponentInfo>& out) override;

    // Loads the library of the component with that CLSID (compared without regard to case) and
    // asks it for an analyzer driver. `driver` is reset unless the result is Ok.
    CreateResult CreateDriver(const std::string& clsid,
                              std::shared_ptr<IInstrumentDriver>& driver) override;

private:
    struct Entry {
        ComponentInfo info;
        std::vector<std::string> categories;  // upper-case braced ids
    };

    std::vector<Entry> Scan();
    void Note(const std::string& path, const std::string& reason);

    std::vector<std::string> folders_;
    std::set<std::string> noted_;  // each note once per registry object
};

}  // namespace kv
