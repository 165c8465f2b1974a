#pragma once

// The Qt plugin interface of a component library. Every component (analyzer driver or GPIB card)
// is one plugin whose root object implements IComponentPlugin. Its JSON metadata names the
// component without loading the library:
//   {"clsid": "{braced CLSID}", "name": "display name", "categories": ["{category id}", ...]}
// and optionally, for an analyzer, "offeredByFind": false (never offered by the bus search;
// missing means true), and for a card "addresses": "numbers" (bus numbers, the default) or
// "text" (addresses the card reads as texts).
// The interface id carries a version, raised whenever IComponentPlugin or IInstrumentDriver
// changes: a library built against another version is not listed, and the registry names it with
// both ids among its problems.

#include <QtPlugin>
#include <memory>

#include "instrument/IInstrumentDriver.h"

#define KV_COMPONENT_PLUGIN_IID "com.tarvel.kv47310.ComponentPlugin/2.0"

namespace kv {

inline constexpr const char* kComponentPluginIid = KV_COMPONENT_PLUGIN_IID;

class IComponentPlugin {
public:
    virtual ~IComponentPlugin() = default;
    // A new analyzer driver; null for a component that is not an analyzer (a card). The plugin
    // library stays loaded for as long as the process runs, so the driver may outlive every
    // registry object.
    // A card component makes no object: the program only lists cards and hands their CLSID to
    // the driver.
    virtual std::unique_ptr<IInstrumentDriver> CreateDriver() = 0;
};

}  // namespace kv

Q_DECLARE_INTERFACE(kv::IComponentPlugin, KV_COMPONENT_PLUGIN_IID)
