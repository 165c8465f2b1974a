#pragma once

// The component registry of the program: component plugins found in a list of folders.

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

    // Reads metadata only, once for the registry's life (the first listing or creation reads the
    // folders); no library is loaded. Components are sorted by display name (then by CLSID). A
    // broken file is skipped and becomes one of Problems(); a missing folder is simply empty.
    // Always returns true.
    bool List(const std::string& category, std::vector<ComponentInfo>& out) override;

    // Loads the library of the component with that CLSID (compared without regard to case) and
    // asks it for an analyzer driver. `driver` is reset unless the result is Ok; a library that
    // will not load, or a plugin that throws, becomes one of Problems().
    CreateResult CreateDriver(const std::string& clsid,
                              std::shared_ptr<IInstrumentDriver>& driver) override;

    std::vector<ComponentProblem> Problems() const override { return problems_; }

private:
    struct Entry {
        ComponentInfo info;
        std::vector<std::string> categories;  // upper-case braced ids
    };

    // The entries of every folder, read at the first call.
    const std::vector<Entry>& Entries();
    std::vector<Entry> Scan();
    void Note(const std::string& path, const std::string& reason);

    std::vector<std::string> folders_;
    std::vector<Entry> entries_;
    bool scanned_ = false;
    std::vector<ComponentProblem> problems_;  // each once per registry object
};

}  // namespace kv
