#pragma once

#include <functional>
#include <string>

#include "core/sources/bookmarks/BookmarkStore.h"

// Reads the bookmarks of a Firefox profile's places.sqlite: the folders and
// bookmarks under the toolbar, menu, other-bookmarks and mobile roots (in
// that order, each root left out when it holds nothing), every folder's
// entries in the browser's order (`position`). Separators, queries
// ("place:" URLs), tags and entries cut off from the roots are left out; a
// bookmark without a title keeps an empty one.
//
// Firefox keeps the database locked and its newest changes in the -wal file
// beside it while it runs, so the database and its -wal file are copied into
// a private folder made with mkdtemp in the temporary folder, the copy is
// opened read-only, and the folder is removed before this returns. The
// user's files are only ever opened for reading.
//
// Failed: the file cannot be copied, is not a database, is corrupt or
// truncated, has no moz_bookmarks and moz_places (another program's
// database: its text stops at the header's first NUL byte, so the link
// extraction would find nothing in it and call that success), has no
// bookmark root, or fnAbort asked to stop.
BookmarkReadResult ReadFirefoxPlaces(const std::string& strPath, const std::function<bool()>& fnAbort);
