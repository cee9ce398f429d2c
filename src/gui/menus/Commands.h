#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <span>

#include "gui/common/CommandIds.h"

// One command: its prompt string and its accelerators. The first
// accelerator is the one a menu shows beside the item, unless the command's
// keys are kept out of the menus.
struct CommandInfo {
    int m_nId;
    const char* m_pszPrompt; // status-bar prompt, "\n", tooltip
    QList<QKeySequence> m_accelerators;
    bool m_bKeyInMenu = true;
};

// Every command with its prompt string and accelerators.
std::span<const CommandInfo> CommandTable();
const CommandInfo* FindCommand(int nId);

// One item of a popup menu: a command with its text ("&Name"; the
// accelerator text comes from the command table), or a separator (id 0).
struct MenuItemInfo {
    int m_nId;
    const char* m_pszText;
};
struct PopupMenuInfo {
    const char* m_pszText;
    std::span<const MenuItemInfo> m_items;
};
// The popups of the menu bar, in order.
std::span<const PopupMenuInfo> MenuTable();
// The context menu of a favourite in the tree, and its default item (drawn
// bold). Some of its texts differ from the menu bar's for the same command.
std::span<const MenuItemInfo> ContextMenuTable();
inline constexpr int kContextMenuDefaultId = ID_FAVORITE_DETAILS;

// Buttons of the visible toolbar (0 is a separator) and the commands whose
// images the hidden image toolbar holds, in their order.
std::span<const int> ToolbarButtons();
std::span<const int> MenuImageButtons();

// The status-bar prompt and the tooltip of a command's prompt string.
QString PromptOf(const CommandInfo& info);
QString TooltipOf(const CommandInfo& info);
// The accelerator text a menu shows beside a command ("Ctrl+Shift+Del"),
// empty when it shows none.
QString MenuKeyText(int nId);
