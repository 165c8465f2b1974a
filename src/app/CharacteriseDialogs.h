#pragma once

// The dialogs of "Characterise Probe...": the liquid, its temperature and the probe's name; and the
// result of the fit with a chart of the measured liquid against the liquid's model, with Save and
// Cancel.

#include <QDialog>
#include <QWidget>

#include <vector>

#include "doc/OperatorUi.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class CharacteriseDialog : public QDialog {
    Q_OBJECT

public:
    CharacteriseDialog(CharacterisePage& page, QWidget* parent = nullptr);

    QComboBox* LiquidCombo() const { return liquid_; }
    QLabel* OfferedLabel() const { return offered_; }
    QLineEdit* TemperatureEdit() const { return temperature_; }
    QLineEdit* NameEdit() const { return name_; }

    // Takes the values into the page; a temperature that is no number is refused with "Please
    // enter a number." and the dialog stays.
    void accept() override;

private:
    void ShowLiquid(int index);

    CharacterisePage& page_;
    QComboBox* liquid_;
    QLabel* offered_;
    QLineEdit* temperature_;
    QLineEdit* name_;
};

// e' and e'' against frequency: the liquid as the fitted probe measures it (points joined by solid
// lines) and the liquid's model (dashed), on one linear axis each.
class FitChart : public QWidget {
    Q_OBJECT

public:
    explicit FitChart(std::vector<FitPoint> curve, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {420, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<FitPoint> curve_;
};

class CharacterisationDialog : public QDialog {
    Q_OBJECT

public:
    CharacterisationDialog(const CharacterisationReport& report, QWidget* parent = nullptr);

    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QPushButton* save_;
    QPushButton* cancel_;
};

}  // namespace kv
