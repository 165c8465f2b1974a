#include "app/CharacteriseDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/PropertyPage.h"
#include "app/TextConversion.h"
#include "probe/Units.h"

namespace kv {

CharacteriseDialog::CharacteriseDialog(CharacterisePage& page, QWidget* parent)
    : QDialog(parent),
      page_(page),
      liquid_(new QComboBox(this)),
      offered_(new QLabel(this)),
      temperature_(new QLineEdit(this)),
      name_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("CharacteriseDialog"));
    setWindowTitle(QStringLiteral("Characterise Probe"));
    for (const std::string& liquid : page_.liquids) {
        liquid_->addItem(QString::fromStdString(liquid));
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Reference liquid:"), liquid_);
    form->addRow(QString(), offered_);
    form->addRow(QStringLiteral("Liquid temperature (C):"), temperature_);
    form->addRow(QStringLiteral("Probe name:"), name_);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("The probe is measured in the liquid and its model fitted to it."), this));
    layout->addLayout(form);
    layout->addWidget(buttons);

    const int index = std::clamp(page_.liquid, 0, std::max(0, liquid_->count() - 1));
    liquid_->setCurrentIndex(index);
    ShowLiquid(index);
    temperature_->setText(FromCore(FormatGeneral(page_.temperature, 12)));
    name_->setText(QString::fromStdString(page_.name));
    // Another liquid proposes its own temperature.
    connect(liquid_, &QComboBox::currentIndexChanged, this, [this](int i) {
        ShowLiquid(i);
        if (i >= 0 && i < static_cast<int>(page_.defaultTemperatures.size())) {
            temperature_->setText(FromCore(
                FormatGeneral(page_.defaultTemperatures[static_cast<std::size_t>(i)], 12)));
        }
    });
}

void CharacteriseDialog::ShowLiquid(int index) {
    const bool known = index >= 0 && index < static_cast<int>(page_.offered.size());
    offered_->setText(
        known ? QStringLiteral("Offered at ") +
                    QString::fromStdString(page_.offered[static_cast<std::size_t>(index)])
              : QString());
}

void CharacteriseDialog::accept() {
    double t = 0.0;
    if (!ParseNumber(temperature_->text(), t)) {
        QMessageBox::warning(this, QLatin1String(kProgramTitle), QLatin1String(kEnterNumberText));
        temperature_->setFocus();
        temperature_->selectAll();
        return;
    }
    page_.liquid = liquid_->currentIndex();
    page_.temperature = t;
    page_.name = name_->text().toStdString();
    QDialog::accept();
}

FitChart::FitChart(std::vector<FitPoint> curve, QWidget* parent)
    : QWidget(parent), curve_(std::move(curve)) {
    setObjectName(QStringLiteral("FitChart"));
    setMinimumSize(360, 220);
}

namespace {

// A range that holds every value, with a little room; a single value gets a unit either side.
std::pair<double, double> Span(const std::vector<double>& values) {
    double lo = HUGE_VAL;
    double hi = -HUGE_VAL;
    for (double v : values) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (!(lo <= hi)) {
        return {0.0, 1.0};
    }
    const double room = hi > lo ? 0.05 * (hi - lo) : 1.0;
    return {lo - room, hi + room};
}

}  // namespace

void FitChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics fm = painter.fontMetrics();
    const int left = fm.horizontalAdvance(QStringLiteral("000.00")) + 8;
    const QRect plot = rect().adjusted(left, fm.height() * 2 + 4, -12, -(fm.height() * 2 + 6));
    painter.setPen(palette().text().color());
    painter.drawRect(plot);
    if (curve_.empty() || plot.width() < 10 || plot.height() < 10) {
        return;
    }
    std::vector<double> hz;
    std::vector<double> values;
    for (const FitPoint& p : curve_) {
        hz.push_back(p.hz / 1e9);
        values.insert(values.end(), {p.measuredReal, p.measuredLoss, p.liquidReal, p.liquidLoss});
    }
    // The frequencies end to end; the values with a little room.
    const double x0 = *std::min_element(hz.begin(), hz.end());
    const double x1 = std::max(*std::max_element(hz.begin(), hz.end()), x0 + 1e-9);
    const auto [y0, y1] = Span(values);
    const auto at = [&](double ghz, double v) {
        return QPointF(plot.left() + (ghz - x0) / (x1 - x0) * plot.width(),
                       plot.bottom() - (v - y0) / (y1 - y0) * plot.height());
    };
    // The axes' ends.
    painter.drawText(QRect(0, plot.top() - fm.height() / 2, left - 4, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(y1, 'g', 4));
    painter.drawText(QRect(0, plot.bottom() - fm.height() / 2, left - 4, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(y0, 'g', 4));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), fm.height()),
                     Qt::AlignLeft, QString::number(x0, 'g', 4));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), fm.height()),
                     Qt::AlignRight, QString::number(x1, 'g', 4));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2 + fm.height(), plot.width(), fm.height()),
                     Qt::AlignHCenter, QStringLiteral("Frequency (GHz)"));

    struct Line {
        double FitPoint::*value;
        QColor color;
        Qt::PenStyle style;
    };
    const Line lines[] = {{&FitPoint::measuredReal, QColor(0, 0, 200), Qt::SolidLine},
                          {&FitPoint::liquidReal, QColor(0, 0, 200), Qt::DashLine},
                          {&FitPoint::measuredLoss, QColor(200, 0, 0), Qt::SolidLine},
                          {&FitPoint::liquidLoss, QColor(200, 0, 0), Qt::DashLine}};
    painter.setClipRect(plot);
    for (const Line& line : lines) {
        QPainterPath path;
        for (std::size_t k = 0; k < curve_.size(); ++k) {
            const QPointF p = at(curve_[k].hz / 1e9, curve_[k].*line.value);
            k == 0 ? path.moveTo(p) : path.lineTo(p);
        }
        painter.setPen(QPen(line.color, 1.5, line.style));
        painter.drawPath(path);
    }
    painter.setClipping(false);

    // The legend above the plot.
    int x = plot.left();
    const int y = fm.height() / 2 + 2;
    const std::pair<QString, Line> legend[] = {{QStringLiteral("e' measured"), lines[0]},
                                               {QStringLiteral("e' liquid"), lines[1]},
                                               {QStringLiteral("e'' measured"), lines[2]},
                                               {QStringLiteral("e'' liquid"), lines[3]}};
    for (const auto& [text, line] : legend) {
        painter.setPen(QPen(line.color, 1.5, line.style));
        painter.drawLine(x, y + fm.height() / 2, x + 18, y + fm.height() / 2);
        painter.setPen(palette().text().color());
        painter.drawText(x + 22, y + fm.ascent(), text);
        x += 22 + fm.horizontalAdvance(text) + 12;
    }
}

CharacterisationDialog::CharacterisationDialog(const CharacterisationReport& report,
                                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CharacterisationDialog"));
    setWindowTitle(QString::fromStdString(report.title));
    auto* form = new QFormLayout;
    for (const auto& [label, value] : report.rows) {
        auto* text = new QLabel(QString::fromStdString(value), this);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromStdString(label + ":"), text);
    }
    auto* buttons = new QDialogButtonBox(Qt::Horizontal, this);
    save_ = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    save_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new FitChart(report.curve, this), 1);
    layout->addWidget(new QLabel(QStringLiteral("Save keeps the probe in the probe library; "
                                                "Cancel puts the probe as it was back."),
                                 this));
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

}  // namespace kv
