#include "app/ViewOutputs.h"

#include <QPrinter>

#include "app/CPlot.h"
#include "app/CTable.h"
#include "doc/CKv4731xDoc.h"

namespace kv {

ViewOutputs::ViewOutputs(CKv4731xDoc& doc, CPlot* chart, CTable* table, QWidget* parent)
    : doc_(doc), chart_(chart), table_(table), parent_(parent) {}

ViewOutputs::~ViewOutputs() = default;

QPrinter& ViewOutputs::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void ViewOutputs::PreparePrinter() {}

void ViewOutputs::Print(ViewKind, bool) {}

void ViewOutputs::PageSetup() {}

bool ViewOutputs::CopyChart() {
    return false;
}

bool ViewOutputs::CopyText(const std::string&) {
    return false;
}

std::string ViewOutputs::Export(ViewKind, const std::string&) {
    return {};
}

QSize ViewOutputs::ChartSize() const {
    return chart_ != nullptr ? chart_->LastScreenSize() : QSize();
}

}  // namespace kv
