#pragma once

// The toolbar's button pictures, drawn by the program (16 by 16, with a sharper version for high
// resolution screens). A null icon for a command without a button.

#include <QIcon>

namespace kv {

QIcon ToolbarIcon(int commandId);

}  // namespace kv
