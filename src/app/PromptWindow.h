#pragma once

// The small wait window ("Setting up Instrument" and the like): a caption, a centred text, and a
// Cancel button that stays hidden until the owner reveals it. A wait that can be cancelled also
// shows a busy bar, so that a step that takes long is seen to be going on.

#include <QDialog>

#include "probe/CPromptDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class PromptWindow : public QDialog, public CPromptDlg {
    Q_OBJECT

public:
    explicit PromptWindow(QWidget* owner);

    QLabel* TextLabel() const { return text_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* BusyBar() const { return busy_; }

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
    QProgressBar* busy_;
};

}  // namespace kv
