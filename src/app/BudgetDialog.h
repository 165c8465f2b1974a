#pragma once

// The "Uncertainty Budget" window: the budget of one point as the document made it (a heading,
// one row for each input and the combined row, the notes), read only, with Close.

#include <QDialog>

#include "display/BudgetSheet.h"

class QTableWidget;

namespace kv {

class BudgetDialog : public QDialog {
    Q_OBJECT

public:
    explicit BudgetDialog(const BudgetSheet& sheet, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }

private:
    QTableWidget* table_;
};

}  // namespace kv
