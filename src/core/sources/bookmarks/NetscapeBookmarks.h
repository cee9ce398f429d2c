#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/sources/bookmarks/BookmarkStore.h"

// Reads a bookmark file in the Netscape format that every browser exports
// (<!DOCTYPE NETSCAPE-Bookmark-file-1>). The format is read as what it is,
// a stream of tags, not as a document tree: browsers leave every <DT> and
// <P> open, so a tree of the markup nests one level deeper with every
// entry, and no depth limit of an HTML parser may cut a file short.
//   <DL> ... </DL>   a list; its folder is the heading right before it, or
//                    the folder of the list around it when it has none
//   <H3>name         a folder in the list around it
//   <A HREF=url>name a bookmark in the list around it
// A name is the text after its tag up to the next tag that is not inline
// markup (<B>, <I>, <SPAN> ...), so a heading or link left unclosed ends
// where the next entry begins. Entities are decoded in names and addresses.
// Anything outside every list is at the top; the file's <H1> title is no
// folder; anchors without an address and Firefox queries ("place:") are
// left out. A tag cut off by the end of the file is dropped, as a browser
// drops it.
//
// The character set is the one a META tag before the first list names
// ("charset=" in its content, or <META CHARSET>), or the one a byte order
// mark gives (UTF-8, UTF-16); otherwise the text is UTF-8 when it is valid
// UTF-8 and Windows-1252 when it is not.
BookmarkReadResult ReadNetscapeBookmarks(std::string_view strBytes);
// The same for an open file, read whole from its start.
BookmarkReadResult ReadNetscapeBookmarks(int hFile, std::size_t nMaxBytes, const std::function<bool()>& fnAbort);

// True when the head of a file is a Netscape bookmark file: its DOCTYPE
// comes before any content (after comments, <HTML>, <HEAD>, <META> or
// <TITLE>), or, without that DOCTYPE, nothing but such a prelude comes
// before the first <DL> and the first link or heading in the file is a
// <DT><A HREF> or <DT><H3> entry. A page that merely mentions the DOCTYPE,
// or one with lists among its other content, is not one.
bool LooksLikeNetscapeBookmarks(std::string_view strHead);

// The bytes of a Netscape bookmark file as UTF-8, by the rules above.
std::string NetscapeTextAsUtf8(std::string_view strBytes);
