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
// Every schema Firefox has written since version 3 is read: the roots are
// found by their fixed GUIDs, or, in stores older than those (Firefox 3 has
// no guid column at all), by the table moz_bookmarks_roots.
//
// The file's schema is not trusted: the copy is opened with trusted_schema
// and views and triggers off and in defensive mode, a generated column in
// the tables read refuses the store, and the copy, each value, the rows and
// their text together are bounded (1 GB for the database and for its -wal
// file, 16 MB a value, 5 million rows, 512 MB of text).
//
// Failed: the file cannot be copied, is not a database, is corrupt or
// truncated, has no moz_bookmarks and moz_places or lacks a column read
// (another program's database: its text stops at the header's first NUL
// byte, so the link extraction would find nothing in it and call that
// success), has no bookmark root, goes beyond a bound, or fnAbort asked to
// stop. m_strError says what was missing or which bound, where it is known.
BookmarkReadResult ReadFirefoxPlaces(const std::string& strPath, const std::function<bool()>& fnAbort);
