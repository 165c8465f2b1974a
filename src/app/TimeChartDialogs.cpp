#include "app/TimeChartDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

#include "app/TextConversion.h"

namespace kv {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

TimeChartFrequenciesDialog::TimeChartFrequenciesDialog(
    const std::array<double, kTimeSeriesFrequencies>& frequencies, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TimeChartFrequencies"));
    setWindowTitle(QStringLiteral("Time Chart Frequencies"));
    auto* form = new QFormLayout(this);
    for (int k = 0; k < kTimeSeriesFrequencies; ++k) {
        const double f = frequencies[static_cast<std::size_t>(k)];
        auto* entry =
            new QLineEdit(f > 0 ? FromCore(TimeChartFrequencyText(f, 10)) : QString(), this);
        entry->setObjectName(QStringLiteral("frequency%1").arg(k + 1));
        entry->setPlaceholderText(QStringLiteral("unused"));
        entries_[static_cast<std::size_t>(k)] = entry;
        form->addRow(QStringLiteral("Frequency &%1:").arg(k + 1), entry);
    }
    form->addRow(OkCancel(this));
}

std::optional<std::array<double, kTimeSeriesFrequencies>> TimeChartFrequenciesDialog::Frequencies()
    const {
    std::array<double, kTimeSeriesFrequencies> result{};
    for (std::size_t k = 0; k < result.size(); ++k) {
        const auto f = ParseTimeChartFrequency(ToCore(entries_[k]->text()));
        if (!f) {
            return std::nullopt;
        }
        result[k] = *f;
    }
    return result;
}

void TimeChartFrequenciesDialog::accept() {
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        if (!ParseTimeChartFrequency(ToCore(entries_[k]->text()))) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("Frequency %1 is not a frequency: write it as "
                                                "\"2.45 GHz\", \"915 MHz\" or a number of Hz, "
                                                "or leave it empty.")
                                     .arg(k + 1));
            entries_[k]->setFocus();
            return;
        }
    }
    QDialog::accept();
}

TimeChartScaleDialog::TimeChartScaleDialog(const TimeChartBounds& bounds, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TimeChartScale"));
    setWindowTitle(QStringLiteral("Time Chart Scale"));
    auto* form = new QFormLayout(this);
    const double values[4] = {bounds.timeMin, bounds.timeMax, bounds.valueMin, bounds.valueMax};
    const char* labels[4] = {"Time &from (s):", "Time &to (s):", "Value f&rom:", "Value t&o:"};
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        entries_[i] = new QLineEdit(QString::number(values[i], 'g', 12), this);
        entries_[i]->setObjectName(QStringLiteral("limit%1").arg(i + 1));
        form->addRow(QLatin1String(labels[i]), entries_[i]);
    }
    form->addRow(OkCancel(this));
}

std::optional<TimeChartBounds> TimeChartScaleDialog::Bounds() const {
    double v[4] = {};
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        bool ok = false;
        v[i] = entries_[i]->text().trimmed().toDouble(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    const TimeChartBounds bounds{v[0], v[1], v[2], v[3]};
    if (!bounds.Valid()) {
        return std::nullopt;
    }
    return bounds;
}

void TimeChartScaleDialog::accept() {
    if (!Bounds()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Each limit must be a number, and each \"to\" above "
                                            "its \"from\"."));
        return;
    }
    QDialog::accept();
}

}  // namespace kv
