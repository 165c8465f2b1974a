#pragma once

// The window of the selection dialog "Select GPIB Card / Instrument". The dialog's state and its
// Find and Test commands are CGpibSelectDlg's; this window shows that state, passes the
// operator's choices and button presses in, and re-reads the state whenever the search lets
// events through.

#include <QDialog>
#include <vector>

#include "instrument/ComponentRegistry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QValidator;

namespace kv {

class CGpibSelectDlg;

class GpibSelectDialog : public QDialog {
    Q_OBJECT

public:
    GpibSelectDialog(CGpibSelectDlg& model, QWidget* parent);

    // Shows the model's lists, selections, addresses, buttons, caption and progress.
    void SyncFromModel();

    QComboBox* CardCombo() const { return cardCombo_; }
    QComboBox* InstrumentCombo() const { return instrumentCombo_; }
    QLineEdit* CardAddressEdit() const { return cardAddress_; }
    QLineEdit* InstrumentAddressEdit() const { return instrumentAddress_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* FindButton() const { return find_; }
    QPushButton* TestButton() const { return test_; }
    QPushButton* AbortButton() const { return abort_; }
    QPushButton* SettingsButton() const { return settings_; }
    QProgressBar* ProgressBar() const { return progress_; }
    // The component files that could not be used; hidden when there are none.
    QLabel* ProblemsLabel() const { return problems_; }

public slots:
    void accept() override;
    // Escape and the close button: Cancel, or Abort while the bus is being searched.
    void reject() override;

private:
    void FillCombo(QComboBox* combo, const std::vector<ComponentInfo>& list);
    // The address fields as the chosen card reads addresses: numbers, or free texts.
    void ShowAddressKind();

    CGpibSelectDlg& model_;
    QComboBox* cardCombo_;
    QComboBox* instrumentCombo_;
    QLineEdit* cardAddress_;
    QLineEdit* instrumentAddress_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* find_;
    QPushButton* test_;
    QPushButton* abort_;
    QPushButton* settings_;
    QProgressBar* progress_;
    QLabel* problems_;
    QValidator* digits_;
    int numberWidth_ = 0;
    bool syncing_ = false;
};

}  // namespace kv
