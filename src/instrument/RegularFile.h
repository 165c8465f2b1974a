#pragma once

// Reading a whole file that the program or a component reads as input (setup, data and defaults
// files, Touchstone files, command tables, component settings). Only a regular file is read, and
// only up to a size limit: a directory, a device such as /dev/zero, a FIFO or a socket is refused
// at once, and opening never waits for a writer (the file is opened without blocking and checked
// again once open). Standard library and POSIX only, so that every layer and component can use it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

namespace kv {

// The limits (each far above what the file holds at 100001 points).
inline constexpr std::size_t kMaxSetupFileBytes = std::size_t{512} * 1024 * 1024;
inline constexpr std::size_t kMaxTouchstoneFileBytes = std::size_t{64} * 1024 * 1024;
inline constexpr std::size_t kMaxSettingsFileBytes = std::size_t{4} * 1024 * 1024;

enum class RegularFileStatus {
    Ok,
    NotFound,
    Directory,
    NotRegular,  // a device, a FIFO, a socket
    CannotOpen,
    TooLarge,
    ReadFailed,
};

// "it is a directory" and so on: the reason a file was not read, a phrase without a full stop.
inline std::string RegularFileReason(RegularFileStatus status, std::size_t maxBytes) {
    switch (status) {
        case RegularFileStatus::Ok:
            return {};
        case RegularFileStatus::NotFound:
            return "the file does not exist";
        case RegularFileStatus::Directory:
            return "it is a directory, not a file";
        case RegularFileStatus::NotRegular:
            return "it is not a regular file (a device, a pipe or a socket)";
        case RegularFileStatus::CannotOpen:
            return "the file cannot be opened";
        case RegularFileStatus::TooLarge:
            return "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MB";
        case RegularFileStatus::ReadFailed:
            return "the file cannot be read";
    }
    return {};
}

inline RegularFileStatus ReadRegularFile(const std::string& path, std::string& bytes,
                                         std::size_t maxBytes) {
    bytes.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? RegularFileStatus::NotFound
                                                   : RegularFileStatus::CannotOpen;
    }
    if (S_ISDIR(info.st_mode)) {
        return RegularFileStatus::Directory;
    }
    if (!S_ISREG(info.st_mode)) {
        return RegularFileStatus::NotRegular;
    }
    // Without blocking, so that a FIFO put in the file's place since the check cannot hold the
    // open; what was opened is checked again.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return RegularFileStatus::CannotOpen;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0) {
        return RegularFileStatus::ReadFailed;
    }
    if (!S_ISREG(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? RegularFileStatus::Directory : RegularFileStatus::NotRegular;
    }
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes) {
        return RegularFileStatus::TooLarge;
    }
    // The size only guides the first allocation: a file that grows while it is read still stops
    // at the limit.
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            bytes.clear();
            return RegularFileStatus::ReadFailed;
        }
        if (n == 0) {
            return RegularFileStatus::Ok;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            bytes.clear();
            return RegularFileStatus::TooLarge;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace kv
