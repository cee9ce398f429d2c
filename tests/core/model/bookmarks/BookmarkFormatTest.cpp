// Which files are read as bookmark stores: by their first bytes, not their
// names, and nothing that merely mentions a store's marks.
#include <gtest/gtest.h>

#include "model/bookmarks/BookmarkStore.h"

namespace {

TEST(BookmarkFormat, EachStoreIsKnownByItsContent)
{
    EXPECT_EQ(SniffBookmarkFormat(std::string("SQLite format 3\0\x10\0", 19)), BookmarkFormat::FirefoxPlaces);
    EXPECT_EQ(SniffBookmarkFormat("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL>"), BookmarkFormat::NetscapeHtml);
    EXPECT_EQ(SniffBookmarkFormat("\xEF\xBB\xBF\r\n  <!doctype netscape-bookmark-file-1>"), BookmarkFormat::NetscapeHtml);
    EXPECT_EQ(SniffBookmarkFormat("{\n   \"checksum\": \"ab\",\n   \"roots\"  :\n {"), BookmarkFormat::ChromiumJson);
    EXPECT_EQ(SniffBookmarkFormat("\xEF\xBB\xBF{\"roots\":{}}"), BookmarkFormat::ChromiumJson);
}

TEST(BookmarkFormat, FilesThatOnlyMentionAStoreAreNotOne)
{
    EXPECT_EQ(SniffBookmarkFormat(""), BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("SQLite format 3 is a file format"), BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("<html><p>Export as <!DOCTYPE NETSCAPE-Bookmark-file-1></p>"), BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("{\"trees\": [\"roots\", \"leaves\"]}"), BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("[{\"roots\": {}}]"), BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("see \"roots\": {} in http://a.example/"), BookmarkFormat::None);
}

TEST(BookmarkStore, RemovingAFolderTakesWhatItHoldsAndEmptyRootsGo)
{
    BookmarkStore store;
    const auto nA = store.Add(-1, true, "A");
    const auto nB = store.Add(nA, true, "B");
    store.Add(nB, false, "in B", "http://b.example/");
    store.Add(nA, false, "in A", "http://a.example/");
    store.Add(-1, true, "Empty root");
    const auto nC = store.Add(-1, true, "C");
    store.Add(nC, false, "in C", "http://c.example/");
    store.DropEmptyTopFolders();
    std::vector<bool> drop(store.m_entries.size(), false);
    drop[size_t(nB)] = true;
    store.Remove(drop);
    std::vector<std::string> entries;
    for (const BookmarkEntry& entry : store.m_entries)
        entries.push_back(std::to_string(entry.m_nParent) + " " + entry.m_strTitle);
    EXPECT_EQ(entries, (std::vector<std::string>{"-1 A", "0 in A", "-1 C", "2 in C"}));
}

} // namespace
