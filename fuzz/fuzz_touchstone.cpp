// Touchstone reader under libFuzzer: any input is read without a crash or undefined behaviour;
// what reads has increasing finite frequencies and finite values, and written out again it reads
// back bit for bit.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "touchstone/Touchstone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const TouchstoneParse parse =
        ParseTouchstone(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parse.ok) {
        if (parse.line < 1 || parse.reason.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const TouchstoneData& d = parse.data;
    const std::size_t n = d.frequencies.size();
    if (n == 0 || d.s11.size() != n || !(d.referenceOhms > 0.0)) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(d.frequencies[i]) || !std::isfinite(d.s11[i].re) ||
            !std::isfinite(d.s11[i].im) || (i > 0 && !(d.frequencies[i] > d.frequencies[i - 1]))) {
            __builtin_trap();
        }
    }
    const TouchstoneParse again = ParseTouchstone(FormatTouchstone(d, "fuzz", "now"));
    if (!again.ok || again.data.frequencies.size() != n ||
        std::memcmp(again.data.frequencies.data(), d.frequencies.data(), n * sizeof(double)) != 0 ||
        std::memcmp(again.data.s11.data(), d.s11.data(), n * sizeof(CComplex)) != 0 ||
        again.data.referenceOhms != d.referenceOhms) {
        __builtin_trap();
    }
    return 0;
}
