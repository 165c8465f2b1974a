#include "persist/ReferenceLiquidFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include "persist/FileIo.h"
#include "persist/SettingsProfileStore.h"

namespace kv {

namespace {

// A library file is a few kilobytes; anything near this is not one.
constexpr std::size_t kMaxLibraryBytes = 4 * 1024 * 1024;

std::string Reason(FileStatus status) {
    switch (status) {
        case FileStatus::NotAFile:
            return "not a regular file";
        case FileStatus::TooLarge:
            return "too large for a library of liquids";
        default:
            return "cannot be read";
    }
}

}  // namespace

ReferenceLiquidLibrary LoadReferenceLiquids(const std::vector<std::string>& paths) {
    ReferenceLiquidLibrary library;
    for (const std::string& path : paths) {
        std::vector<std::uint8_t> bytes;
        const FileStatus status = ReadWholeFile(path, bytes, kMaxLibraryBytes);
        if (status == FileStatus::NotFound) {
            library.missing.push_back(path);
            continue;
        }
        if (status != FileStatus::Ok) {
            library.problems.push_back(path + ": " + Reason(status));
            continue;
        }
        std::vector<ReferenceLiquid> liquids;
        std::string error;
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!ParseReferenceLiquids(text, path, liquids, error)) {
            library.problems.push_back(error);
            continue;
        }
        MergeReferenceLiquids(library.liquids, std::move(liquids));
    }
    return library;
}

std::string ShippedReferenceLiquidsFile() {
    // applicationDirPath() needs an application object; tests and tools may run without one and
    // read the copy in the build folder.
    if (QCoreApplication::instance() == nullptr) {
        const QString built = QStringLiteral(KV_BUILD_DATA_DIR "/reference-liquids.txt");
        return QFileInfo(built).isFile() ? built.toStdString() : std::string();
    }
    const QString path = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" +
                                         KV_SHIPPED_DATA_DIR + "/reference-liquids.txt");
    return QFileInfo(path).isFile() ? path.toStdString() : std::string();
}

std::vector<std::string> ReferenceLiquidPaths() {
    std::vector<std::string> paths;
    if (std::string shipped = ShippedReferenceLiquidsFile(); !shipped.empty()) {
        paths.push_back(std::move(shipped));
    }
    // The folder is named here rather than taken from the application object's names, which the
    // front ends set to the same two texts: the path is the same with or without one.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!config.isEmpty()) {
        paths.push_back(QDir::cleanPath(config + "/" + QLatin1String(kProfileOrganisation) + "/" +
                                        QLatin1String(kProfileApplication) +
                                        "/reference-liquids.txt")
                            .toStdString());
    }
    return paths;
}

}  // namespace kv
