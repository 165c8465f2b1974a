#pragma once

// Whole-file reading with a size cap, and writing through a temporary file that replaces the
// target only once it is complete, so that a failed save never destroys the previous file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "instrument/RegularFile.h"

namespace kv {

// Larger than any setup or data file the program writes (100001 points take about 30 MB).
inline constexpr std::size_t kMaxFileBytes = kMaxSetupFileBytes;

enum class FileStatus {
    Ok,
    NotFound,
    NotAFile,  // a directory, a device, a FIFO or a socket: never opened for reading
    CannotOpen,
    TooLarge,
    ReadFailed,
    WriteFailed,
};

// Reads a regular file only (see RegularFile.h), up to `maxBytes`.
FileStatus ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::size_t maxBytes = kMaxFileBytes);

// Creates or replaces `path` with `bytes`; the previous file stays when anything fails.
FileStatus WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
FileStatus WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace kv
