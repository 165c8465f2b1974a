#pragma once

// Support of the window tests: a QApplication on the offscreen platform for the whole run, and
// helpers that answer the modal windows a command opens.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv::test {

// A temporary folder for the test's files (the settings of the whole run live in another one).
std::string TempFolder(const std::string& name);

// Answers every message box that appears while it exists: records its caption and text and
// presses the first of `preferred` that the box has (else its default button).
class MessageBoxAnswerer {
public:
    struct Box {
        std::string caption;
        std::string text;
    };

    explicit MessageBoxAnswerer(std::vector<QMessageBox::StandardButton> preferred = {
                                    QMessageBox::Ok});
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<Box> boxes;
    std::vector<QMessageBox::StandardButton> preferred;

private:
    QTimer timer_;
};

// Runs `action` once on the next modal window of type T (polled every few milliseconds).
template <typename T>
void OnNextModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(window);
        }
    });
    timer->start();
}

// Processes events for a while.
void Settle(int milliseconds = 20);

}  // namespace kv::test
