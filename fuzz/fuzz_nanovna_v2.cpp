// libFuzzer target: the NanoVNA V2 protocol's FIFO record reader and board table on any bytes an
// analyzer might send. The first two bytes give the sweep's points (1 to 4096), the next five
// are read as the identification registers, and the rest as FIFO records in reads of up to 255.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "NanoVnaV2Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) {
        return 0;
    }
    const int points = 1 + ((data[0] | (data[1] << 8)) % 4096);
    kv::V2Identity id{data[2], data[3], data[4], data[5], data[6]};
    kv::NanoVnaLimits limits;
    bool lead = false;
    std::string error;
    if (kv::V2LimitsFor(id, limits, lead, error) &&
        (limits.maxScanPoints < 1 || limits.maxScanPoints > 65535 || limits.name.empty())) {
        __builtin_trap();  // a board the table knows always has a name and a usable size
    }
    kv::V2RecordPlacer placer(points);
    const std::uint8_t* p = data + 7;
    std::size_t left = size - 7;
    while (left >= kv::kV2RecordBytes) {
        const int records = static_cast<int>(
            std::min<std::size_t>(left / kv::kV2RecordBytes, kv::kV2MaxFifoRecords));
        const int before = placer.Missing();
        if (!placer.Place(p, records, error)) {
            break;
        }
        if (placer.Missing() > before || placer.Missing() < 0) {
            __builtin_trap();  // placing records never loses a point
        }
        p += static_cast<std::size_t>(records) * kv::kV2RecordBytes;
        left -= static_cast<std::size_t>(records) * kv::kV2RecordBytes;
    }
    if (placer.Complete() != placer.MissingIndexes(1).empty()) {
        __builtin_trap();
    }
    return 0;
}
