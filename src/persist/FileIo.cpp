#include "persist/FileIo.h"

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
    std::string text;
    switch (ReadRegularFile(path, text, maxBytes)) {
        case RegularFileStatus::Ok:
            break;
        case RegularFileStatus::NotFound:
            return FileStatus::NotFound;
        case RegularFileStatus::Directory:
        case RegularFileStatus::NotRegular:
            return FileStatus::NotAFile;
        case RegularFileStatus::CannotOpen:
            return FileStatus::CannotOpen;
        case RegularFileStatus::TooLarge:
            return FileStatus::TooLarge;
        case RegularFileStatus::ReadFailed:
            return FileStatus::ReadFailed;
    }
    bytes.assign(text.begin(), text.end());
    return FileStatus::Ok;
}

FileStatus WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteBytes(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

FileStatus WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteBytes(path, text.data(), text.size());
}

}  // namespace kv
