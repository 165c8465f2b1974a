#include "app/CXscale.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ScalePageLayout.h"
#include "app/TextConversion.h"
#include "app/UnitCombo.h"
#include "display/ScaleSheet.h"
#include "probe/Units.h"

namespace kv {

CXscale::CXscale(ScaleSheet& sheet, QWidget* parent)
    : PropertyPage(parent),
      sheet_(sheet),
      max_(new QLineEdit(this)),
      maxUnit_(NewUnitCombo(this)),
      min_(new QLineEdit(this)),
      minUnit_(NewUnitCombo(this)),
      linear_(new QRadioButton(QStringLiteral("Linear"), this)),
      log_(new QRadioButton(QStringLiteral("Log"), this)),
      reset_(new QPushButton(QStringLiteral("Reset"), this)),
      autoScale_(new QPushButton(QStringLiteral("AutoScale"), this)) {
    setObjectName(QStringLiteral("CXscale"));
    max_->setObjectName(QStringLiteral("xMax"));
    min_->setObjectName(QStringLiteral("xMin"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("x max"), this), 0, 0);
    grid->addWidget(max_, 0, 1);
    grid->addWidget(maxUnit_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("x min"), this), 1, 0);
    grid->addWidget(min_, 1, 1);
    grid->addWidget(minUnit_, 1, 2);
    LayOutScalePage(this, grid, linear_, log_, reset_, autoScale_);

    ShowLimits();
    (sheet_.format.xLog != 0 ? log_ : linear_)->setChecked(true);
    OnSetActive();

    connect(reset_, &QPushButton::clicked, this, [this] {
        sheet_.ResetHorizontal();
        ShowLimits();
    });
    connect(autoScale_, &QPushButton::clicked, this, [this] {
        sheet_.AutoScaleHorizontal();
        ShowLimits();
    });
}

void CXscale::ShowLimits() {
    max_->setText(FromCore(FormatGeneral(sheet_.format.current.xMax, 12)));
    min_->setText(FromCore(FormatGeneral(sheet_.format.current.xMin, 12)));
    SelectUnit(maxUnit_, sheet_.format.maxUnit);
    SelectUnit(minUnit_, sheet_.format.minUnit);
}

void CXscale::OnSetActive() {
    // The horizontal axis of a Cole-Cole chart is e': it has no unit.
    const bool units = !sheet_.ColeCole();
    maxUnit_->setVisible(units);
    minUnit_->setVisible(units);
}

bool CXscale::Leave() {
    double xMax = 0.0;
    double xMin = 0.0;
    if (!ReadNumber(max_, xMax) || !ReadNumber(min_, xMin)) {
        return false;
    }
    sheet_.format.current.xMax = xMax;
    sheet_.format.current.xMin = xMin;
    sheet_.format.maxUnit = SelectedUnit(maxUnit_);
    sheet_.format.minUnit = SelectedUnit(minUnit_);
    sheet_.format.xLog = log_->isChecked() ? 1 : 0;
    return true;
}

}  // namespace kv
