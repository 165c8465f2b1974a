#include "AppTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <filesystem>

#include "app/CKv4731xApp.h"

namespace kv::test {

namespace {

std::filesystem::path RunFolder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kv-app-" + std::to_string(::getpid()));
    return folder;
}

// One QApplication for the whole run, on the offscreen platform, with its settings in a folder
// of the run so that the user's own settings are never touched.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::filesystem::create_directories(RunFolder() / "config");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((RunFolder() / "config").string()));
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        CKv4731xApp::ConfigureProcess();
    }
    void TearDown() override {
        app_.reset();
        std::filesystem::remove_all(RunFolder());
    }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

std::string TempFolder(const std::string& name) {
    const auto folder = RunFolder() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<QMessageBox::StandardButton> buttons)
    : preferred(std::move(buttons)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible() || box->property("kvAnswered").toBool()) {
                continue;
            }
            box->setProperty("kvAnswered", true);
            boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
            QAbstractButton* press = nullptr;
            for (auto b : preferred) {
                if ((press = box->button(b)) != nullptr) {
                    break;
                }
            }
            if (press == nullptr) {
                press = box->defaultButton();
            }
            if (press != nullptr) {
                press->click();
            } else {
                box->reject();
            }
        }
    });
    timer_.start();
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    timer_.stop();
}

void Settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (clock.elapsed() < milliseconds);
}

}  // namespace kv::test
