#include "gui/menus/Commands.h"

#include <array>

namespace {

using K = QKeySequence;

const std::array<CommandInfo, 25> kCommands{{
    {ID_FAVORITE_DELETE, "Delete the selected Favorite\nDelete Favorite", {K(Qt::SHIFT | Qt::Key_Delete)}},
    {ID_FAVORITE_PROPERTIES, "View the System Properties for the selected Favorite\nView Properties", {}},
    {ID_FAVORITE_COPYNAME, "Copy the selected Favorite's Name and put it on the Clipboard\nCopy Favorite Name",
     {K(Qt::CTRL | Qt::Key_D)}},
    {ID_FAVORITE_OPEN, "Open the selected Link in a Browser\nOpen Link", {}},
    // The button's tooltip names its command.
    {ID_TOOLS_CHECKALL, "Start checking all Favorites\nCheck All Favorites", {K(Qt::Key_F7)}},
    {ID_TOOLS_CONFIGURATION, "Configure and set options for the Zorbel Utility\nConfiguration", {}},
    {ID_FILE_REFRESH, "Refresh your Favorites list\nRefresh Favorites", {K(Qt::Key_F5)}},
    {ID_FILE_REPORT, "Generate a report of Zorbel' findings\nGenerate Report", {}},
    // Esc stops a check; the command is enabled only while one runs, so the
    // key is left to everything else the rest of the time.
    {ID_TOOLS_STOPCHECKING, "Stop checking the Favorites\nStop Checking", {K(Qt::Key_Escape)}},
    {ID_TOOLS_DELETEBROKEN,
     "Delete all of the Favorites that have checked out as \"Broken\"\nDelete All Broken Favorites",
     {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)}},
    {ID_TOOLS_UPDATEMOVED,
     "Point the Favorites that have moved permanently to their new addresses\nUpdate Moved Favorites",
     {}},
    {ID_FILE_OPENFAVORITES, "List and check the favourites of your Favorites folder\nOpen Favorites Folder", {}},
    {ID_FILE_OPENBOOKMARKS, "List and check the bookmarks of a browser's profile\nOpen Browser Bookmarks", {}},
    {ID_FILE_OPENPAGE, "List and check the links of a web page or a file\nOpen Web Page or File", {}},
    {ID_VIEW_PROBLEMSONLY,
     "Show only the favourites whose check found a problem, and the folders that hold them\nShow Problems Only",
     {}},
    {ID_FAVORITE_RENAME, "Change the name of the selected Favorite\nRename Favorite", {K(Qt::Key_F2)}},
    {ID_HELP_SHOWLEGEND, "Show the Icon Legend\nShow Legend", {}},
    {ID_FILE_EXPORT, "Export your list of Favorites\nExport Favorites", {}},
    {ID_EDIT_COPY, "Copy the selected Favorite's URL and put it on the Clipboard\nCopy Favorite URL",
     {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout", {}},
    {ID_APP_EXIT, "Quit Zorbel\nExit", {K(Qt::ALT | Qt::Key_X)}},
    // F1 works, but the Help menu does not name it.
    {ID_HELP_FINDER, "Show the Help file for Zorbel\nHelp", {K(Qt::Key_F1)}, false},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar", {}},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar", {}},
    {ID_FAVORITE_DETAILS, "View more detailed information on the selected Favorite\nView Details", {}},
}};

constexpr MenuItemInfo kFileMenu[] = {
    {ID_FILE_REFRESH, "&Refresh Favorites"},
    {ID_FILE_OPENFAVORITES, "Open &Favorites Folder"},
    {ID_FILE_OPENBOOKMARKS, "Open &Browser Bookmarks..."},
    {ID_FILE_OPENPAGE, "Open &Web Page or File..."},
    {0, nullptr},
    {ID_FILE_EXPORT, "&Export Favorites..."}, {0, nullptr},
    {ID_FILE_REPORT, "&Generate Report"},     {0, nullptr},
    {ID_APP_EXIT, "E&xit"},
};
constexpr MenuItemInfo kEditMenu[] = {
    {ID_FAVORITE_RENAME, "&Rename Favorite"}, {0, nullptr},
    {ID_FAVORITE_DELETE, "&Delete Favorite"}, {0, nullptr},
    {ID_EDIT_COPY, "&Copy Favorite URL"},     {ID_FAVORITE_COPYNAME, "Copy Favorite &Name"},
};
constexpr MenuItemInfo kViewMenu[] = {
    {ID_VIEW_TOOLBAR, "&Toolbar"},          {ID_VIEW_STATUS_BAR, "&Status Bar"},    {0, nullptr},
    {ID_FAVORITE_OPEN, "&Open in Browser"}, {ID_FAVORITE_DETAILS, "View &Details"},
    {ID_VIEW_PROBLEMSONLY, "Show Pro&blems Only"}, {0, nullptr},
    {ID_FAVORITE_PROPERTIES, "&Properties"},
};
constexpr MenuItemInfo kToolsMenu[] = {
    {ID_TOOLS_CHECKALL, "&Check All Favorites"},
    {ID_TOOLS_STOPCHECKING, "&Stop Checking"},
    {ID_TOOLS_DELETEBROKEN, "Delete All Broken Favorites"},
    {ID_TOOLS_UPDATEMOVED, "&Update Moved Favorites..."},
    {0, nullptr},
    {ID_TOOLS_CONFIGURATION, "C&onfiguration..."},
};
constexpr MenuItemInfo kHelpMenu[] = {
    {ID_HELP_FINDER, "&Help (Contents)"}, {0, nullptr}, {ID_HELP_SHOWLEGEND, "Show &Legend"},
    {0, nullptr},                         {ID_APP_ABOUT, "&About Zorbel"},
};

const std::array<PopupMenuInfo, 5> kMenus{{
    {"&File", kFileMenu},
    {"&Edit", kEditMenu},
    {"&View", kViewMenu},
    {"&Tools", kToolsMenu},
    {"&Help", kHelpMenu},
}};

constexpr MenuItemInfo kContextMenu[] = {
    {ID_FAVORITE_OPEN, "&Open in Browser"},      {0, nullptr},
    {ID_FAVORITE_DETAILS, "View &Details"},      {0, nullptr},
    {ID_FAVORITE_RENAME, "&Rename Favorite"},    {0, nullptr},
    {ID_FAVORITE_DELETE, "D&elete Favorite"},    {0, nullptr},
    {ID_EDIT_COPY, "&Copy Favorite URL"},        {ID_FAVORITE_COPYNAME, "Copy Favorite &Name"},
    {0, nullptr},                                {ID_FAVORITE_PROPERTIES, "&Properties"},
};

constexpr int kToolbar[] = {
    ID_FILE_REFRESH, 0, ID_FAVORITE_PROPERTIES, ID_FAVORITE_DETAILS, 0, ID_FAVORITE_DELETE,
    ID_FAVORITE_COPYNAME, ID_EDIT_COPY, 0, ID_TOOLS_CHECKALL, ID_TOOLS_STOPCHECKING, 0,
    ID_TOOLS_DELETEBROKEN, 0, ID_TOOLS_CONFIGURATION, 0, ID_FILE_REPORT, 0, ID_HELP_SHOWLEGEND, 0,
    ID_APP_ABOUT, 0, ID_VIEW_PROBLEMSONLY,
};
constexpr int kMenuImages[] = {
    ID_APP_EXIT, ID_FILE_EXPORT, ID_FAVORITE_RENAME, ID_FAVORITE_OPEN,
    ID_VIEW_STATUS_BAR, ID_VIEW_TOOLBAR, ID_HELP_FINDER, ID_TOOLS_UPDATEMOVED,
    ID_FILE_OPENFAVORITES, ID_FILE_OPENBOOKMARKS, ID_FILE_OPENPAGE,
};

} // namespace

std::span<const CommandInfo> CommandTable() { return kCommands; }

const CommandInfo* FindCommand(int nId)
{
    for (const CommandInfo& info : kCommands)
        if (info.m_nId == nId)
            return &info;
    return nullptr;
}

std::span<const PopupMenuInfo> MenuTable() { return kMenus; }
std::span<const MenuItemInfo> ContextMenuTable() { return kContextMenu; }
std::span<const int> ToolbarButtons() { return kToolbar; }
std::span<const int> MenuImageButtons() { return kMenuImages; }

QString PromptOf(const CommandInfo& info) { return QString::fromUtf8(info.m_pszPrompt).section('\n', 0, 0); }
QString TooltipOf(const CommandInfo& info) { return QString::fromUtf8(info.m_pszPrompt).section('\n', 1); }

QString MenuKeyText(int nId)
{
    const CommandInfo* pInfo = FindCommand(nId);
    if (!pInfo || !pInfo->m_bKeyInMenu || pInfo->m_accelerators.isEmpty())
        return {};
    return pInfo->m_accelerators.first().toString(QKeySequence::NativeText);
}
