// A Netscape bookmark file as a source: every <H3> a folder holding the
// next <DL>, every <A HREF> a bookmark of the list around it, entities
// decoded, and the loose markup real files have (unclosed elements, lists
// without headings, headings without lists, links outside every list)
// read the way a browser would import it; a file cut short keeps what it
// has.
#include "BookmarkTestSupport.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"

using namespace bookmarktest;

namespace {

class NetscapeBookmarks : public BookmarkStoreTest {};

TEST_F(NetscapeBookmarks, AFirefoxExportWithNestedFoldersAndEntities)
{
    const std::string strPath = m_dir / "bookmarks.html";
    WriteFile(strPath, NetscapeBookmarksHtml(
                           {Folder("Bookmarks Toolbar",
                                   {Link("Q&A <tips> \"quoted\" it's", "http://qa.example/?a=1&b=2"),
                                    Folder("Deep & Deeper", {Link("Bottom", "http://bottom.example/")})}),
                            Link("Top", "http://top.example/"), Folder("Empty", {})}));
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_LISTREADY});
    EXPECT_EQ(result.Outline(), "Bookmarks Toolbar\n"
                                "  Q&A <tips> \"quoted\" it's\n"
                                "  Deep & Deeper\n"
                                "    Bottom\n"
                                "Top\n"
                                "Empty\n");
    EXPECT_EQ(result.Records(),
              (std::vector<std::string>{
                  "Bookmarks Toolbar | Q&A <tips> \"quoted\" it's | http://qa.example/?a=1&b=2 @1",
                  "Bookmarks Toolbar/Deep & Deeper | Bottom | http://bottom.example/ @2",
                  " | Top | http://top.example/ @0",
              }));
}

TEST_F(NetscapeBookmarks, LooseMarkupIsReadAsABrowserWouldImportIt)
{
    const std::string strText = "\xEF\xBB\xBF  <!doctype netscape-bookmark-file-1>\n"
                                "<title>Bookmarks</title><h1>My &eacute;l&egrave;ves</h1>\n"
                                "<a href=\" http://before.example/ \">Before any list</a>\n"
                                "<DL><p>\n"
                                "<DT><H3>Unclosed heading\n"
                                "<DL><p>\n"
                                "  <DT><a HREF=\"http://inner.example/\">Inner &#x263A; &amp;amp;\n"
                                "  <DT><A HREF=\"http://second.example/\">Second</A>\n"
                                "</DL><p>\n"
                                "<DT><H3>No list of its own</H3>\n"
                                "<DT><A HREF=\"http://after.example/\">After</A>\n"
                                "<DL><p><DT><A HREF=\"http://headless.example/\">Headless list</A></DL>\n"
                                "<DT><A>No address</A><DT><A HREF=\"\">Empty address</A>\n"
                                "<DT><A HREF=\"place:sort=8\">Most Visited</A>\n"
                                "<HR><DT><A HREF=\"javascript:alert(1)\">Bookmarklet</A>\n"
                                "</DL>\n";
    const std::string strPath = m_dir / "loose.html";
    WriteFile(strPath, strText);
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_LISTREADY});
    EXPECT_EQ(result.Outline(), "Before any list\n"
                                "Unclosed heading\n"
                                "  Inner ☺ &amp;\n"
                                "  Second\n"
                                "No list of its own\n"
                                "After\n"
                                "Headless list\n"
                                "Bookmarklet\n");
    ASSERT_FALSE(result.m_pSink->Items().empty());
    EXPECT_EQ(result.m_pSink->Items()[0]->m_strUrl, "http://before.example/");
}

TEST_F(NetscapeBookmarks, TheCharacterSetTheFileNamesIsHonoured)
{
    const BookmarkReadResult latin1 = ReadNetscapeBookmarks(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
        "charset=ISO-8859-1\">\n<DL><p><DT><A HREF=\"http://a.example/\">Caf\xE9</A></DL>");
    ASSERT_EQ(latin1.m_store.m_entries.size(), 1u);
    EXPECT_EQ(latin1.m_store.m_entries[0].m_strTitle, "Café");
    // Without a character set the file is UTF-8.
    const BookmarkReadResult utf8 = ReadNetscapeBookmarks(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p><DT><A HREF=\"http://a.example/\">Caf\xC3\xA9</A></DL>");
    ASSERT_EQ(utf8.m_store.m_entries.size(), 1u);
    EXPECT_EQ(utf8.m_store.m_entries[0].m_strTitle, "Café");
}

TEST_F(NetscapeBookmarks, AFileCutShortKeepsWhatItHas)
{
    const std::string strWhole = NetscapeBookmarksHtml(
        {Folder("A", {Link("One", "http://one.example/"), Link("Two", "http://two.example/")}),
         Link("Three", "http://three.example/")});
    const std::string strPath = m_dir / "cut.html";
    WriteFile(strPath, strWhole.substr(0, strWhole.find("http://two")));
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_LISTREADY});
    EXPECT_EQ(result.Outline(), "A\n  One\n");
}

} // namespace
