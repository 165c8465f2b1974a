#include "app/CCalType.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

#include "probe/CalibrationSheet.h"

namespace kv {

namespace {

const char* const kStockProbeTexts[2] = {"KV47310A", "KV47310B/C"};

bool SameProbe(const ProbeOption& a, int stockType, double fs, double s) {
    return (a.stockType == 0 ? 0 : 1) == (stockType == 0 ? 0 : 1) && a.frequencyScale == fs &&
           a.coefficientScale == s;
}

// The rows of the probe list for the sheet, and the row of the probe in use (-1: none, for a
// probe type the page does not know).
std::vector<ProbeOption> ProbeRows(const CalibrationSheet& sheet, int& current) {
    std::vector<ProbeOption> rows = {{kStockProbeTexts[0], 0, 1.0, 1.0},
                                     {kStockProbeTexts[1], 1, 1.0, 1.0}};
    const int type = sheet.probeType;
    const double fs = sheet.frequencyScale;
    const double s = sheet.coefficientScale;
    current = -1;
    if (type == 0 || type == 1) {
        if (fs == 1.0 && s == 1.0) {
            current = type;
        }
        for (std::size_t i = 0; i < sheet.probes.size() && current < 0; ++i) {
            if (SameProbe(sheet.probes[i], type, fs, s)) {
                current = static_cast<int>(rows.size() + i);
            }
        }
        if (current < 0) {
            // A probe of no file: the stock type, scaled.
            char note[96];
            std::snprintf(note, sizeof note, " (scaled: fs %g, s %g)", fs, s);
            current = static_cast<int>(rows.size());
            rows.push_back(
                {kStockProbeTexts[type] + std::string(note), type, fs, s, sheet.probeDeviation});
        }
    }
    rows.insert(rows.end(), sheet.probes.begin(), sheet.probes.end());
    return rows;
}

// A framed group of radio buttons, numbered in the order of their texts.
template <std::size_t N>
QGroupBox* RadioGroup(QWidget* page, const QString& title, const std::array<const char*, N>& texts,
                      std::array<QRadioButton*, N>& buttons) {
    auto* box = new QGroupBox(title, page);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(QLatin1String(texts[i]), box);
        group->addButton(buttons[i], static_cast<int>(i));
        layout->addWidget(buttons[i]);
    }
    layout->addStretch(1);
    return box;
}

// Checks the button of `index`; an index the page does not know checks none, and the value then
// goes back as it came unless the operator chooses one.
template <std::size_t N>
void CheckIndex(const std::array<QRadioButton*, N>& buttons, int index) {
    if (index >= 0 && index < static_cast<int>(N)) {
        buttons[static_cast<std::size_t>(index)]->setChecked(true);
    }
}

template <std::size_t N>
int CheckedIndex(const std::array<QRadioButton*, N>& buttons, int unchanged) {
    for (std::size_t i = 0; i < N; ++i) {
        if (buttons[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return unchanged;
}

}  // namespace

CCalType::CCalType(CalibrationSheet& sheet, QWidget* parent)
    : PropertyPage(parent),
      sheet_(sheet),
      waterTemperature_(new QLineEdit(this)),
      uWaterTemperature_(new QLineEdit(this)),
      sweepsPerReading_(new QLineEdit(this)),
      physicalCorrection_(new QCheckBox(QStringLiteral("Physical Correction"), this)) {
    setObjectName(QStringLiteral("CCalType"));
    calibrationTypeGroup_ =
        RadioGroup<3>(this, QStringLiteral("Calibration type"),
                      {"Load/air/short", "Air/short/water", "User defined"}, calibrationType_);
    refreshStandardGroup_ = RadioGroup<3>(this, QStringLiteral("Refresh standard type"),
                                          {"Air", "Short", "Water"}, refreshStandard_);
    probeTypeGroup_ = new QGroupBox(QStringLiteral("Probe type"), this);
    probeList_ = new QListWidget(probeTypeGroup_);
    probeList_->setObjectName(QStringLiteral("probeList"));
    auto* probeLayout = new QVBoxLayout(probeTypeGroup_);
    probeLayout->addWidget(probeList_);

    waterTemperatureGroup_ = new QGroupBox(QStringLiteral("Water temperature (C)"), this);
    waterTemperature_->setObjectName(QStringLiteral("waterTemperature"));
    waterTemperature_->setAlignment(Qt::AlignCenter);
    uWaterTemperature_->setObjectName(QStringLiteral("uWaterTemperature"));
    uWaterTemperature_->setAlignment(Qt::AlignCenter);
    auto* waterLayout = new QFormLayout(waterTemperatureGroup_);
    waterLayout->addRow(waterTemperature_);
    waterLayout->addRow(QStringLiteral("u(T) (K)"), uWaterTemperature_);
    sweepsGroup_ = new QGroupBox(QStringLiteral("Sweeps per reading"), this);
    sweepsPerReading_->setObjectName(QStringLiteral("sweepsPerReading"));
    sweepsPerReading_->setAlignment(Qt::AlignCenter);
    auto* sweepsLayout = new QVBoxLayout(sweepsGroup_);
    sweepsLayout->addWidget(sweepsPerReading_);
    physicalCorrection_->setObjectName(QStringLiteral("physicalCorrection"));

    // The three choices side by side, the probe's own settings under them.
    auto* grid = new QGridLayout(this);
    grid->addWidget(calibrationTypeGroup_, 0, 0);
    grid->addWidget(refreshStandardGroup_, 0, 1);
    grid->addWidget(probeTypeGroup_, 0, 2);
    grid->addWidget(waterTemperatureGroup_, 1, 0);
    grid->addWidget(sweepsGroup_, 1, 1);
    grid->addWidget(physicalCorrection_, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setRowStretch(2, 1);
    for (int column = 0; column < 3; ++column) {
        grid->setColumnStretch(column, 1);
    }

    CheckIndex(calibrationType_, static_cast<int>(sheet_.calibrationType));
    CheckIndex(refreshStandard_, sheet_.refreshStandard);
    int current = -1;
    probeRows_ = ProbeRows(sheet_, current);
    for (const ProbeOption& row : probeRows_) {
        probeList_->addItem(QString::fromStdString(row.name));
        probeList_->item(probeList_->count() - 1)->setToolTip(QString::fromStdString(row.name));
    }
    probeList_->setCurrentRow(current);
    shownProbeRow_ = current;
    ShowNumber(waterTemperature_, sheet_.waterTemperature);
    ShowNumber(uWaterTemperature_, sheet_.uWaterTemperature);
    sweepsPerReading_->setText(QString::number(sheet_.sweepsPerReading));
    physicalCorrection_->setChecked(sheet_.physicalCorrection);
}

bool CCalType::Leave() {
    double temperature = 0.0;
    double uTemperature = 0.0;
    int sweeps = 1;
    if (!ReadNumber(waterTemperature_, temperature) ||
        !ReadNumberAtLeast(uWaterTemperature_, 0.0, uTemperature) ||
        !ReadIntegerAtLeast(sweepsPerReading_, 1, sweeps)) {
        return false;
    }
    // The buttons are in the order of the type's values.
    sheet_.calibrationType = static_cast<CalibrationType>(
        CheckedIndex(calibrationType_, static_cast<int>(sheet_.calibrationType)));
    sheet_.refreshStandard = CheckedIndex(refreshStandard_, sheet_.refreshStandard);
    // A probe chosen sets its type and scales (the stock probe's are 1), and another probe than the
    // one in use its deviation; none chosen leaves them.
    const int row = probeList_->currentRow();
    if (row >= 0 && row < static_cast<int>(probeRows_.size())) {
        const ProbeOption& probe = probeRows_[static_cast<std::size_t>(row)];
        sheet_.probeType = probe.stockType == 0 ? 0 : 1;
        sheet_.frequencyScale = probe.frequencyScale;
        sheet_.coefficientScale = probe.coefficientScale;
        if (row != shownProbeRow_) {
            sheet_.probeDeviation = probe.deviation;
        }
    }
    sheet_.waterTemperature = temperature;
    sheet_.uWaterTemperature = uTemperature;
    sheet_.sweepsPerReading = sweeps;
    sheet_.physicalCorrection = physicalCorrection_->isChecked();
    return true;
}

}  // namespace kv
