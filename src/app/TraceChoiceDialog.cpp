#include "app/TraceChoiceDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

TraceChoiceDialog::TraceChoiceDialog(const QString& caption, const std::array<bool, 4>& enabled,
                                     QWidget* parent)
    : QDialog(parent), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("TraceChoiceDialog"));
    setWindowTitle(caption);
    static const char* const kLabels[] = {"Data", "Memory 1", "Memory 2", "Memory 3"};
    auto* radios = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QLatin1String(kLabels[i]), this);
        b->setEnabled(enabled[static_cast<std::size_t>(i)]);
        group_->addButton(b, i);
        radios->addWidget(b);
        buttons_[static_cast<std::size_t>(i)] = b;
    }
    auto* box =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    // OK stands for the trace chosen: it is enabled once one is.
    QPushButton* ok = box->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(group_, &QButtonGroup::idToggled, ok,
            [this, ok](int, bool) { ok->setEnabled(group_->checkedId() >= 0); });
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        if (Choice() >= 0) {
            accept();
        }
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(radios, 1);
    layout->addWidget(box);
    setMinimumWidth(qMax(260, fontMetrics().horizontalAdvance(caption) + 80));
}

int TraceChoiceDialog::Choice() const {
    return group_->checkedId();
}

}  // namespace kv
