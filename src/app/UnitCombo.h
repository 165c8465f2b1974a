#pragma once

// The frequency-unit lists of the pages: "Hz", "KHz", "MHz", "GHz".

#include <string>

class QComboBox;
class QWidget;

namespace kv {

QComboBox* NewUnitCombo(QWidget* parent);
// Selects the unit text; a text that is not one of the four is added to the list, so that the
// value goes back unchanged when the operator does not touch it.
void SelectUnit(QComboBox* combo, const std::string& unit);
std::string SelectedUnit(const QComboBox* combo);

}  // namespace kv
