#include "app/PromptWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/TextConversion.h"
#include "app/WindowPlacement.h"

namespace kv {

PromptWindow::PromptWindow(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      owner_(owner),
      text_(new QLabel(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      busy_(new QProgressBar(this)) {
    setModal(false);
    setObjectName(QStringLiteral("PromptWindow"));
    text_->setObjectName(QStringLiteral("text"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    cancel_->setEnabled(false);
    cancel_->hide();
    busy_->setObjectName(QStringLiteral("busy"));
    busy_->setRange(0, 0);  // no end known: the bar moves to and fro
    busy_->setTextVisible(false);
    busy_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addWidget(busy_);
    layout->addLayout(buttons);
    setMinimumSize(392, 128);

    connect(cancel_, &QPushButton::clicked, this, [this] { PressCancel(); });
}

void PromptWindow::OnChanged() {
    setWindowTitle(FromCore(Caption()));
    text_->setText(FromCore(Text()));
    cancel_->setEnabled(CancelShown());
    cancel_->setVisible(CancelShown());
    busy_->setVisible(CancelShown());
    if (Visible() && !isVisible()) {
        PlaceOverOwner(this, owner_);
        show();
        raise();
    }
}

void PromptWindow::OnClosed() {
    hide();
}

void PromptWindow::reject() {
    if (CancelShown()) {
        PressCancel();
    }
}

}  // namespace kv
