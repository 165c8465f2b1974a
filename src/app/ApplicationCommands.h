#pragma once

// The application's part of the command routing (after the view, the document and the frame):
// new, open, exit, About, and the most-recently-used files.

#include <QString>
#include <QStringList>

namespace kv {

class ApplicationCommands {
public:
    virtual ~ApplicationCommands() = default;
    // Runs a command the application handles; false when the id is not the application's.
    virtual bool OnAppCommand(int id) = 0;
    // The most-recently-used files, the latest first, and opening one of them.
    virtual QStringList RecentFiles() const = 0;
    virtual void OpenRecentFile(int index) = 0;
    // Opens a file as the File menu does (a data file by its name, else a setup file).
    virtual void OpenDocumentFile(const QString& path) = 0;
};

}  // namespace kv
