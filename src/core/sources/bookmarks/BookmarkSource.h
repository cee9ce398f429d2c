#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"
#include "core/sources/bookmarks/BookmarkStore.h"

class ManualResetEvent;

// The format of a local file by its first bytes; None when it is no
// bookmark store, and when it cannot be opened as a regular file (the link
// extraction then reports it as it does any unreadable source).
BookmarkFormat SniffBookmarkFile(const std::string& strPath);

// Reads a store of the given format (Firefox's database, a Chromium
// Bookmarks file, a Netscape bookmark file). A file that vanished, cannot
// be read or is larger than any bookmark file is Failed; so is a store whose
// folders nest deeper than kMaxFolderDepth, or whose folder paths, one per
// record, would come to more than 256 MB (m_strError says which).
BookmarkReadResult ReadBookmarkStore(const std::string& strPath, BookmarkFormat nFormat,
                                     const std::function<bool()>& fnAbort);

// The number of bookmarks (folders not counted) the store at strPath holds,
// read as the tree would read it (queries and separators left out); nullopt
// when it cannot be read as a store or fnAbort stopped the reading.
std::optional<std::size_t> CountBookmarks(const std::string& strPath, const std::function<bool()>& fnAbort);

// Puts the bookmarks into the tree: folders as folder nodes, each bookmark
// as a node with its title (its URL when it has no title) and a record of
// kind KindInternetFavorite with the "/"-joined folder path, its depth, its
// URL and strStorePath as its path, not checked. Folders come in the
// store's order with what they hold right after them, so the list of
// records is in the order of the tree. Returns the first top-level node
// (kNoTreeNode when there is none). Stops early when fnAbort says so.
// The store's titles and URLs move into the records.
TreeNode InsertBookmarks(ITreeSink& sink, BookmarkStore&& store, const std::string& strStorePath,
                         const std::function<bool()>& fnAbort);

// What a store that is not one after all turns into.
enum class NotAStoreIs {
    Links,       // a file named as the source: its links are extracted as from any file
    SourceError, // a browser's own store
};

// Fills the tree from the store at strPath within the frame of
// RunPopulation: tree disabled and m_bPopulating set while it reads, all
// branches expanded and the first node made visible when it is filled, then
// ViewEvent::ListReady. A store that cannot be read is ViewEvent::SourceError with no node,
// never an empty list; the reason the reader gives, if any, is added to
// *pstrSourceError (when given) on a line of its own. hStop and bClosing
// end the reading early. A store that turns out to be a page or file is
// read as one, with nTimeoutMs (0: the default) should it be fetched.
void BookmarkSourceThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop,
                          const std::atomic<bool>& bClosing, const std::string& strPath, BookmarkFormat nFormat,
                          NotAStoreIs nNotAStore, int nTimeoutMs = 0, std::string* pstrSourceError = nullptr);
