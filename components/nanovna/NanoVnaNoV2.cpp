// A build without the V2 binary protocol: an analyzer that answers as a V2 is refused.

#include "NanoVnaProtocol.h"

namespace kv {

std::unique_ptr<NanoVnaProtocol> MakeV2Protocol() {
    return nullptr;
}

}  // namespace kv
