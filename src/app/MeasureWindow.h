#pragma once

// The "Measure" operator window of the prompt loops: the instruction line, OK to continue, Abort,
// and a progress bar that appears once an operation counts its steps. The rules are the base
// class's; this window shows its state.

#include <QDialog>

#include "probe/CMeasureDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class MeasureWindow : public QDialog, public CMeasureDlg {
    Q_OBJECT

public:
    // Centred on `owner` and kept above it; the probe engine owns the window, not `owner`.
    explicit MeasureWindow(QWidget* owner);

    QLabel* TextLabel() const { return text_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* AbortButton() const { return abort_; }
    QProgressBar* ProgressBar() const { return progress_; }

protected:
    void OnChanged() override;
    void OnClosed() override;
    // Escape and the window's close button abort, as the Abort button does: the operator never
    // leaves a prompt loop without an answer.
    void reject() override;

private:
    QWidget* owner_;
    QLabel* text_;
    QPushButton* ok_;
    QPushButton* abort_;
    QProgressBar* progress_;
};

}  // namespace kv
