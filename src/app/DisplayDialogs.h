#pragma once

// The sheets "Display" (data to memory, traces displayed, trace math) and "Display options"
// (title, subtitle, time and date, the element fonts and colours, the grid, the four traces).

#include "display/DisplaySheets.h"

class QWidget;

namespace kv {

// Opens the sheet over a copy of `sheet` on `page`; on OK the copy and the active page go back
// and the result is true; on Cancel nothing changes.
bool RunDisplaySheet(QWidget* parent, DisplaySheet& sheet, int& page);
// The same for "Display options"; with `sheet.tracesOnly` only the four trace pages are shown
// and `page` is still an index of the eleven (kPageFirstTrace and after).
bool RunDisplayOptionsSheet(QWidget* parent, DisplayOptionsSheet& sheet, int& page);

}  // namespace kv
