#pragma once

// The "Vertical Scale" page of the "Scale" sheet: "y max", "y min", "Linear" or "Log", "Reset"
// and "AutoScale".

#include "app/PropertyPage.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kv {

struct ScaleSheet;

class CYscale : public PropertyPage {
    Q_OBJECT

public:
    explicit CYscale(ScaleSheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    QLineEdit* MaxEdit() const { return max_; }
    QLineEdit* MinEdit() const { return min_; }
    QRadioButton* LinearButton() const { return linear_; }
    QRadioButton* LogButton() const { return log_; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* AutoScaleButton() const { return autoScale_; }

private:
    void ShowLimits();

    ScaleSheet& sheet_;
    QLineEdit* max_;
    QLineEdit* min_;
    QRadioButton* linear_;
    QRadioButton* log_;
    QPushButton* reset_;
    QPushButton* autoScale_;
};

}  // namespace kv
