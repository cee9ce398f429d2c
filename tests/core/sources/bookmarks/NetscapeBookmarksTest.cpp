// A Netscape bookmark file as a source: every <H3> a folder holding the
// next <DL>, every <A HREF> a bookmark of the list around it, entities
// decoded, and the loose markup real files have (unclosed elements, lists
// without headings, headings without lists, links outside every list)
// read the way a browser would import it; a file cut short keeps what it
// has.
#include "BookmarkTestSupport.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"

#include <tuple>

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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(result.Outline(), "A\n  One\n");
}

// Browsers leave every <DT> open; read as a document tree each entry nests
// inside the one before, so a parser with a depth limit drops everything
// after a few hundred entries. Every entry must be listed, the later
// folders too.
std::string ManyUnclosedLinks(int nLinks)
{
    std::string strHtml = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                          "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                          "    <DT><H3>Many</H3>\n    <DL><p>\n";
    for (int i = 0; i < nLinks; ++i) {
        // Every third link leaves its </A> out as well, every fifth its <P>.
        strHtml += "        <DT><A HREF=\"http://site.example/" + std::to_string(i) + "\">Site " + std::to_string(i) +
                   (i % 3 == 0 ? "" : "</A>") + (i % 5 == 0 ? "<p>" : "") + "\n";
    }
    strHtml += "    </DL><p>\n"
               "    <DT><H3>Later</H3>\n    <DL><p>\n"
               "        <DT><A HREF=\"http://later.example/\">Later one</A>\n"
               "    </DL><p>\n"
               "    <DT><A HREF=\"http://last.example/\">Last\n"
               "</DL>\n";
    return strHtml;
}

TEST_F(NetscapeBookmarks, ThousandsOfLinksWithUnclosedTagsAreAllListedAndSoAreTheFoldersAfterThem)
{
    for (const int nLinks : {1000, 20000}) {
        const std::string strPath = m_dir / ("many-" + std::to_string(nLinks) + ".html");
        WriteFile(strPath, ManyUnclosedLinks(nLinks));
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
        const auto records = result.Records();
        ASSERT_EQ(records.size(), size_t(nLinks) + 2) << nLinks;
        EXPECT_EQ(records[0], "Many | Site 0 | http://site.example/0 @1");
        EXPECT_EQ(records[size_t(nLinks) - 1], "Many | Site " + std::to_string(nLinks - 1) + " | http://site.example/" +
                                                  std::to_string(nLinks - 1) + " @1");
        EXPECT_EQ(records[size_t(nLinks)], "Later | Later one | http://later.example/ @1");
        EXPECT_EQ(records[size_t(nLinks) + 1], " | Last | http://last.example/ @0");
    }
}

TEST_F(NetscapeBookmarks, UnclosedTitlesHeadingsAndCommentsEndWhereTheNextEntryBegins)
{
    const std::string strText = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                "<TITLE>Bookmarks\n"
                                "<H1>Bookmarks\n"
                                "<DL><p>\n"
                                "<DT><H3 ADD_DATE=\"1\">Open heading\n"
                                "<DL><p>\n"
                                "<DT><A HREF=\"http://a.example/\">First <b>bold</b> &amp; more\n"
                                "<DD>A description, not a name\n"
                                "<DT><A HREF=\"http://b.example/\">Second\n"
                                "</DL><p>\n"
                                "<!-- a comment left open >\n"
                                "<DT><A HREF=\"http://c.example/\">Third</A>\n"
                                "</DL>\n";
    const BookmarkReadResult result = ReadNetscapeBookmarks(strText);
    ASSERT_EQ(result.m_nResult, BookmarkRead::Read);
    std::vector<std::string> entries;
    for (const BookmarkEntry& entry : result.m_store.m_entries)
        entries.push_back(std::to_string(entry.m_nParent) + " " + entry.m_strTitle + " " + entry.m_strUrl);
    EXPECT_EQ(entries, (std::vector<std::string>{"-1 Open heading ", "0 First bold & more http://a.example/",
                                                 "0 Second http://b.example/", "-1 Third http://c.example/"}));
}

