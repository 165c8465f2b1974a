#pragma once

// The "Set Frequency" page: start and stop frequency with their units, the number of points, the
// sweep kind and "Set Chart Scale"; for a list sweep, the table of its rows (start, stop, points,
// spacing).

#include <string>

#include "app/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

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
    QRadioButton* ListButton() const { return list_; }
    QCheckBox* SetChartScaleBox() const { return setChartScale_; }
    // The list's rows: columns Start, Stop, Points, Spacing ("Linear" or "Log").
    QTableWidget* RowTable() const { return rows_; }
    QPushButton* AddRowButton() const { return addRow_; }
    QPushButton* RemoveRowButton() const { return removeRow_; }
    // Says that the current list is kept while the table has no rows.
    QLabel* KeptListLabel() const { return keptList_; }

private:
    void ShowRows();
    void AddRow();
    void RemoveRow();
    // The fields of the chosen kind enabled, the others not.
    void UpdateFields();
    // The table's rows into the page; false (after telling the operator) for a cell that cannot
    // be read.
    bool ReadRows();

    FrequencyPage& page_;
    QLineEdit* startValue_;
    QComboBox* startUnit_;
    QLineEdit* stopValue_;
    QComboBox* stopUnit_;
    QLineEdit* points_;
    QRadioButton* linear_;
    QRadioButton* log_;
    QRadioButton* list_;
    QTableWidget* rows_;
    QPushButton* addRow_;
    QPushButton* removeRow_;
    QLabel* keptList_;
    QCheckBox* setChartScale_;
};

}  // namespace kv
