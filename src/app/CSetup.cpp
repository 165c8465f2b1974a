#include "app/CSetup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/UnitCombo.h"
#include "probe/FrequencyPage.h"

namespace kv {

namespace {

// As the edits of the program's pages always wrote a double: up to 15 significant digits.
QString NumberText(double v) {
    return QString::number(v, 'g', 15);
}

}  // namespace

CSetup::CSetup(FrequencyPage& page, QWidget* parent)
    : PropertyPage(parent),
      page_(page),
      startValue_(new QLineEdit(this)),
      startUnit_(NewUnitCombo(this)),
      stopValue_(new QLineEdit(this)),
      stopUnit_(NewUnitCombo(this)),
      points_(new QLineEdit(this)),
      linear_(new QRadioButton(QStringLiteral("Linear sweep"), this)),
      log_(new QRadioButton(QStringLiteral("Log sweep"), this)),
      setChartScale_(new QCheckBox(QStringLiteral("Set Chart Scale"), this)) {
    setObjectName(QStringLiteral("CSetup"));
    startValue_->setObjectName(QStringLiteral("startValue"));
    stopValue_->setObjectName(QStringLiteral("stopValue"));
    points_->setObjectName(QStringLiteral("points"));

    auto* sweep = new QButtonGroup(this);
    sweep->addButton(linear_, 0);
    sweep->addButton(log_, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Start frequency"), this), 0, 0);
    grid->addWidget(startValue_, 0, 1);
    grid->addWidget(startUnit_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Stop frequency"), this), 1, 0);
    grid->addWidget(stopValue_, 1, 1);
    grid->addWidget(stopUnit_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Number of points"), this), 2, 0);
    grid->addWidget(points_, 2, 1);

    auto* kind = new QGroupBox(QStringLiteral("Sweep"), this);
    auto* kindLayout = new QVBoxLayout(kind);
    kindLayout->addWidget(linear_);
    kindLayout->addWidget(log_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(kind);
    layout->addWidget(setChartScale_);
    layout->addStretch(1);

    startValue_->setText(NumberText(page_.sweep.startValue));
    SelectUnit(startUnit_, page_.sweep.startUnit);
    stopValue_->setText(NumberText(page_.sweep.stopValue));
    SelectUnit(stopUnit_, page_.sweep.stopUnit);
    points_->setText(QString::number(page_.sweep.numPoints));
    (page_.sweep.sweepType == SweepKind::Logarithmic && page_.logSweepEnabled ? log_ : linear_)
        ->setChecked(true);
    setChartScale_->setChecked(page_.setChartScale);
    log_->setEnabled(page_.logSweepEnabled);
}

void CSetup::OnSetActive() {
    log_->setEnabled(page_.logSweepEnabled);
}

bool CSetup::Leave() {
    double start = 0.0;
    double stop = 0.0;
    int points = 0;
    if (!ReadNumber(startValue_, start) || !ReadNumber(stopValue_, stop) ||
        !ReadInteger(points_, points)) {
        return false;
    }
    page_.sweep.startValue = start;
    page_.sweep.startUnit = SelectedUnit(startUnit_);
    page_.sweep.stopValue = stop;
    page_.sweep.stopUnit = SelectedUnit(stopUnit_);
    page_.sweep.numPoints = points;
    page_.sweep.sweepType = log_->isChecked() ? SweepKind::Logarithmic : SweepKind::Linear;
    page_.setChartScale = setChartScale_->isChecked();
    return true;
}

}  // namespace kv
