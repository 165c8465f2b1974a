#include "app/UnitCombo.h"

#include <QComboBox>

#include "app/TextConversion.h"
#include "probe/FrequencyPage.h"

namespace kv {

QComboBox* NewUnitCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    for (const char* unit : kUnitTexts) {
        combo->addItem(QLatin1String(unit));
    }
    return combo;
}

void SelectUnit(QComboBox* combo, const std::string& unit) {
    const QString text = FromCore(unit);
    int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        combo->addItem(text);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

std::string SelectedUnit(const QComboBox* combo) {
    return combo->currentText().toStdString();
}

}  // namespace kv
