#include "app/ScalePageLayout.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

void LayOutScalePage(QWidget* page, QGridLayout* limits, QRadioButton* linear, QRadioButton* log,
                     QPushButton* reset, QPushButton* autoScale) {
    auto* mode = new QButtonGroup(page);
    mode->addButton(linear, 0);
    mode->addButton(log, 1);
    limits->setColumnStretch(1, 1);

    auto* modes = new QGroupBox(page);
    auto* modeLayout = new QHBoxLayout(modes);
    modeLayout->addWidget(linear);
    modeLayout->addWidget(log);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset);
    buttons->addWidget(autoScale);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(limits);
    layout->addWidget(modes);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

}  // namespace kv
