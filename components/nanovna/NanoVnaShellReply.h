#pragma once

// The reader of the NanoVNA text shell's replies, pure functions of the bytes (also for the fuzz
// target). A command line goes out ending in "\r"; the shell echoes the line's characters, ends
// the echo with "\r\n", writes its answer in lines ending "\r\n" and then its prompt "ch> ".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

inline constexpr std::string_view kShellPrompt = "ch> ";
// A reply longer than this is no reply of the shell's (a scan of 1601 points with every field
// takes about 100 kB).
inline constexpr std::size_t kMaxShellReplyBytes = 1u << 20;

enum class ShellReplyState { Incomplete, Complete, Malformed };

// Reads the reply to `command` (without its "\r") from the start of `bytes`: Complete with the
// answer's lines (without "\r\n") and the bytes it took, through the prompt; Incomplete when more
// must arrive; Malformed with the reason when the bytes are no such reply (no echo of the
// command, a control character or a lone "\r" or "\n" in a line, a prompt not at a line's start,
// too long).
ShellReplyState ReadShellReply(std::string_view bytes, std::string_view command,
                               std::vector<std::string>& lines, std::size_t& used,
                               std::string& error);

// One line of a scan's answer with the mask's bits 0 to 2 as `mask` asks: "%u " for the frequency,
// "%f %f " for each of S11 and S21, in that order. False with the reason when it is not.
struct ShellScanPoint {
    std::uint64_t hz = 0;
    double re = 0;  // S11
    double im = 0;
};
bool ParseShellScanLine(std::string_view line, unsigned mask, ShellScanPoint& point,
                        std::string& error);

// The number N of "sweep points exceeds range N", or of "p:N" in the info lines; 0 when there is
// none (or it is not a number from 2 to 100000).
int ShellPointsLimit(const std::vector<std::string>& lines);

}  // namespace kv
