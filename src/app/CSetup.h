#pragma once

// The "Set Frequency" page: start and stop frequency with their units, the number of points, the
// sweep kind and "Set Chart Scale".

#include "app/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kv {

struct FrequencyPage;

class CSetup : public PropertyPage {
    Q_OBJECT

public:
    explicit CSetup(FrequencyPage& page, QWidget* parent = nullptr);

    bool Leave() override;
    void OnSetActive() override;

    QLineEdit* StartEdit() const { return startValue_; }
    QComboBox* StartUnit() const { return startUnit_; }
    QLineEdit* StopEdit() const { return stopValue_; }
    QComboBox* StopUnit() const { return stopUnit_; }
    QLineEdit* PointsEdit() const { return points_; }
    QRadioButton* LinearButton() const { return linear_; }
    QRadioButton* LogButton() const { return log_; }
    QCheckBox* SetChartScaleBox() const { return setChartScale_; }

private:
    FrequencyPage& page_;
    QLineEdit* startValue_;
    QComboBox* startUnit_;
    QLineEdit* stopValue_;
    QComboBox* stopUnit_;
    QLineEdit* points_;
    QRadioButton* linear_;
    QRadioButton* log_;
    QCheckBox* setChartScale_;
};

}  // namespace kv
