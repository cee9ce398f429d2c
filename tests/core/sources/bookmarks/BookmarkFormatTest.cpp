// Which files are read as bookmark stores: by their first bytes, not their
// names, and nothing that merely mentions a store's marks.
#include <gtest/gtest.h>

#include "core/sources/bookmarks/BookmarkStore.h"

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

} // namespace
