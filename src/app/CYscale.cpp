#include "app/CYscale.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ScalePageLayout.h"
#include "app/TextConversion.h"
#include "display/ScaleSheet.h"
#include "probe/Units.h"

namespace kv {

CYscale::CYscale(ScaleSheet& sheet, QWidget* parent)
    : PropertyPage(parent),
      sheet_(sheet),
      max_(new QLineEdit(this)),
      min_(new QLineEdit(this)),
      linear_(new QRadioButton(QStringLiteral("Linear"), this)),
      log_(new QRadioButton(QStringLiteral("Log"), this)),
      reset_(new QPushButton(QStringLiteral("Reset"), this)),
      autoScale_(new QPushButton(QStringLiteral("AutoScale"), this)) {
    setObjectName(QStringLiteral("CYscale"));
    max_->setObjectName(QStringLiteral("yMax"));
    min_->setObjectName(QStringLiteral("yMin"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("y max"), this), 0, 0);
    grid->addWidget(max_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("y min"), this), 1, 0);
    grid->addWidget(min_, 1, 1);
    LayOutScalePage(this, grid, linear_, log_, reset_, autoScale_);

    ShowLimits();
    (sheet_.format.yLog != 0 ? log_ : linear_)->setChecked(true);

    connect(reset_, &QPushButton::clicked, this, [this] {
        sheet_.ResetVertical();
        ShowLimits();
    });
    connect(autoScale_, &QPushButton::clicked, this, [this] {
        sheet_.AutoScaleVertical();
        ShowLimits();
    });
}

void CYscale::ShowLimits() {
    max_->setText(FromCore(FormatGeneral(sheet_.format.current.yMax, 12)));
    min_->setText(FromCore(FormatGeneral(sheet_.format.current.yMin, 12)));
}

bool CYscale::Leave() {
    double yMax = 0.0;
    double yMin = 0.0;
    if (!ReadNumber(max_, yMax) || !ReadNumber(min_, yMin)) {
        return false;
    }
    sheet_.format.current.yMax = yMax;
    sheet_.format.current.yMin = yMin;
    sheet_.format.yLog = log_->isChecked() ? 1 : 0;
    return true;
}

}  // namespace kv
