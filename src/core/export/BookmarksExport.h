#pragma once

#include <memory>
#include <vector>

#include "core/export/ExportWriters.h"

// The bookmark file that browsers import (Firefox, the Chromium family,
// Safari: "Import bookmarks from HTML file"): the Netscape format, UTF-8.
// The folders of the list become nested folders (<DT><H3>) in the order
// they first appear, each favourite a link (<DT><A HREF>) in its folder,
// with ADD_DATE where the time is known (the favourite file's modification
// time). Names and addresses have & < > and " written as entities; a
// control character is written as a blank. A favourite without an address
// is left out; a local path is written as a file:// address.
int WriteBookmarksExport(CExportFile& file, ExportList items);

// The list without the favourites that the report counts as broken (broken
// and partially valid), in the same order.
std::vector<std::shared_ptr<FavoriteItem>> LeaveOutBroken(ExportList items);
