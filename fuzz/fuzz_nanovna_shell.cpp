// libFuzzer target: the NanoVNA text shell's reply reader on any bytes an analyzer might send.
// The first byte picks the command whose echo is expected and the scan mask; the rest is read as
// replies one after another, and every line of a complete reply as a scan line and a limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "NanoVnaShellReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const char* const kCommands[] = {"info", "version", "sweep",  "scan 1 2 3 59",
                                            "cal",  "pause",   "resume", ""};
    const std::string_view command = kCommands[data[0] & 7];
    const unsigned mask = (data[0] >> 3) & 7;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (;;) {
        std::vector<std::string> lines;
        std::size_t used = 0;
        std::string error;
        const kv::ShellReplyState state = kv::ReadShellReply(rest, command, lines, used, error);
        if (state != kv::ShellReplyState::Complete) {
            if (state == kv::ShellReplyState::Malformed && error.empty()) {
                __builtin_trap();  // a refusal always says why
            }
            break;
        }
        if (used == 0 || used > rest.size()) {
            __builtin_trap();  // a reply always takes bytes, never more than there are
        }
        for (const std::string& line : lines) {
            kv::ShellScanPoint point;
            kv::ParseShellScanLine(line, mask, point, error);
        }
        const int limit = kv::ShellPointsLimit(lines);
        if (limit != 0 && (limit < 2 || limit > 100000)) {
            __builtin_trap();
        }
        rest.remove_prefix(used);
    }
    return 0;
}