TEST_F(NetscapeBookmarks, WithoutAMetaTagTheTextIsUtf8WhateverTheAddressesSay)
{
    // "charset=" inside an address in the first kilobytes names nothing.
    const std::string strText = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n"
                                "<DT><A HREF=\"http://a.example/?charset=latin1\">Caf\xC3\xA9 cr\xC3\xA8me</A>\n"
                                "<DT><H3>\xC3\x9C" "bersicht</H3>\n<DL><p>\n"
                                "<DT><A HREF=\"http://\xC3\xA4.example/\">\xE2\x98\xBA</A>\n</DL>\n</DL>\n";
    const BookmarkReadResult result = ReadNetscapeBookmarks(strText);
    ASSERT_EQ(result.m_store.m_entries.size(), 3u);
    EXPECT_EQ(result.m_store.m_entries[0].m_strTitle, "Café crème");
    EXPECT_EQ(result.m_store.m_entries[1].m_strTitle, "Übersicht");
    EXPECT_EQ(result.m_store.m_entries[2].m_strUrl, "http://ä.example/");
    EXPECT_EQ(result.m_store.m_entries[2].m_strTitle, "☺");

    // Bytes that are not UTF-8 and no META tag: Windows-1252, as an old
    // export on Windows wrote them.
    const BookmarkReadResult legacy = ReadNetscapeBookmarks(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p><DT><A HREF=\"http://a.example/\">\x93" "Caf\xE9\x94</A></DL>");
    ASSERT_EQ(legacy.m_store.m_entries.size(), 1u);
    EXPECT_EQ(legacy.m_store.m_entries[0].m_strTitle, "\u201C" "Café" "\u201D");

    // A byte order mark decides before anything else: UTF-16 as written by
    // Windows tools.
    const std::string strUtf8 = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n<DT><H3>R\xC3\xA9sum\xC3\xA9</H3>"
                                "\r\n<DL><p><DT><A HREF=\"http://r.example/\">\xE2\x82\xAC</A></DL></DL>\r\n";
    std::string strUtf16 = "\xFF\xFE";
    for (size_t n = 0; n < strUtf8.size();) {
        size_t nAt = n;
        const char32_t cp = strUtf8[n] & 0x80 ? [&] {
            const std::string_view s(strUtf8);
            const unsigned char c = static_cast<unsigned char>(s[nAt]);
            const int nLen = c >= 0xE0 ? 3 : 2;
            char32_t v = c & (nLen == 3 ? 0x0F : 0x1F);
            for (int i = 1; i < nLen; ++i)
                v = (v << 6) | (static_cast<unsigned char>(s[nAt + size_t(i)]) & 0x3F);
            nAt += size_t(nLen);
            return v;
        }()
                                                : char32_t(strUtf8[nAt++]);
        n = nAt;
        strUtf16 += char(cp & 0xFF);
        strUtf16 += char(cp >> 8);
    }
    EXPECT_EQ(SniffBookmarkFormat(strUtf16), BookmarkFormat::NetscapeHtml);
    const std::string strPath = m_dir / "utf16.html";
    WriteFile(strPath, strUtf16);
    const Populated wide = PopulateFile(strPath);
    EXPECT_EQ(wide.Records(), std::vector<std::string>{"Résumé | € | http://r.example/ @1"});
}

TEST_F(NetscapeBookmarks, RecognisedByWhatItHoldsWhereverTheDoctypeIsOrWithoutOne)
{
    // An export with <HTML> before its DOCTYPE.
    const std::string strHtmlFirst = "<HTML>\n<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                                     "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                                     "<DT><H3>Work</H3>\n<DL><p>\n<DT><A HREF=\"http://b.example/\">Beta</A>\n"
                                     "<DT><A HREF=\"http://a.example/\">Alpha</A>\n</DL><p>\n</DL><p>\n</HTML>\n";
    // An online service's export: no DOCTYPE, lower case, every tag closed.
    const std::string strNoDoctype =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
        "<title>Bookmarks</title></head><body><h1>Bookmarks</h1>\n<dl>\n"
        "<dt><a href=\"http://z.example/\" add_date=\"1700000000\" tags=\"x\">Zulu</a></dt>\n"
        "<dd>What Zulu is</dd>\n"
        "<dt><h3>Reading</h3></dt>\n<dl><dt><a href=\"http://y.example/\">Yankee</a></dt></dl>\n"
        "</dl></body></html>\n";
    for (const auto& [strName, strText, strRecords] :
         {std::tuple<std::string, std::string, std::vector<std::string>>{
              "html-first.html", strHtmlFirst, {"Work | Beta | http://b.example/ @1", "Work | Alpha | http://a.example/ @1"}},
          {"no-doctype.html", strNoDoctype, {" | Zulu | http://z.example/ @0", "Reading | Yankee | http://y.example/ @1"}}}) {
        EXPECT_EQ(SniffBookmarkFormat(strText), BookmarkFormat::NetscapeHtml) << strName;
        const std::string strPath = m_dir / strName;
        WriteFile(strPath, strText);
        EXPECT_EQ(PopulateFile(strPath).Records(), strRecords) << strName;
    }
    // Pages with lists of links among other content stay pages.
    EXPECT_EQ(SniffBookmarkFormat("<html><body><p>Links:</p><dl><dt><a href=\"http://a.example/\">A</a></dl>"),
              BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("<html><body><a href=\"/\">Home</a><dl><dt><a href=\"http://a.example/\">A</a></dl>"),
              BookmarkFormat::None);
    EXPECT_EQ(SniffBookmarkFormat("<!DOCTYPE html><html><dl><dt class=\"term\">A<dd><a href=\"x\">x</a></dl>"),
              BookmarkFormat::None);
}

} // namespace
