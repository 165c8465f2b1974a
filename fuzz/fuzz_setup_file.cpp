// Setup-file reader under libFuzzer: any input is read without a crash, a leak or undefined
// behaviour, and an image that reads is written and read back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <span>

#include "persist/SetupImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    SetupImage image;
    if (ReadSetupImage(std::span<const std::uint8_t>(data, size), image) != SetupReadResult::Ok) {
        return 0;
    }
    // A document hands the stored name back to its engine when it writes the file again.
    image.engine->instrumentName = image.storedName;
    const std::vector<std::uint8_t> once = WriteSetupImage(image.Source());
    SetupImage again;
    if (ReadSetupImage(once, again) != SetupReadResult::Ok) {
        __builtin_trap();
    }
    again.engine->instrumentName = again.storedName;
    // Compared as bytes: a value that is not a number (a damaged double) is never equal to
    // itself, but it must come back bit for bit.
    if (WriteSetupImage(again.Source()) != once) {
        __builtin_trap();
    }
    return 0;
}
