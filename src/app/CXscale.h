#pragma once

// The "Horizonal Scale" page of the "Scale" sheet: "x max" and "x min" with their units (hidden
// for a Cole-Cole chart, whose horizontal axis is e'), "Linear" or "Log", "Reset" (the default
// limits) and "AutoScale" (the limits that fit the data).

#include "app/PropertyPage.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kv {

struct ScaleSheet;

class CXscale : public PropertyPage {
    Q_OBJECT

public:
    explicit CXscale(ScaleSheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;
    void OnSetActive() override;

    QLineEdit* MaxEdit() const { return max_; }
    QLineEdit* MinEdit() const { return min_; }
    QComboBox* MaxUnit() const { return maxUnit_; }
    QComboBox* MinUnit() const { return minUnit_; }
    QRadioButton* LinearButton() const { return linear_; }
    QRadioButton* LogButton() const { return log_; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* AutoScaleButton() const { return autoScale_; }

private:
    void ShowLimits();

    ScaleSheet& sheet_;
    QLineEdit* max_;
    QComboBox* maxUnit_;
    QLineEdit* min_;
    QComboBox* minUnit_;
    QRadioButton* linear_;
    QRadioButton* log_;
    QPushButton* reset_;
    QPushButton* autoScale_;
};

}  // namespace kv
