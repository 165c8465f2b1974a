#pragma once

// The one table the menus, the toolbar and the accelerators are built from: every command id with
// its menu text, tool tip, shortcuts and the target that handles it; and the document's commands:
// what each id does to the document, and its menu state. With the window, this is the only place
// that knows the menu ids.

#include <string>
#include <vector>

#include "display/ChartFormats.h"
#include "doc/CommandIds.h"

namespace kv {

class CKv4731xDoc;

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

// The chart-format and table-format command ids with the format each selects.
struct ChartFormatCommand {
    int id;
    ChartFormat format;
};
struct TableFormatCommand {
    int id;
    TableFormat format;
};
const std::vector<ChartFormatCommand>& ChartFormatCommands();
const std::vector<TableFormatCommand>& TableFormatCommands();

// Menu state of a command as the document sees it.
struct CommandState {
    bool enabled = true;
    bool checked = false;
};

// Runs a command the document handles; false when the id is not the document's. While an
// operation waits (a prompt, the trigger, the bus search: see CKv4731xDoc::Busy) only the commands
// that are available during a wait run; any other is refused and reported handled.
bool RunDocumentCommand(CKv4731xDoc& doc, int id);
// The menu state of a document command; false when the id is not the document's.
bool QueryDocumentCommand(const CKv4731xDoc& doc, int id, CommandState& state);
// The check mark of a document command: the format items of the current formats, both "Include
// Sensitivity Data" items, "Marker", "Uncertainty Band".
bool DocumentCommandChecked(const CKv4731xDoc& doc, int id);

}  // namespace kv
