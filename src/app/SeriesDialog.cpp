#include "app/SeriesDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

SeriesDialog::SeriesDialog(SeriesPage& page, std::function<std::optional<std::string>()> chooseFile,
                           QWidget* parent)
    : QDialog(parent), page_(page) {
    setWindowTitle(QStringLiteral("Measure Continuously"));
    auto* layout = new QVBoxLayout(this);

    auto* pace = new QGroupBox(QStringLiteral("Measure"), this);
    auto* paceGrid = new QGridLayout(pace);
    backToBack_ = new QRadioButton(QStringLiteral("&Back to back"), pace);
    every_ = new QRadioButton(QStringLiteral("&Every"), pace);
    interval_ = new QDoubleSpinBox(pace);
    interval_->setRange(0.0, 86400.0);
    interval_->setDecimals(2);
    interval_->setSuffix(QStringLiteral(" s"));
    interval_->setValue(page.intervalSeconds);
    paceGrid->addWidget(backToBack_, 0, 0, 1, 2);
    paceGrid->addWidget(every_, 1, 0);
    paceGrid->addWidget(interval_, 1, 1);
    (page.backToBack ? backToBack_ : every_)->setChecked(true);
    layout->addWidget(pace);

    auto* end = new QGroupBox(QStringLiteral("Until"), this);
    auto* endGrid = new QGridLayout(end);
    countButton_ = new QRadioButton(QStringLiteral("&Number of measurements"), end);
    count_ = new QSpinBox(end);
    count_->setRange(1, 100000000);
    count_->setValue(std::max(1, page.count));
    durationButton_ = new QRadioButton(QStringLiteral("&Duration (90, 90s, 10min, 2h)"), end);
    duration_ = new QLineEdit(QString::fromStdString(page.duration), end);
    untilStopped_ = new QRadioButton(QStringLiteral("&Stopped (Stop or Esc)"), end);
    endGrid->addWidget(countButton_, 0, 0);
    endGrid->addWidget(count_, 0, 1);
    endGrid->addWidget(durationButton_, 1, 0);
    endGrid->addWidget(duration_, 1, 1);
    endGrid->addWidget(untilStopped_, 2, 0, 1, 2);
    (page.end == SeriesPage::End::Count      ? countButton_
     : page.end == SeriesPage::End::Duration ? durationButton_
                                             : untilStopped_)
        ->setChecked(true);
    layout->addWidget(end);

    auto* file =
        new QGroupBox(QStringLiteral("Record to file (.h5 or .csv; empty: not recorded)"), this);
    auto* fileRow = new QHBoxLayout(file);
    record_ = new QLineEdit(QString::fromStdString(page.recordPath), file);
    record_->setObjectName(QStringLiteral("recordPath"));
    auto* choose = new QPushButton(QStringLiteral("&Record..."), file);
    fileRow->addWidget(record_, 1);
    fileRow->addWidget(choose);
    layout->addWidget(file);
    connect(choose, &QPushButton::clicked, this, [this, chooseFile] {
        if (const auto path = chooseFile()) {
            record_->setText(QString::fromStdString(*path));
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Start"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    for (QRadioButton* b : {backToBack_, every_, countButton_, durationButton_, untilStopped_}) {
        connect(b, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
    }
    UpdateEnabled();
}

void SeriesDialog::UpdateEnabled() {
    interval_->setEnabled(every_->isChecked());
    count_->setEnabled(countButton_->isChecked());
    duration_->setEnabled(durationButton_->isChecked());
}

void SeriesDialog::accept() {
    page_.backToBack = backToBack_->isChecked();
    page_.intervalSeconds = interval_->value();
    page_.end = countButton_->isChecked()      ? SeriesPage::End::Count
                : durationButton_->isChecked() ? SeriesPage::End::Duration
                                               : SeriesPage::End::UntilStopped;
    page_.count = count_->value();
    page_.duration = duration_->text().trimmed().toStdString();
    page_.recordPath = record_->text().trimmed().toStdString();
    QDialog::accept();
}

}  // namespace kv
