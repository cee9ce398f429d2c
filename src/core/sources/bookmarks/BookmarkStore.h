#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bookmarks a browser keeps, as read from one of its stores: folders and
// bookmarks in the browser's own order. The readers know the formats; the
// tree is made from this by InsertBookmarks.

struct BookmarkEntry {
    std::int32_t m_nParent = -1; // index of the folder it is in; -1 at the top
    bool m_bFolder = false;
    std::string m_strTitle;
    std::string m_strUrl; // empty for a folder
};

// A folder always comes before what it holds, and the entries of one folder
// are in their order; entries of different folders may interleave.
struct BookmarkStore {
    std::vector<BookmarkEntry> m_entries;

    // Appends an entry and returns its index.
    std::int32_t Add(std::int32_t nParent, bool bFolder, std::string strTitle, std::string strUrl = {});
    // Takes out the entries marked in `drop` (one flag per entry) and all
    // they hold; the rest keep their order.
    void Remove(const std::vector<bool>& drop);
    // Takes out the top-level folders that hold nothing: a browser's root
    // folder without a bookmark is not worth a node.
    void DropEmptyTopFolders();
    // How many folders the deepest entry lies in.
    std::int32_t MaxDepth() const;
    // The bytes of the "/"-joined folder paths of all bookmarks together.
    std::uint64_t FolderPathBytes() const;
};

// How reading a store went.
enum class BookmarkRead {
    Read,      // the store is in m_store
    NotAStore, // not a store of this kind after all: the link extraction reads it
    Failed,    // a store that cannot be read: a source error
};

struct BookmarkReadResult {
    BookmarkRead m_nResult = BookmarkRead::Failed;
    BookmarkStore m_store;
    // Failed or NotAStore: why, when there is more to tell than that the
    // file cannot be read (what a store lacks, a limit it goes beyond).
    std::string m_strError;
};

// Failed with a reason.
BookmarkReadResult BookmarkReadFailure(std::string strError);

// The kinds of store recognised by their content.
enum class BookmarkFormat {
    None,           // not a bookmark store: the link extraction reads it
    FirefoxPlaces,  // an SQLite database (Firefox's places.sqlite)
    ChromiumJson,   // a JSON object with "roots" (the Chromium family's Bookmarks)
    NetscapeHtml,   // <!DOCTYPE NETSCAPE-Bookmark-file-1>, the export every browser writes (see
                    // LooksLikeNetscapeBookmarks)
};

// The message of a store refused for nesting deeper than kMaxFolderDepth.
std::string FolderDepthMessage();

// The format of a file by its first bytes (at least kBookmarkSniffBytes of
// them when the file is that long).
inline constexpr std::size_t kBookmarkSniffBytes = 64 * 1024;
BookmarkFormat SniffBookmarkFormat(std::string_view strHead);

// A bookmark whose URL is a Firefox query ("place:...") stands for a search,
// not a page: it is left out wherever it is found.
bool IsBookmarkQuery(std::string_view strUrl);

// Bookmark titles as shown: blanks at either end dropped and each run of
// white space inside made one blank.
std::string TidyBookmarkTitle(std::string_view strTitle);
