#pragma once

// Command ids, shared by menu items, toolbar buttons, accelerators, the
// prompt strings and the pictures of the buttons.
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
    ID_TOOLS_UPDATEMOVED = 32794,
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
    ID_SEPARATOR = 0, // the message pane
    ID_INDICATOR_THREADS = 59142,
    ID_INDICATOR_SCANNING = 59143,
    ID_INDICATOR_ITEMS = 59144,
    ID_INDICATOR_PROGRESS = 59145, // the progress of a check (bar, then counts)
};
