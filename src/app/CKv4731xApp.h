#pragma once

// The application: the program's settings, the component registry, the operator windows, the one
// document and the main window, and the commands of the application itself (new, open, printer
// setup, exit, About, the most-recently-used files).

#include <QSettings>
#include <memory>

#include "app/ApplicationCommands.h"
#include "app/CommandLineInfo.h"
#include "app/QtOperatorUi.h"
#include "app/RecentFileList.h"

namespace kv {

class CKv4731xDoc;
class CMainFrame;
class IComponentRegistry;
class ProfileStore;

class CKv4731xApp : public ApplicationCommands {
public:
    // The application title: the settings of the program are kept under it.
    static constexpr const char* kOrganisation = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Tarvel Technologies 47310C";

    // Settings of the process, once a QApplication exists: the settings location, and the "C"
    // number format, so that numbers in files and on screen read "1.5" whatever the locale.
    static void ConfigureProcess();
    // True when a window can be opened: a platform was chosen (QT_QPA_PLATFORM) or an X11 or
    // Wayland display is named. Arguments are the values of those variables (null when unset).
    static bool DisplayAvailable(const char* platform, const char* display, const char* wayland);

    CKv4731xApp();
    ~CKv4731xApp() override;
    CKv4731xApp(const CKv4731xApp&) = delete;
    CKv4731xApp& operator=(const CKv4731xApp&) = delete;

    // Creates and shows the main window (maximised); the first show connects the instrument and
    // reads the defaults file, after which the file named on the command line is opened.
    bool InitInstance(const CommandLineInfo& commandLine);

    CKv4731xDoc& Document() { return *doc_; }
    CMainFrame* MainFrame() { return frame_.get(); }

    // ---- ApplicationCommands ----
    bool OnAppCommand(int id) override;
    QStringList RecentFiles() const override { return recent_.Entries(); }
    void OpenRecentFile(int index) override;
    void OpenDocumentFile(const QString& path) override;

private:
    void FileNew();
    void FileOpen();

    QSettings settings_;
    RecentFileList recent_;
    std::unique_ptr<IComponentRegistry> registry_;
    std::unique_ptr<ProfileStore> profile_;
    QtOperatorUi ui_;
    std::unique_ptr<CKv4731xDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kv
