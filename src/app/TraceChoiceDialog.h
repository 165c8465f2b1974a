#pragma once

// The trace-choice dialog of the data files: "Data", "Memory 1", "Memory 2", "Memory 3"; the
// caller sets the caption and which traces may be chosen; nothing is chosen at first, and OK is
// enabled only once a trace is.

#include <QDialog>
#include <array>

class QButtonGroup;
class QRadioButton;

namespace kv {

class TraceChoiceDialog : public QDialog {
    Q_OBJECT

public:
    TraceChoiceDialog(const QString& caption, const std::array<bool, 4>& enabled, QWidget* parent);

    // 0 Data, 1 to 3 Memory 1 to 3, -1 when nothing is chosen.
    int Choice() const;
    QRadioButton* Button(int trace) const { return buttons_[static_cast<std::size_t>(trace)]; }

private:
    QButtonGroup* group_;
    std::array<QRadioButton*, 4> buttons_{};
};

}  // namespace kv
