#pragma once

// The "User Defined Standards" page of the sheet "Calibration": three standards, each described
// by Eo, Einf, Alpha, Tau and the label that the calibration prompts name it by, and under the
// four parameters their standard uncertainties, which must be at least 0. No parameter is
// range-checked.

#include <array>

#include "app/PropertyPage.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace kv {

struct CalibrationSheet;

class CUserStds : public PropertyPage {
    Q_OBJECT

public:
    static constexpr int kStandards = 3;
    // The columns, left to right: "Eo", "Einf", "Alpha", "Tau", "Std label".
    enum Column { kEo, kEinf, kAlpha, kTau, kLabel, kColumns };

    explicit CUserStds(CalibrationSheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    // The edit of standard `standard` (0 to 2) in `column`.
    QLineEdit* Edit(int standard, Column column) const {
        return edits_.at(static_cast<std::size_t>(standard)).at(column);
    }
    // The edit of the standard uncertainty of standard `standard` in `column` (kEo to kTau).
    QLineEdit* UncertaintyEdit(int standard, Column column) const {
        return uncertaintyEdits_.at(static_cast<std::size_t>(standard)).at(column);
    }
    QGroupBox* StandardBox(int standard) const { return boxes_.at(standard); }
    QLabel* ColumnCaption(Column column) const { return captions_.at(column); }

private:
    CalibrationSheet& sheet_;
    std::array<std::array<QLineEdit*, kColumns>, kStandards> edits_{};
    std::array<std::array<QLineEdit*, kLabel>, kStandards> uncertaintyEdits_{};
    std::array<QGroupBox*, kStandards> boxes_{};
    std::array<QLabel*, kColumns> captions_{};
};

}  // namespace kv
