#pragma once

// The "Calibration type" page of the sheet "Calibration": which three standards calibrate the
// probe, which standard refreshes a calibration, the probe type, the water temperature with its
// standard uncertainty u(T), the sweeps taken for each reading and "Physical Correction". The
// probe list offers the stock probes and the characterised probes of the probe library; choosing
// another probe sets the probe type, the probe model's scales and the probe's relative deviation
// (0 for a stock probe). The water temperature is not range-checked (the water standard clamps it
// when it is computed); u(T) must be at least 0 and the sweeps per reading at least 1.

#include <array>
#include <vector>

#include "app/PropertyPage.h"
#include "probe/CalibrationSheet.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace kv {

class CCalType : public PropertyPage {
    Q_OBJECT

public:
    explicit CCalType(CalibrationSheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    // 0 "Load/air/short", 1 "Air/short/water", 2 "User defined".
    QRadioButton* CalibrationTypeButton(int index) const { return calibrationType_.at(index); }
    // 0 "Air", 1 "Short", 2 "Water".
    QRadioButton* RefreshStandardButton(int index) const { return refreshStandard_.at(index); }
    // The probes: row 0 "KV47310A", row 1 "KV47310B/C", then (when the sheet's scales are those
    // of no characterised probe and not the stock probe's) the stock type with the note
    // "(scaled: fs ..., s ...)", then the characterised probes by name.
    QListWidget* ProbeList() const { return probeList_; }
    QLineEdit* WaterTemperatureEdit() const { return waterTemperature_; }
    QLineEdit* WaterTemperatureUncertaintyEdit() const { return uWaterTemperature_; }
    QLineEdit* SweepsPerReadingEdit() const { return sweepsPerReading_; }
    QCheckBox* PhysicalCorrectionBox() const { return physicalCorrection_; }
    QGroupBox* CalibrationTypeGroup() const { return calibrationTypeGroup_; }
    QGroupBox* RefreshStandardGroup() const { return refreshStandardGroup_; }
    QGroupBox* ProbeTypeGroup() const { return probeTypeGroup_; }
    QGroupBox* WaterTemperatureGroup() const { return waterTemperatureGroup_; }
    QGroupBox* SweepsPerReadingGroup() const { return sweepsGroup_; }

private:
    CalibrationSheet& sheet_;
    std::array<QRadioButton*, 3> calibrationType_{};
    std::array<QRadioButton*, 3> refreshStandard_{};
    QListWidget* probeList_;
    // The probe of each row of the list.
    std::vector<ProbeOption> probeRows_;
    // The row of the probe in use when the page opened: left chosen, it keeps the deviation.
    int shownProbeRow_ = -1;
    QLineEdit* waterTemperature_;
    QLineEdit* uWaterTemperature_;
    QLineEdit* sweepsPerReading_;
    QCheckBox* physicalCorrection_;
    QGroupBox* calibrationTypeGroup_;
    QGroupBox* refreshStandardGroup_;
    QGroupBox* probeTypeGroup_;
    QGroupBox* waterTemperatureGroup_;
    QGroupBox* sweepsGroup_;
};

}  // namespace kv
