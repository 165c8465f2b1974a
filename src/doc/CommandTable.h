#pragma once

// The one table the menus, the toolbar and the accelerators are built from: every command id with
// its menu text, tool tip, shortcuts and the target that handles it.

#include <string>
#include <vector>

#include "doc/CommandIds.h"

namespace kv {

// Where a command is handled, in the routing chain active view -> document -> frame ->
// application.
enum class CommandTarget {
    Document,
    Frame,
    Application,
    ChartViewElseDocument,  // the chart view when it is the active view, else the document
    TableViewElseDocument,  // the table view when it is the active view, else the document
    None,                   // accepted and ignored
};

struct CommandInfo {
    int id;
    const char* menuText;   // with its mnemonic and, after a tab, the shortcut shown
    const char* toolTip;    // toolbar tip; empty when the command has no button
    const char* shortcuts;  // key sequences separated by ';' (Qt's portable text form)
    CommandTarget target;
    bool checkable;
};

const std::vector<CommandInfo>& Commands();
// Null for an unknown id.
const CommandInfo* FindCommand(int id);

// Menu bar layout: each menu lists command ids; 0 is a separator, kRecentFilesEntry the place of
// the most-recently-used list.
inline constexpr int kRecentFilesEntry = -1;
struct MenuInfo {
    const char* title;
    std::vector<int> items;
};
const std::vector<MenuInfo>& MainMenus();

// Whether a command may run while an operation waits (a prompt, the trigger, the bus search).
bool AvailableDuringWait(int id);

// Toolbar buttons in order; 0 is a separator.
const std::vector<int>& ToolbarButtons();

// The chart-format and table-format command ids with the format index each selects.
struct FormatCommand {
    int id;
    int format;
};
const std::vector<FormatCommand>& ChartFormatCommands();
const std::vector<FormatCommand>& TableFormatCommands();

}  // namespace kv
