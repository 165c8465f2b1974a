#pragma once

// The CLSID of the USB serial port card, as its plugin metadata states it. Drivers of analyzers
// on a serial port (the NanoVNA family) accept this card; its card address is the port
// (/dev/ttyACM0, or any path to a serial device or pseudo terminal), its instrument address is
// unused.

namespace kv {

inline constexpr const char* kSerialCardClsid = "{D394D745-2EA0-41CD-8A17-944DB932E1D9}";

}  // namespace kv
