#include "app/CKv4731xApp.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <clocale>

#include "app/AboutDialog.h"
#include "app/CMainFrame.h"
#include "app/TextConversion.h"
#include "app/TimeChartSettingsStore.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "instrument/PluginRegistry.h"
#include "persist/DataFile.h"
#include "persist/SettingsProfileStore.h"

namespace kv {

void CKv4731xApp::ConfigureProcess() {
    QCoreApplication::setOrganizationName(QLatin1String(kOrganisation));
    QCoreApplication::setApplicationName(QLatin1String(kApplication));
    // Qt takes the user's locale for the C library; the program writes and reads its numbers
    // (data files, labels, page fields) with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
}

bool CKv4731xApp::DisplayAvailable(const char* platform, const char* display, const char* wayland) {
    const auto set = [](const char* value) { return value != nullptr && value[0] != '\0'; };
    return set(platform) || set(display) || set(wayland);
}

CKv4731xApp::CKv4731xApp()
    : recent_(&settings_),
      registry_(std::make_unique<PluginRegistry>()),
      profile_(std::make_unique<SettingsProfileStore>()) {
    recent_.Load();
    ui_.SetRecentFileSink([this](const std::string& path) { recent_.Add(PathFromCore(path)); });
    doc_ = std::make_unique<CKv4731xDoc>(ui_, *registry_, *profile_);
    doc_->SetTimeChart(LoadTimeChartSettings(settings_));
}

CKv4731xApp::~CKv4731xApp() {
    // The window and its views go before the document they show.
    frame_.reset();
    doc_.reset();
}

bool CKv4731xApp::InitInstance(const CommandLineInfo& commandLine) {
    frame_ = std::make_unique<CMainFrame>(*doc_, &ui_, this);
    ui_.SetMainWindow(frame_.get());
    frame_->SetSettings(&settings_);
    if (!commandLine.fileName.isEmpty()) {
        // The named file is opened once the instrument is connected and the defaults file has
        // been read, so that the defaults do not replace the file's setup.
        const QString path = commandLine.fileName;
        QObject::connect(frame_.get(), &CMainFrame::viewsShown, frame_.get(), [this, path] {
            frame_->RunOperation([this, &path] { OpenDocumentFile(path); });
            frame_->UpdateCommandStates();
            frame_->UpdateTitle();
        });
    }
    // The size the window takes when the operator restores it from maximised (and where no
    // window manager maximises windows): three quarters of the screen, centred.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect normal(QPoint(0, 0), area.size() * 3 / 4);
        normal.moveCenter(area.center());
        frame_->setGeometry(normal);
    }
    frame_->showMaximized();
    return true;
}

bool CKv4731xApp::OnAppCommand(int id) {
    switch (id) {
        case ID_FILE_NEW:
            FileNew();
            return true;
        case ID_FILE_OPEN:
            FileOpen();
            return true;
        case ID_FILE_MRU_FILE1:
            OpenRecentFile(0);
            return true;
        case ID_APP_EXIT:
            // Closed once this command has returned: a close while an operation still waits
            // ends that wait first.
            if (frame_ != nullptr) {
                QTimer::singleShot(0, frame_.get(), &QWidget::close);
            }
            return true;
        case ID_APP_ABOUT: {
            AboutDialog about(frame_.get());
            about.exec();
            return true;
        }
        default:
            return false;
    }
}

void CKv4731xApp::FileNew() {
    // A new setup keeps the settings as they are and forgets the file they came from.
    if (!doc_->SaveModified()) {
        return;
    }
    doc_->SetPathName(std::string());
    doc_->SetModified(false);
}

void CKv4731xApp::FileOpen() {
    FileDialogRequest request;
    request.filter = kSetupFileFilter;
    request.defaultExtension = kSetupFileExtension;
    const auto path = ui_.GetOpenFileName(request);
    if (path) {
        OpenDocumentFile(PathFromCore(*path));
    }
}

void CKv4731xApp::OpenDocumentFile(const QString& path) {
    const std::string corePath = PathToCore(QFileInfo(path).absoluteFilePath());
    // A data file goes into a trace and leaves the setup in place: nothing to save first.
    if (!IsDataFilePath(corePath) && !doc_->SaveModified()) {
        return;
    }
    if (doc_->OnOpenDocument(corePath)) {
        doc_->SetPathName(corePath);
        recent_.Add(PathFromCore(corePath));
    }
    if (frame_ != nullptr) {
        frame_->UpdateTitle();
    }
}

void CKv4731xApp::OpenRecentFile(int index) {
    const QStringList files = recent_.Entries();
    if (index < 0 || index >= files.size()) {
        return;
    }
    const QString path = files[index];
    OpenDocumentFile(path);
    // An entry goes from the list only when its file has gone; a data file, which the open step
    // never reports as opened, stays.
    if (!QFileInfo::exists(path)) {
        recent_.Remove(static_cast<int>(recent_.Entries().indexOf(path)));
    }
}

}  // namespace kv
