#include "app/MeasureWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/TextConversion.h"
#include "app/WindowPlacement.h"

namespace kv {

MeasureWindow::MeasureWindow(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      owner_(owner),
      text_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      abort_(new QPushButton(QStringLiteral("Abort"), this)),
      progress_(new QProgressBar(this)) {
    setWindowTitle(QStringLiteral("Measure"));
    setModal(false);
    setObjectName(QStringLiteral("MeasureWindow"));
    text_->setObjectName(QStringLiteral("text"));
    ok_->setObjectName(QStringLiteral("ok"));
    abort_->setObjectName(QStringLiteral("abort"));
    progress_->setObjectName(QStringLiteral("progress"));

    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setMinimumHeight(text_->fontMetrics().height() * 3);
    // Enter continues; it never aborts, whichever button has the focus.
    ok_->setDefault(true);
    abort_->setAutoDefault(false);
    progress_->setTextVisible(false);
    progress_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addSpacing(24);
    buttons->addWidget(abort_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    setMinimumSize(324, 154);

    connect(ok_, &QPushButton::clicked, this, [this] { PressOk(); });
    connect(abort_, &QPushButton::clicked, this, [this] { PressAbort(); });
}

void MeasureWindow::OnChanged() {
    text_->setText(FromCore(Text()));
    const bool okWasEnabled = ok_->isEnabled();
    ok_->setEnabled(OkEnabled());
    abort_->setEnabled(AbortEnabled());
    if (OkEnabled() && !okWasEnabled && abort_->hasFocus()) {
        ok_->setFocus();
    }
    progress_->setRange(0, ProgressRange() > 0 ? ProgressRange() : 1);
    progress_->setValue(ProgressPosition());
    progress_->setVisible(ProgressVisible());
    if (!Closed() && !isVisible()) {
        PlaceOverOwner(this, owner_);
        show();
        raise();
        activateWindow();
    }
}

void MeasureWindow::OnClosed() {
    hide();
}

void MeasureWindow::reject() {
    PressAbort();
}

}  // namespace kv
