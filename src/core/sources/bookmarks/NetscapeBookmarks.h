#pragma once

#include <string_view>

#include "core/sources/bookmarks/BookmarkStore.h"

// Reads a bookmark file in the Netscape format that every browser exports
// (<!DOCTYPE NETSCAPE-Bookmark-file-1>) with libxml2's HTML parser, which
// mends the loose markup such files are made of: every <H3> starts a folder
// whose entries are the next <DL> list, every <A HREF> is a bookmark in the
// folder of the list around it, titles with their entities decoded. A list
// without a heading of its own belongs to the folder around it; anything
// outside every list is at the top. The file's <H1> title is no folder.
// Anchors without an address and Firefox queries ("place:") are left out.
//
// The text is UTF-8 unless the file names its character set.
BookmarkReadResult ReadNetscapeBookmarks(std::string_view strText);
// The same from the current position of an open file to its end; strHead
// is the file's beginning, where the character set would be named.
BookmarkReadResult ReadNetscapeBookmarks(int hFile, std::string_view strHead);
