#pragma once

// Browser bookmark stores made the way the browsers make them, for the
// tests and benchmarks: a Firefox places.sqlite with the real tables and
// roots, a Chromium Bookmarks file, a Netscape bookmark file as Firefox
// exports it.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bookmarkstore {

// A bookmark, or a folder (no URL) with what it holds.
struct TestBookmark {
    std::string m_strTitle;
    std::string m_strUrl;
    std::vector<TestBookmark> m_children;
    bool IsFolder() const { return m_strUrl.empty(); }
};

inline TestBookmark Link(std::string strTitle, std::string strUrl) { return {std::move(strTitle), std::move(strUrl), {}}; }
inline TestBookmark Folder(std::string strTitle, std::vector<TestBookmark> children)
{
    return {std::move(strTitle), {}, std::move(children)};
}

// Firefox's places.sqlite: moz_places, moz_bookmarks, moz_bookmarks_deleted,
// moz_origins and moz_keywords with Firefox's columns and indexes, and the
// six roots with their fixed GUIDs. Open until Close() or destruction.
class CPlacesDatabase {
public:
    // The ids Firefox gives the roots.
    static constexpr std::int64_t kRoot = 1, kMenu = 2, kToolbar = 3, kTags = 4, kUnfiled = 5, kMobile = 6;

    // bWal: journal_mode=WAL, as Firefox keeps it; changes then stay in the
    // -wal file while this connection lives (automatic checkpoints off).
    explicit CPlacesDatabase(const std::string& strPath, bool bWal = false);
    ~CPlacesDatabase();
    CPlacesDatabase(const CPlacesDatabase&) = delete;
    CPlacesDatabase& operator=(const CPlacesDatabase&) = delete;

    // Appended at the end of the parent folder (position = its count).
    std::int64_t AddFolder(std::int64_t nParent, const std::string& strTitle);
    std::int64_t AddBookmark(std::int64_t nParent, const std::string& strTitle, const std::string& strUrl);
    std::int64_t AddSeparator(std::int64_t nParent);
    // A whole tree below a folder.
    void AddTree(std::int64_t nParent, const std::vector<TestBookmark>& entries);
    void Exec(const std::string& strSql);
    sqlite3* Handle() const { return m_pDb; }
    void Close();

private:
    std::int64_t Insert(int nType, std::int64_t nParent, const std::string& strTitle, const std::string& strUrl);
    std::int64_t NextPosition(std::int64_t nParent);

    sqlite3* m_pDb = nullptr;
    int m_nGuid = 0;
};

// A Bookmarks file as Chromium writes it: members sorted by name, three
// blanks of indentation, the checksum, the three roots, version 1.
std::string ChromiumBookmarksJson(const std::vector<TestBookmark>& bar, const std::vector<TestBookmark>& other = {},
                                  const std::vector<TestBookmark>& synced = {});

// bookmarks.html as Firefox exports it: the menu's entries at the top, in
// <DL><p> lists, each folder an <H3> followed by its list.
std::string NetscapeBookmarksHtml(const std::vector<TestBookmark>& entries);

// Firefox's home layout: ~/.mozilla/firefox/profiles.ini (and installs.ini)
// naming a default profile folder "abcd1234.default-release" called
// "default-release"; returns the profile folder.
std::string MakeFirefoxProfile(const std::string& strHome, const std::string& strFolder = "abcd1234.default-release",
                               const std::string& strName = "default-release");

} // namespace bookmarkstore
