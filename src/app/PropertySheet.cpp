#include "app/PropertySheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/PropertyPage.h"

namespace kv {

PropertySheet::PropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
    setWindowTitle(caption);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = box->button(QDialogButtonBox::Ok);
    cancel_ = box->button(QDialogButtonBox::Cancel);
    connect(box, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheet::OnTabChanged);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(box);
}

void PropertySheet::AddPage(PropertyPage* page, const QString& title) {
    pages_.push_back(page);
    switching_ = true;
    tabs_->addTab(page, title);
    switching_ = false;
    if (shown_ < 0) {
        shown_ = 0;
        page->OnSetActive();
    }
}

void PropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) {
        index = 0;
    }
    switching_ = true;
    tabs_->setCurrentIndex(index);
    switching_ = false;
    shown_ = index;
    if (!pages_.empty()) {
        pages_[static_cast<std::size_t>(index)]->OnSetActive();
    }
}

int PropertySheet::ActivePage() const {
    return tabs_->currentIndex();
}

void PropertySheet::OnTabChanged(int index) {
    if (switching_) {
        return;
    }
    if (shown_ >= 0 && shown_ != index && !pages_[static_cast<std::size_t>(shown_)]->Leave()) {
        switching_ = true;
        tabs_->setCurrentIndex(shown_);
        switching_ = false;
        return;
    }
    shown_ = index;
    if (index >= 0) {
        pages_[static_cast<std::size_t>(index)]->OnSetActive();
    }
}

void PropertySheet::accept() {
    // The page in front first, so that its refusal is the one the operator sees.
    const int active = ActivePage();
    if (active >= 0 && !pages_[static_cast<std::size_t>(active)]->Leave()) {
        return;
    }
    for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
        if (i != active && !pages_[static_cast<std::size_t>(i)]->Leave()) {
            SetActivePage(i);
            return;
        }
    }
    QDialog::accept();
}

}  // namespace kv
