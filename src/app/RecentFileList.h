#pragma once

// The most-recently-used file list of the File menu: at most eight paths, the latest first, kept
// in the program's settings under "Recent File List" ("File1" to "File8").

#include <QSettings>
#include <QString>
#include <QStringList>

namespace kv {

class RecentFileList {
public:
    static constexpr int kSize = 8;

    // Without settings the list lives for the run only.
    explicit RecentFileList(QSettings* settings = nullptr);

    void Load();
    void Save() const;

    // Puts the path at the top (moving it there when listed already) and saves the list.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Entries() const { return entries_; }

    // The menu text of entry i: "&1 /path/name.tst", ampersands of the path doubled, long paths
    // shortened in the middle.
    static QString MenuText(int index, const QString& path);

private:
    QSettings* settings_;
    QStringList entries_;
};

}  // namespace kv
