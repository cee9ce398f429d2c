// A Chromium-family Bookmarks file as a source: the bookmark bar, other and
// synced roots with their names, folders and "url" nodes in the file's
// order, an empty root left out; a file cut short or with roots that are no
// bookmark tree is a source error; JSON without roots is any other file.
#include "BookmarkTestSupport.h"
#include "core/sources/SourceLimits.h"
#include "core/sources/bookmarks/ChromiumBookmarks.h"

using namespace bookmarktest;

namespace {

class ChromiumBookmarks : public BookmarkStoreTest {};

TEST_F(ChromiumBookmarks, TheRootsWithTheirFoldersAndNamesInOrder)
{
    const std::string strPath = m_dir / "Default/Bookmarks";
    WriteFile(strPath, ChromiumBookmarksJson(
                           {Link("Debian \"stable\"", "https://www.debian.org/"),
                            Folder("Work", {Link("Tracker", "https://bugs.example/"),
                                            Folder("Docs", {Link("", "https://docs.example/")}),
                                            Folder("Empty", {})}),
                            Link("Kernel", "https://kernel.org/")},
                           {Link("Naïve café", "http://xn--caf-dma.example/")}));
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(result.Outline(), "Bookmarks bar\n"
                                "  Debian \"stable\"\n"
                                "  Work\n"
                                "    Tracker\n"
                                "    Docs\n"
                                "      https://docs.example/\n"
                                "    Empty\n"
                                "  Kernel\n"
                                "Other bookmarks\n"
                                "  Naïve café\n");
    EXPECT_EQ(result.Records(), (std::vector<std::string>{
                                    "Bookmarks bar | Debian \"stable\" | https://www.debian.org/ @1",
                                    "Bookmarks bar/Work | Tracker | https://bugs.example/ @2",
                                    "Bookmarks bar/Work/Docs | https://docs.example/ | https://docs.example/ @3",
                                    "Bookmarks bar | Kernel | https://kernel.org/ @1",
                                    "Other bookmarks | Naïve café | http://xn--caf-dma.example/ @1",
                                }));
    EXPECT_EQ(result.m_pSink->Items()[0]->m_strPath, strPath);
}

TEST_F(ChromiumBookmarks, UnknownNodesAndMembersArePassedOverAndRootNamesFallBack)
{
    // Members in another order, a node of a type Chromium may add one day
    // (with children of its own), a URL node without a URL, no root names.
    const std::string strText = R"({"version": 1, "roots": {
        "synced": {"type": "folder", "children": [{"type": "url", "name": "Phone", "url": "http://phone.example/"}]},
        "bookmark_bar": {"children": [
            {"type": "url", "name": "One", "url": "http://one.example/", "meta_info": {"x": [1, {"y": "z"}]}},
            {"type": "widget", "name": "W", "children": [{"type": "url", "name": "Hidden", "url": "http://hidden.example/"}]},
            {"type": "url", "name": "No address"},
            {"name": "Two", "url": "http://two.example/", "type": "url"}], "type": "folder", "name": ""},
        "custom_root": {"children": [{"type": "url", "name": "X", "url": "http://x.example/"}]}}})";
    const BookmarkReadResult result = ReadChromiumBookmarks(strText);
    ASSERT_EQ(result.m_nResult, BookmarkRead::Read);
    std::vector<std::string> entries;
    for (const BookmarkEntry& entry : result.m_store.m_entries)
        entries.push_back(std::to_string(entry.m_nParent) + " " + entry.m_strTitle);
    EXPECT_EQ(entries, (std::vector<std::string>{"-1 Mobile bookmarks", "0 Phone", "-1 Bookmarks bar", "2 One", "2 Two"}));
}

TEST_F(ChromiumBookmarks, ACutOrForeignBookmarksFileIsASourceError)
{
    const std::string strWhole = ChromiumBookmarksJson({Link("A", "http://a.example/"), Link("B", "http://b.example/")});
    const auto expectError = [&](const std::string& strText, const char* pszCase) {
        const std::string strPath = m_dir / "Bookmarks";
        WriteFile(strPath, strText);
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << pszCase;
        EXPECT_EQ(result.m_pSink->NodeCount(), 0u) << pszCase;
    };
    expectError(strWhole.substr(0, strWhole.size() * 2 / 3), "cut short");
    expectError(strWhole + "}", "a brace too many");
    expectError(R"({"checksum": "x", "roots": 5})", "roots that are no object");
    expectError(R"({"roots": {"bookmarks": {"children": []}}})", "none of the browser's roots");
    expectError(R"({"roots": {"bookmark_bar": {"children": [{"type": "url", "url": "http://a.example/"}]})",
                "a closing brace missing");
}

TEST_F(ChromiumBookmarks, JsonWithoutRootsIsAFileLikeAnyOther)
{
    const std::string strPath = m_dir / "data.json";
    WriteFile(strPath, R"({"homepage": "https://home.example/", "note": "roots of trees"})");
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    ASSERT_EQ(result.m_pSink->Items().size(), 1u);
    EXPECT_EQ(result.m_pSink->Items()[0]->m_strUrl, "https://home.example/");
}

TEST_F(ChromiumBookmarks, AnEmptyProfileIsAnEmptyListAndDeepNestingIsNoDanger)
{
    {
        const std::string strPath = m_dir / "Empty";
        WriteFile(strPath, ChromiumBookmarksJson({}));
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
        EXPECT_EQ(result.m_pSink->NodeCount(), 0u);
    }
    // Folders one in the other, a bookmark at the bottom: read whole up to
    // the depth limit, refused beyond it with a message naming the limit,
    // never a tree cut short. 20,000 deep is refused as quickly.
    const auto chain = [](int nDepth) {
        std::string strText = R"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bar", "children": [)";
        for (int i = 0; i < nDepth; ++i)
            strText += R"({"type": "folder", "name": "f", "children": [)";
        strText += R"({"type": "url", "name": "Bottom", "url": "http://bottom.example/"})";
        for (int i = 0; i < nDepth; ++i)
            strText += "]}";
        return strText + "]}}}";
    };
    const int nAtLimit = kMaxFolderDepth - 1; // the bookmark lies in these and the root folder
    WriteFile(m_dir / "AtLimit", chain(nAtLimit));
    const Populated result = PopulateFile(m_dir / "AtLimit");
    ASSERT_EQ(result.m_pSink->Items().size(), 1u);
    EXPECT_EQ(result.m_pSink->Items()[0]->m_nDepth, kMaxFolderDepth);
    EXPECT_EQ(result.m_pSink->NodeCount(), size_t(nAtLimit + 2));
    for (const int nDepth : {nAtLimit + 1, 20000}) {
        const std::string strPath = m_dir / ("Deep" + std::to_string(nDepth));
        WriteFile(strPath, chain(nDepth));
        const Populated deep = PopulateFile(strPath);
        EXPECT_EQ(deep.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << nDepth;
        EXPECT_EQ(deep.m_pSink->NodeCount(), 0u) << nDepth;
        EXPECT_EQ(deep.m_report.m_strSourceError,
                  "The specified URL/File: " + strPath + "\ncannot be downloaded or opened.\n"
                  "Its folders are nested more than 1000 deep; Zorbel reads bookmark folders up to 1000 levels deep.")
            << nDepth;
    }
}

} // namespace
