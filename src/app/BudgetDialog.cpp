#include "app/BudgetDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <iterator>

namespace kv {

BudgetDialog::BudgetDialog(const BudgetSheet& sheet, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BudgetDialog"));
    setWindowTitle(QString::fromLatin1(kBudgetCaption));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QString::fromStdString(sheet.heading), this);
    heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(heading);

    constexpr int kColumns = static_cast<int>(std::size(kBudgetColumnTitles));
    table_ = new QTableWidget(static_cast<int>(sheet.rows.size()), kColumns, this);
    QStringList titles;
    for (const char* title : kBudgetColumnTitles) {
        titles << QString::fromLatin1(title);
    }
    table_->setHorizontalHeaderLabels(titles);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const BudgetRow& row = sheet.rows[static_cast<std::size_t>(r)];
        const std::string cells[] = {row.input, row.uE1, row.uE2, row.source, row.note};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (c == 1 || c == 2) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            // The combined row closes the budget.
            if (r + 1 == table_->rowCount()) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);

    for (const std::string& note : sheet.notes) {
        auto* label = new QLabel(QString::fromStdString(note), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, Qt::Horizontal, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumSize(640, 320);
}

}  // namespace kv
