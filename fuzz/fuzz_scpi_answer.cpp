// libFuzzer target: the SCPI analyzer's answer reader on any bytes an analyzer might send. The
// first byte chooses the byte order and the length an indefinite block must have; the rest is read
// as a stream of answers, each decoded as numbers and as a SYST:ERR? answer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ScpiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool swapped = (data[0] & 0x80) != 0;
    const long long indefinite = (data[0] & 0x40) != 0 ? -1 : 8 * (data[0] & 0x3f);
    const char* p = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    for (;;) {
        kv::ScpiAnswer answer;
        std::size_t used = 0;
        std::string error;
        const kv::ScpiParse r =
            kv::ParseScpiAnswer(p, left, indefinite, 1 << 16, answer, used, error);
        if (r != kv::ScpiParse::Complete) {
            break;
        }
        if (used == 0 || used > left) {
            __builtin_trap();  // an answer always takes bytes, never more than there are
        }
        std::vector<double> numbers;
        kv::DecodeScpiNumbers(answer, swapped, numbers, error);
        int number = 0;
        std::string text;
        kv::ParseScpiError(answer.bytes, number, text);
        p += used;
        left -= used;
    }
    return 0;
}
