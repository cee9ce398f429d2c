#pragma once

#include <functional>
#include <string_view>

#include "core/sources/bookmarks/BookmarkStore.h"

// Reads the Bookmarks file of a Chromium-family browser (Chromium, Chrome,
// Brave, Vivaldi, Edge): a JSON object whose "roots" hold the bookmark bar,
// the other bookmarks and the synced (mobile) bookmarks, each a folder of
// "url" and "folder" nodes with their names, in the file's order. A root
// that holds nothing is left out; a root without a name gets the browser's.
//
// The file is read as a stream of JSON events rather than a whole document
// in memory, so a large file costs little more than its bookmarks.
//
// Failed: the text is not JSON (also a truncated file), or it has no
// "roots" object with at least one of the three roots; reading from a
// descriptor, also a read error or fnAbort asking to stop. Objects and
// arrays nested deeper than folders kMaxFolderDepth deep need end the
// reading at once, Failed with FolderDepthMessage() as m_strError.
BookmarkReadResult ReadChromiumBookmarks(std::string_view strText);
// The same from the current position of an open file to its end, a chunk
// at a time.
BookmarkReadResult ReadChromiumBookmarks(int hFile, const std::function<bool()>& fnAbort);
