#include "persist/FileIo.h"

#include <QFile>
#include <QSaveFile>

namespace kv {

namespace {

QString QPath(const std::string& path) {
    return QString::fromStdString(path);
}

FileStatus WriteBytes(const std::string& path, const char* data, std::size_t size) {
    QSaveFile file(QPath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return FileStatus::CannotOpen;
    }
    std::size_t written = 0;
    while (written < size) {
        const qint64 n = file.write(data + written, static_cast<qint64>(size - written));
        if (n <= 0) {
            file.cancelWriting();
            file.commit();
            return FileStatus::WriteFailed;
        }
        written += static_cast<std::size_t>(n);
    }
    return file.commit() ? FileStatus::Ok : FileStatus::WriteFailed;
}

}  // namespace

FileStatus ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::size_t maxBytes) {
    bytes.clear();
    QFile file(QPath(path));
    if (!file.exists()) {
        return FileStatus::NotFound;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return FileStatus::CannotOpen;
    }
    const qint64 size = file.size();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) {
        return FileStatus::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(reinterpret_cast<char*>(bytes.data() + got),
                                   static_cast<qint64>(bytes.size() - got));
        if (n < 0) {
            bytes.clear();
            return FileStatus::ReadFailed;
        }
        if (n == 0) {
            break;  // the file shrank while it was read: what was there is the file
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return FileStatus::Ok;
}

FileStatus WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteBytes(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

FileStatus WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteBytes(path, text.data(), text.size());
}

}  // namespace kv
