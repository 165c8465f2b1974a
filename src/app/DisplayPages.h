#pragma once

// The three pages of the sheet "Display": data to memory, traces displayed and trace math. Each
// works on the sheet's copy of the values and writes its choices back when the operator leaves
// it or presses OK.

#include <array>

#include "app/PropertyPage.h"
#include "display/DisplaySheets.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QRadioButton;

namespace kv {

// "Memory 1" to "Memory 3": which memory takes a copy of Data; none is chosen when it opens.
class CDataToMem : public PropertyPage {
    Q_OBJECT

public:
    explicit CDataToMem(DisplaySheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    QRadioButton* MemoryButton(int memory) const { return memory_.at(memory); }

private:
    DisplaySheet& sheet_;
    QButtonGroup* group_;
    std::array<QRadioButton*, kTraceCount - 1> memory_{};
};

// "Data", "Memory 1" to "Memory 3": which traces are shown; a trace without valid data cannot be
// switched on.
class CTracesDisplayed : public PropertyPage {
    Q_OBJECT

public:
    explicit CTracesDisplayed(DisplaySheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    QCheckBox* TraceBox(int trace) const { return displayed_.at(trace); }

private:
    DisplaySheet& sheet_;
    std::array<QCheckBox*, kTraceCount> displayed_{};
};

// "Math off", "/ref", "-ref" and the reference trace; a trace without valid data cannot be the
// reference.
class CTraceMath : public PropertyPage {
    Q_OBJECT

public:
    explicit CTraceMath(DisplaySheet& sheet, QWidget* parent = nullptr);

    bool Leave() override;

    QRadioButton* MathButton(int mode) const { return math_.at(mode); }
    QRadioButton* ReferenceButton(int trace) const { return reference_.at(trace); }
    QGroupBox* ReferenceGroup() const { return referenceGroup_; }

private:
    DisplaySheet& sheet_;
    QButtonGroup* mathGroup_;
    QButtonGroup* referenceButtons_;
    QGroupBox* referenceGroup_;
    std::array<QRadioButton*, 3> math_{};
    std::array<QRadioButton*, kTraceCount> reference_{};
};

}  // namespace kv
