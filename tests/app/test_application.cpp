// The application object: start-up with a file named on the command line, the application's
// commands and the most-recently-used files.

#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>

#include "AppTestSupport.h"
#include "app/CKv4731xApp.h"
#include "app/CMainFrame.h"
#include "app/GpibSelectDialog.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"

namespace kv::test {
namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = QString::fromStdString(
            TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        previous = QDir::currentPath();
        // The defaults file is written in the working folder.
        QDir::setCurrent(folder);
        QSettings().remove(QStringLiteral("Recent File List"));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    // Starts the application; the selection dialog of the first show is cancelled and the
    // connection given up, so that it runs without an analyzer.
    std::unique_ptr<CKv4731xApp> Start(const CommandLineInfo& commandLine) {
        auto app = std::make_unique<CKv4731xApp>();
        OnNextModal<GpibSelectDialog>([](GpibSelectDialog* d) { d->reject(); });
        answerer = std::make_unique<MessageBoxAnswerer>(
            std::vector<QMessageBox::StandardButton>{QMessageBox::Cancel, QMessageBox::Ok});
        EXPECT_TRUE(app->InitInstance(commandLine));
        for (int i = 0; i < 200 && !app->MainFrame()->ViewsShown(); ++i) {
            Settle(10);
        }
        Settle(50);
        EXPECT_TRUE(app->MainFrame()->ViewsShown());
        return app;
    }

    // A setup file whose title says where it came from.
    QString MakeSetupFile(const QString& name, const std::string& title) {
        auto app = std::make_unique<CKv4731xApp>();
        app->Document().title.text = title;
        const QString path = folder + QLatin1Char('/') + name;
        EXPECT_TRUE(app->Document().StoreSetupFile(path.toStdString()));
        return path;
    }

    QString folder;
    QString previous;
    std::unique_ptr<MessageBoxAnswerer> answerer;
};

TEST_F(ApplicationTest, FileOnTheCommandLineOpensAfterTheDefaults) {
    const QString path = MakeSetupFile(QStringLiteral("run1.tst"), "From run1");
    CommandLineInfo commandLine;
    commandLine.fileName = path;
    auto app = Start(commandLine);
    // The first show read (or wrote) the defaults; the named setup came after and stayed.
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/47310.dft")));
    EXPECT_EQ(app->Document().title.text, "From run1");
    EXPECT_EQ(app->Document().PathName(), path.toStdString());
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(app->RecentFiles(), QStringList({path}));
    EXPECT_EQ(app->MainFrame()->windowTitle().toStdString(),
              "run1.tst[*] - Tarvel Technologies 47310c");
    EXPECT_TRUE(app->MainFrame()->isVisible());
}

TEST_F(ApplicationTest, NewKeepsTheSettingsAndForgetsTheFile) {
    const QString path = MakeSetupFile(QStringLiteral("keep.tst"), "Kept");
    auto app = Start({});
    app->OpenDocumentFile(path);
    ASSERT_EQ(app->Document().PathName(), path.toStdString());
    app->MainFrame()->DispatchCommand(ID_FILE_NEW);
    EXPECT_TRUE(app->Document().PathName().empty());
    EXPECT_EQ(app->Document().title.text, "Kept");
    EXPECT_EQ(app->MainFrame()->windowTitle().toStdString(),
              "Untitled[*] - Tarvel Technologies 47310c");
}

TEST_F(ApplicationTest, RecentFilesStayUnlessTheirFileHasGone) {
    const QString setup = MakeSetupFile(QStringLiteral("a.tst"), "A");
    const QString gone = MakeSetupFile(QStringLiteral("gone.tst"), "Gone");
    auto app = Start({});
    app->OpenDocumentFile(gone);
    app->OpenDocumentFile(setup);
    ASSERT_EQ(app->RecentFiles(), QStringList({setup, gone}));

    QFile::remove(gone);
    answerer->boxes.clear();
    app->OpenRecentFile(1);
    EXPECT_EQ(app->RecentFiles(), QStringList({setup}));
    ASSERT_FALSE(answerer->boxes.empty());
    EXPECT_NE(answerer->boxes.back().text.find("gone.tst"), std::string::npos);
    EXPECT_EQ(app->Document().title.text, "A");  // the setup in place stays

    // The list is the program's settings.
    EXPECT_EQ(QSettings().value(QStringLiteral("Recent File List/File1")).toString(), setup);
}

TEST_F(ApplicationTest, DroppedFilesOpenLikeTheFileMenu) {
    const QString path = MakeSetupFile(QStringLiteral("dropped.tst"), "Dropped");
    auto app = Start({});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    CMainFrame* frame = app->MainFrame();
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(frame, &drop);
    EXPECT_EQ(app->Document().title.text, "Dropped");
    EXPECT_EQ(app->Document().PathName(), path.toStdString());
    EXPECT_EQ(frame->windowTitle().toStdString(), "dropped.tst[*] - Tarvel Technologies 47310c");
}

TEST_F(ApplicationTest, AboutBoxFromItsCommand) {
    auto app = Start({});
    std::string caption;
    OnNextModal<QDialog>([&caption](QDialog* d) {
        caption = d->windowTitle().toStdString();
        d->accept();
    });
    EXPECT_TRUE(app->MainFrame()->DispatchCommand(ID_APP_ABOUT));
    EXPECT_EQ(caption, "About 47310C");
}

TEST_F(ApplicationTest, ExitClosesTheWindow) {
    auto app = Start({});
    app->Document().SetModified(false);
    EXPECT_TRUE(app->MainFrame()->DispatchCommand(ID_APP_EXIT));
    Settle(30);
    EXPECT_FALSE(app->MainFrame()->isVisible());
}

}  // namespace
}  // namespace kv::test
