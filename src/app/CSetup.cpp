#include "app/CSetup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <optional>

#include "app/TextConversion.h"
#include "app/UnitCombo.h"
#include "probe/FrequencyPage.h"
#include "probe/Units.h"

namespace kv {

namespace {

// As the edits of the program's pages always wrote a double: up to 15 significant digits.
QString NumberText(double v) {
    return QString::number(v, 'g', 15);
}

enum Column { kStartColumn, kStopColumn, kPointsColumn, kSpacingColumn, kColumns };

const QString kLinearText = QStringLiteral("Linear");
const QString kLogText = QStringLiteral("Log");

// A cell keeps the frequency it was filled with: left as shown, it gives back that frequency
// with all its digits, so that a list opened and left unchanged stays the same to the last bit.
constexpr int kShownHzRole = Qt::UserRole;
constexpr int kShownTextRole = Qt::UserRole + 1;

QTableWidgetItem* FrequencyItem(double hz) {
    double value = hz;
    const std::string unit = ScaleHzToUnit(value);
    const QString text = NumberText(value) + QLatin1Char(' ') + QLatin1String(unit.c_str());
    auto* item = new QTableWidgetItem(text);
    item->setData(kShownHzRole, hz);
    item->setData(kShownTextRole, text);
    return item;
}

QString CellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

// The frequency a cell was filled with, when it still shows it.
std::optional<double> ShownHz(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    if (item == nullptr || !item->data(kShownHzRole).isValid() ||
        item->data(kShownTextRole).toString() != item->text()) {
        return std::nullopt;
    }
    return item->data(kShownHzRole).toDouble();
}

// The spacing column is edited with a list of its two texts.
class SpacingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* combo = new QComboBox(parent);
        combo->addItems({kLinearText, kLogText});
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(index.data().toString() == kLogText ? 1 : 0);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

}  // namespace

CSetup::CSetup(FrequencyPage& page, QWidget* parent)
    : PropertyPage(parent),
      page_(page),
      startValue_(new QLineEdit(this)),
      startUnit_(NewUnitCombo(this)),
      stopValue_(new QLineEdit(this)),
      stopUnit_(NewUnitCombo(this)),
      points_(new QLineEdit(this)),
      linear_(new QRadioButton(QStringLiteral("Linear sweep"), this)),
      log_(new QRadioButton(QStringLiteral("Log sweep"), this)),
      list_(new QRadioButton(QStringLiteral("List sweep"), this)),
      rows_(new QTableWidget(0, kColumns, this)),
      addRow_(new QPushButton(QStringLiteral("&Add row"), this)),
      removeRow_(new QPushButton(QStringLiteral("&Remove row"), this)),
      keptList_(new QLabel(this)),
      setChartScale_(new QCheckBox(QStringLiteral("Set Chart Scale"), this)) {
    setObjectName(QStringLiteral("CSetup"));
    startValue_->setObjectName(QStringLiteral("startValue"));
    stopValue_->setObjectName(QStringLiteral("stopValue"));
    points_->setObjectName(QStringLiteral("points"));
    rows_->setObjectName(QStringLiteral("rows"));

    auto* sweep = new QButtonGroup(this);
    sweep->addButton(linear_, 0);
    sweep->addButton(log_, 1);
    sweep->addButton(list_, 2);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Start frequency"), this), 0, 0);
    grid->addWidget(startValue_, 0, 1);
    grid->addWidget(startUnit_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Stop frequency"), this), 1, 0);
    grid->addWidget(stopValue_, 1, 1);
    grid->addWidget(stopUnit_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Number of points"), this), 2, 0);
    grid->addWidget(points_, 2, 1);

    auto* kind = new QGroupBox(QStringLiteral("Sweep"), this);
    auto* kindLayout = new QVBoxLayout(kind);
    kindLayout->addWidget(linear_);
    kindLayout->addWidget(log_);
    kindLayout->addWidget(list_);

    rows_->setHorizontalHeaderLabels({QStringLiteral("Start"), QStringLiteral("Stop"),
                                      QStringLiteral("Points"), QStringLiteral("Spacing")});
    QHeaderView* header = rows_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(kPointsColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kSpacingColumn, QHeaderView::ResizeToContents);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setWordWrap(false);
    // Room for two frequencies of ten digits beside the points and the spacing.
    const int frequencyWidth =
        rows_->fontMetrics().horizontalAdvance(QStringLiteral("1.015167812 GHz")) + 12;
    rows_->setMinimumWidth(2 * frequencyWidth +
                           rows_->fontMetrics().horizontalAdvance(QStringLiteral("PointsSpacing")) +
                           60);
    rows_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    rows_->setItemDelegateForColumn(kSpacingColumn, new SpacingDelegate(rows_));
    rows_->setToolTip(
        QStringLiteral("Frequencies with a unit, e.g. \"50 MHz\". A row that starts at the stop "
                       "of the row before does not repeat that frequency."));
    keptList_->setWordWrap(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addRow_);
    buttons->addWidget(removeRow_);
    buttons->addStretch(1);
    auto* table = new QHBoxLayout;
    table->addWidget(rows_, 1);
    table->addLayout(buttons);
    auto* listBox = new QGroupBox(QStringLiteral("List"), this);
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->addLayout(table);
    listLayout->addWidget(keptList_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(kind);
    layout->addWidget(listBox, 1);
    layout->addWidget(setChartScale_);

    startValue_->setText(NumberText(page_.sweep.startValue));
    SelectUnit(startUnit_, page_.sweep.startUnit);
    stopValue_->setText(NumberText(page_.sweep.stopValue));
    SelectUnit(stopUnit_, page_.sweep.stopUnit);
    points_->setText(QString::number(page_.sweep.numPoints));
    QRadioButton* chosen = linear_;
    if (page_.sweep.sweepType == SweepKind::Logarithmic && page_.logSweepEnabled) {
        chosen = log_;
    } else if (page_.sweep.sweepType == SweepKind::List) {
        chosen = list_;
    }
    chosen->setChecked(true);
    setChartScale_->setChecked(page_.setChartScale);
    log_->setEnabled(page_.logSweepEnabled);
    ShowRows();

    connect(sweep, &QButtonGroup::idToggled, this, [this] { UpdateFields(); });
    connect(addRow_, &QPushButton::clicked, this, [this] { AddRow(); });
    connect(removeRow_, &QPushButton::clicked, this, [this] { RemoveRow(); });
    UpdateFields();
}

void CSetup::ShowRows() {
    // The note speaks of the list as it stood when the page opened: it is kept whenever the
    // operator leaves the table without rows.
    FrequencyPage kept = page_;
    kept.segments.clear();
    keptList_->setText(FromCore(kept.KeptListNote()));

    rows_->setRowCount(0);
    for (const FrequencySegment& segment : page_.segments) {
        const int row = rows_->rowCount();
        rows_->insertRow(row);
        rows_->setItem(row, kStartColumn, FrequencyItem(segment.startHz));
        rows_->setItem(row, kStopColumn, FrequencyItem(segment.stopHz));
        rows_->setItem(row, kPointsColumn, new QTableWidgetItem(QString::number(segment.points)));
        rows_->setItem(row, kSpacingColumn,
                       new QTableWidgetItem(segment.logarithmic ? kLogText : kLinearText));
    }
}

void CSetup::AddRow() {
    const int row = rows_->rowCount();
    rows_->insertRow(row);
    // A new row goes on from the stop of the row before.
    if (row > 0) {
        if (const QTableWidgetItem* before = rows_->item(row - 1, kStopColumn)) {
            rows_->setItem(row, kStartColumn, before->clone());
        }
    }
    rows_->setItem(row, kSpacingColumn, new QTableWidgetItem(kLinearText));
    rows_->setCurrentCell(row, row > 0 ? kStopColumn : kStartColumn);
    rows_->setFocus();
    UpdateFields();
}

void CSetup::RemoveRow() {
    int row = rows_->currentRow();
    if (row < 0) {
        row = rows_->rowCount() - 1;
    }
    if (row >= 0) {
        rows_->removeRow(row);
        rows_->setCurrentCell(std::min(row, rows_->rowCount() - 1), kStartColumn);
    }
    UpdateFields();
}

void CSetup::UpdateFields() {
    const bool list = list_->isChecked();
    for (QWidget* field :
         std::initializer_list<QWidget*>{startValue_, startUnit_, stopValue_, stopUnit_, points_}) {
        field->setEnabled(!list);
    }
    rows_->setEnabled(list);
    addRow_->setEnabled(list);
    removeRow_->setEnabled(list && rows_->rowCount() > 0);
    keptList_->setVisible(list && rows_->rowCount() == 0 && !keptList_->text().isEmpty());
}

void CSetup::OnSetActive() {
    log_->setEnabled(page_.logSweepEnabled);
}

bool CSetup::ReadRows() {
    std::vector<FrequencySegment> segments;
    for (int row = 0; row < rows_->rowCount(); ++row) {
        FrequencySegment segment;
        const auto refusal = ParseSegmentRow(static_cast<std::size_t>(row) + 1,
                                             ToCore(CellText(rows_, row, kStartColumn)),
                                             ToCore(CellText(rows_, row, kStopColumn)),
                                             ToCore(CellText(rows_, row, kPointsColumn)), segment);
        if (refusal) {
            QMessageBox::warning(this, QLatin1String(kProgramTitle), FromCore(*refusal));
            rows_->setFocus();
            rows_->setCurrentCell(row, kStartColumn);
            return false;
        }
        segment.startHz = ShownHz(rows_, row, kStartColumn).value_or(segment.startHz);
        segment.stopHz = ShownHz(rows_, row, kStopColumn).value_or(segment.stopHz);
        segment.logarithmic = CellText(rows_, row, kSpacingColumn) == kLogText;
        segments.push_back(segment);
    }
    page_.segments = std::move(segments);
    return true;
}

bool CSetup::Leave() {
    if (list_->isChecked()) {
        // The start, stop and points of a list are those of its frequencies (FrequencyPage).
        if (!ReadRows()) {
            return false;
        }
        page_.sweep.sweepType = SweepKind::List;
        page_.setChartScale = setChartScale_->isChecked();
        return true;
    }
    double start = 0.0;
    double stop = 0.0;
    int points = 0;
    if (!ReadNumber(startValue_, start) || !ReadNumber(stopValue_, stop) ||
        !ReadInteger(points_, points)) {
        return false;
    }
    page_.sweep.startValue = start;
    page_.sweep.startUnit = SelectedUnit(startUnit_);
    page_.sweep.stopValue = stop;
    page_.sweep.stopUnit = SelectedUnit(stopUnit_);
    page_.sweep.numPoints = points;
    page_.sweep.sweepType = log_->isChecked() ? SweepKind::Logarithmic : SweepKind::Linear;
    page_.setChartScale = setChartScale_->isChecked();
    return true;
}

}  // namespace kv
