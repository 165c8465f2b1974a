#pragma once

// A property sheet: a caption, one tab per page, OK and Cancel (no Apply). A page is checked when
// the operator leaves it for another tab and, with every other page, on OK; a page that refuses
// stays in front.

#include <QDialog>
#include <vector>

class QTabWidget;
class QPushButton;

namespace kv {

class PropertyPage;

class PropertySheet : public QDialog {
    Q_OBJECT

public:
    PropertySheet(const QString& caption, QWidget* parent);

    void AddPage(PropertyPage* page, const QString& title);
    void SetActivePage(int index);
    int ActivePage() const;
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

public slots:
    void accept() override;

private:
    void OnTabChanged(int index);

    QTabWidget* tabs_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<PropertyPage*> pages_;
    int shown_ = -1;
    bool switching_ = false;
};

}  // namespace kv
