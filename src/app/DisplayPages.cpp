#include "app/DisplayPages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

namespace {

// Radio buttons of one group in a column of `layout`, numbered in the order of their texts.
template <std::size_t N>
QButtonGroup* AddRadios(QWidget* owner, QVBoxLayout* layout, const char* const (&texts)[N],
                        std::array<QRadioButton*, N>& buttons) {
    auto* group = new QButtonGroup(owner);
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(QLatin1String(texts[i]), owner);
        group->addButton(buttons[i], static_cast<int>(i));
        layout->addWidget(buttons[i]);
    }
    layout->addStretch(1);
    return group;
}

void Check(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
    }
}

// The checked button's number; `unchanged` while none is checked.
int CheckedId(const QButtonGroup* group, int unchanged) {
    const int id = group->checkedId();
    return id >= 0 ? id : unchanged;
}

constexpr const char* const kMemoryNames[] = {"Memory 1", "Memory 2", "Memory 3"};
constexpr const char* const kMathNames[] = {"Math off", "/ref", "-ref"};

}  // namespace

// ---------------------------------------------------------------------------- data to memory

CDataToMem::CDataToMem(DisplaySheet& sheet, QWidget* parent) : PropertyPage(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("CDataToMem"));
    auto* column = new QVBoxLayout;
    group_ = AddRadios(this, column, kMemoryNames, memory_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(column);
    layout->addStretch(1);
    Check(group_, sheet_.memory);
}

bool CDataToMem::Leave() {
    sheet_.memory = CheckedId(group_, sheet_.memory);
    return true;
}

// ------------------------------------------------------------------------- traces displayed

CTracesDisplayed::CTracesDisplayed(DisplaySheet& sheet, QWidget* parent)
    : PropertyPage(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("CTracesDisplayed"));
    auto* column = new QVBoxLayout;
    for (int t = 0; t < kTraceCount; ++t) {
        auto* box = new QCheckBox(QLatin1String(kTraceCaptions[t]), this);
        box->setChecked(sheet_.displayed[static_cast<std::size_t>(t)]);
        box->setEnabled(sheet_.CanDisplay(t));
        column->addWidget(box);
        displayed_[static_cast<std::size_t>(t)] = box;
    }
    column->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(column);
    layout->addStretch(1);
}

bool CTracesDisplayed::Leave() {
    for (std::size_t t = 0; t < displayed_.size(); ++t) {
        sheet_.displayed[t] = displayed_[t]->isChecked();
    }
    return true;
}

// ------------------------------------------------------------------------------- trace math

CTraceMath::CTraceMath(DisplaySheet& sheet, QWidget* parent)
    : PropertyPage(parent),
      sheet_(sheet),
      referenceGroup_(new QGroupBox(QStringLiteral("Reference trace"), this)) {
    setObjectName(QStringLiteral("CTraceMath"));
    auto* mathBox = new QGroupBox(this);
    auto* mathColumn = new QVBoxLayout(mathBox);
    mathGroup_ = AddRadios(mathBox, mathColumn, kMathNames, math_);

    auto* referenceColumn = new QVBoxLayout(referenceGroup_);
    referenceButtons_ = AddRadios(referenceGroup_, referenceColumn, kTraceCaptions, reference_);
    for (int t = 0; t < kTraceCount; ++t) {
        reference_[static_cast<std::size_t>(t)]->setEnabled(sheet_.CanReference(t));
    }

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(mathBox, 1, Qt::AlignTop);
    layout->addWidget(referenceGroup_, 1, Qt::AlignTop);
    // The buttons are in the order of the kinds' values.
    Check(mathGroup_, static_cast<int>(sheet_.mathMode));
    Check(referenceButtons_, sheet_.referenceTrace);
}

bool CTraceMath::Leave() {
    sheet_.mathMode =
        static_cast<TraceMath>(CheckedId(mathGroup_, static_cast<int>(sheet_.mathMode)));
    sheet_.referenceTrace = CheckedId(referenceButtons_, sheet_.referenceTrace);
    return true;
}

}  // namespace kv
