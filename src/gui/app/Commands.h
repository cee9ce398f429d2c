#pragma once

#include <QKeySequence>
#include <QList>
#include <span>

// Command ids, shared by menu items, toolbar buttons, accelerators and the
// prompt strings.
enum CommandId : int {
    ID_FAVORITE_DELETE = 32771,
    ID_FAVORITE_PROPERTIES = 32772,
    ID_FAVORITE_COPYNAME = 32773,
    ID_FAVORITE_OPEN = 32774,
    ID_TOOLS_CHECKALL = 32775,
    ID_TOOLS_CONFIGURATION = 32777,
    ID_FILE_REFRESH = 32778,
    ID_FILE_REPORT = 32779,
    ID_TOOLS_STOPCHECKING = 32780,
    ID_TOOLS_DELETEBROKEN = 32781,
    ID_FAVORITE_RENAME = 32784,
    ID_HELP_SHOWLEGEND = 32786,
    ID_FILE_EXPORT = 32789,
    ID_EDIT_COPY = 57634,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57666,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_FAVORITE_DETAILS = 59411,
};

// Status bar indicators.
enum IndicatorId : int {
    ID_INDICATOR_THREADS = 59142,
    ID_INDICATOR_SCANNING = 59143,
    ID_INDICATOR_ITEMS = 59144,
};

struct CommandInfo {
    int nId;
    const char* strPrompt; // status-bar prompt, "\n", tooltip
    QList<QKeySequence> accelerators;
};

// Every command with its prompt string and accelerators.
std::span<const CommandInfo> CommandTable();
const CommandInfo* FindCommand(int nId);

// One item of a popup menu: a command with its text ("&Name\tKey"), or a
// separator (id 0).
struct MenuItemInfo {
    int nId;
    const char* strText;
};
struct PopupMenuInfo {
    const char* strText;
    std::span<const MenuItemInfo> items;
};
std::span<const PopupMenuInfo> MenuTable();

// Buttons of the visible toolbar (0 is a separator) and the commands whose
// images the hidden image toolbar holds, in their order.
std::span<const int> ToolbarButtons();
std::span<const int> MenuImageButtons();

// The status-bar prompt and the tooltip of a command's prompt string.
QString PromptOf(const CommandInfo& info);
QString TooltipOf(const CommandInfo& info);
