#pragma once

// The help window: the program's help page, shipped inside the program.

#include <QDialog>

class QTextBrowser;

namespace kv {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent);
    QTextBrowser* Browser() const { return browser_; }

    static constexpr const char* kHelpPage = "qrc:/help/kv47310.html";

private:
    QTextBrowser* browser_;
};

}  // namespace kv
