#pragma once

// The CLSID of the USBTMC card (USB test and measurement devices through the kernel's usbtmc
// driver), as its plugin metadata states it. Its card address is the device file, /dev/usbtmcN;
// the instrument address is not used.

namespace kv {

inline constexpr const char* kUsbtmcCardClsid = "{5E0C7A14-93B2-4D8E-A1F6-2C7B9D4E8A31}";

}  // namespace kv
