#pragma once

// The small wait window ("Setting up Instrument" and the like): a caption, a centred text, and a
// Cancel button that stays hidden until the owner reveals it.

#include <QDialog>

#include "probe/CPromptDlg.h"

class QLabel;
class QPushButton;

namespace kv {

class PromptWindow : public QDialog, public CPromptDlg {
    Q_OBJECT

public:
    explicit PromptWindow(QWidget* owner);

    QLabel* TextLabel() const { return text_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void OnChanged() override;
    void OnClosed() override;
    // Escape and the close button count as Cancel once Cancel is offered; before that the
    // window stays, since the operation it stands for cannot be interrupted.
    void reject() override;

private:
    QWidget* owner_;
    QLabel* text_;
    QPushButton* cancel_;
};

}  // namespace kv
