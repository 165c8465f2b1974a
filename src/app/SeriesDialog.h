#pragma once

// The dialog of "Measure Continuously...": back to back or every interval; until a number of
// measurements, a duration or Stop; and the file the series is recorded to ("Record...").

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "doc/MeasurementSeries.h"

class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace kv {

class SeriesDialog : public QDialog {
    Q_OBJECT

public:
    // `chooseFile` asks for the file ("Record..."); nothing on Cancel.
    SeriesDialog(SeriesPage& page, std::function<std::optional<std::string>()> chooseFile,
                 QWidget* parent = nullptr);

    QRadioButton* BackToBackButton() const { return backToBack_; }
    QRadioButton* EveryButton() const { return every_; }
    QDoubleSpinBox* IntervalBox() const { return interval_; }
    QRadioButton* CountButton() const { return countButton_; }
    QSpinBox* CountBox() const { return count_; }
    QRadioButton* DurationButton() const { return durationButton_; }
    QLineEdit* DurationEdit() const { return duration_; }
    QRadioButton* UntilStoppedButton() const { return untilStopped_; }
    QLineEdit* RecordEdit() const { return record_; }

    // Takes the values into the page (the document checks them).
    void accept() override;

private:
    void UpdateEnabled();

    SeriesPage& page_;
    QRadioButton* backToBack_;
    QRadioButton* every_;
    QDoubleSpinBox* interval_;
    QRadioButton* countButton_;
    QSpinBox* count_;
    QRadioButton* durationButton_;
    QLineEdit* duration_;
    QRadioButton* untilStopped_;
    QLineEdit* record_;
};

}  // namespace kv
