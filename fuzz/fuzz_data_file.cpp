// Data-file reader under libFuzzer: any input is read without a crash or undefined behaviour;
// what reads has one value of each kind per line, and written out again it reads back with the
// same number of points.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "persist/DataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const DataFileParse parse =
        ParseDataFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parse.status != DataFileStatus::Ok) {
        return 0;
    }
    const DataFileContents& c = parse.contents;
    const std::size_t n = c.frequencies.size();
    if (n == 0 || c.permittivity.size() != n || c.sensitivity.size() != n) {
        __builtin_trap();
    }
    const std::string text =
        FormatDataFile(c.frequencies, c.permittivity, c.hasSensitivity ? &c.sensitivity : nullptr);
    const DataFileParse again = ParseDataFile(text);
    if (again.status != DataFileStatus::Ok || again.contents.frequencies.size() != n ||
        again.contents.hasSensitivity != c.hasSensitivity) {
        __builtin_trap();
    }
    return 0;
}
