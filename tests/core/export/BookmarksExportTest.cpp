// The bookmarks file for browsers: what Zorbel reads back from it is what it
// wrote, the same folders (nested, in order of first appearance), names and
// addresses, through quotes, ampersands, angle brackets, non-ASCII names and
// folders that hold only folders; with the broken favourites left out, those
// the report counts as broken (broken and partially valid) are gone and
// nothing else. The file is the format browsers import.

#include <sys/stat.h>
#include <utime.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "core/export/BookmarksExport.h"
#include "core/export/ExportFormat.h"
#include "core/export/ExportToFile.h"
#include "core/model/LinkStatus.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"

namespace {

using export_test::TempDir;

std::shared_ptr<FavoriteItem> Fav(std::string strFolder, std::string strName, std::string strUrl,
                                  std::int32_t nStatus = StatusNotChecked)
{
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strFolder = std::move(strFolder);
    pItem->m_strName = std::move(strName);
    pItem->m_strUrl = std::move(strUrl);
    pItem->m_nKind = 0;
    pItem->m_nDepth = 0;
    pItem->SetOutcome(nStatus, {});
    return pItem;
}

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Each bookmark as "folder path|name|address", folders joined with "/", and
// each folder as "folder path/" in the order the file has them.
std::vector<std::string> Outline(const BookmarkStore& store)
{
    std::vector<std::string> paths(store.m_entries.size());
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < store.m_entries.size(); ++n) {
        const BookmarkEntry& entry = store.m_entries[n];
        const std::string strParent = entry.m_nParent < 0 ? std::string() : paths[std::size_t(entry.m_nParent)];
        if (entry.m_bFolder) {
            paths[n] = strParent.empty() ? entry.m_strTitle : strParent + "/" + entry.m_strTitle;
            lines.push_back(paths[n] + "/");
        } else {
            lines.push_back(strParent + "|" + entry.m_strTitle + "|" + entry.m_strUrl);
        }
    }
    return lines;
}

BookmarkStore ExportAndReadBack(const TempDir& dir, const std::vector<std::shared_ptr<FavoriteItem>>& items,
                                std::string* pBytes = nullptr)
{
    const std::string strPath = dir.File("bookmarks.html");
    const ExportOutcome outcome = ExportToFile(strPath, ExportBookmarks, items);
    EXPECT_EQ(outcome.m_nResult, ExportResult::Done);
    const std::string strBytes = ReadAll(strPath);
    if (pBytes)
        *pBytes = strBytes;
    EXPECT_TRUE(LooksLikeNetscapeBookmarks(strBytes));
    BookmarkReadResult read = ReadNetscapeBookmarks(strBytes);
    EXPECT_EQ(read.m_nResult, BookmarkRead::Read) << read.m_strError;
    return std::move(read.m_store);
}

const std::vector<std::shared_ptr<FavoriteItem>> Corners()
{
    return {
        Fav("", "Top \"quoted\" & <bold>", "https://example.org/?a=1&b=2&quot;"),
        Fav("News", "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "https://xn--caf-dma.example/\xC3\xA9t\xC3\xA9"),
        Fav("News/Sport", "Daily", "https://sport.example/daily", StatusBroken),
        Fav("Only/Folders/Deep", "Deep link", "http://deep.example/a/b/c?x=\"1\"&y=<2>", StatusPartiallyValid),
        Fav("News", "Second in News, after the subfolder", "https://example.org/2", StatusMoved),
        Fav("R&D <lab> \"x\"", "It's 'single' too", "https://rd.example/", StatusUnverified),
        Fav("", "No address is no bookmark", ""),
        Fav("", "Valid", "https://valid.example/", StatusValid),
    };
}

TEST(BookmarksExport, ReadBackGivesTheSameFoldersNamesAndAddresses)
{
    TempDir dir;
    std::string strBytes;
    const BookmarkStore store = ExportAndReadBack(dir, Corners(), &strBytes);
    const std::vector<std::string> expected = {
        "|Top \"quoted\" & <bold>|https://example.org/?a=1&b=2&quot;",
        "News/",
        "News|Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC|https://xn--caf-dma.example/\xC3\xA9t\xC3\xA9",
        "News/Sport/",
        "News/Sport|Daily|https://sport.example/daily",
        "News|Second in News, after the subfolder|https://example.org/2",
        "Only/",
        "Only/Folders/",
        "Only/Folders/Deep/",
        "Only/Folders/Deep|Deep link|http://deep.example/a/b/c?x=\"1\"&y=<2>",
        "R&D <lab> \"x\"/",
        "R&D <lab> \"x\"|It's 'single' too|https://rd.example/",
        "|Valid|https://valid.example/",
    };
    EXPECT_EQ(Outline(store), expected);

    // What browsers look for, in UTF-8 without a byte order mark.
    EXPECT_TRUE(strBytes.starts_with("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    EXPECT_NE(strBytes.find("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"),
              std::string::npos);
    EXPECT_NE(strBytes.find("<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"), std::string::npos);
    EXPECT_TRUE(strBytes.ends_with("</DL><p>\n"));
    EXPECT_NE(strBytes.find("<DT><H3>R&amp;D &lt;lab&gt; &quot;x&quot;</H3>"), std::string::npos);
    EXPECT_NE(strBytes.find("HREF=\"https://example.org/?a=1&amp;b=2&amp;quot;\""), std::string::npos);
    EXPECT_EQ(strBytes.find("ADD_DATE"), std::string::npos); // no file, no time
}

TEST(BookmarksExport, LeavingOutBrokenOnesDropsWhatTheReportCountsAsBroken)
{
    TempDir dir;
    const BookmarkStore store = ExportAndReadBack(dir, LeaveOutBroken(Corners()));
    // Sport and the deep folders held only broken links: no folder is left
    // behind empty.
    const std::vector<std::string> expected = {
        "|Top \"quoted\" & <bold>|https://example.org/?a=1&b=2&quot;",
        "News/",
        "News|Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC|https://xn--caf-dma.example/\xC3\xA9t\xC3\xA9",
        "News|Second in News, after the subfolder|https://example.org/2",
        "R&D <lab> \"x\"/",
        "R&D <lab> \"x\"|It's 'single' too|https://rd.example/",
        "|Valid|https://valid.example/",
    };
    EXPECT_EQ(Outline(store), expected);
}

TEST(BookmarksExport, AnEmptyListIsAnEmptyBookmarksFile)
{
    TempDir dir;
    std::string strBytes;
    const BookmarkStore store = ExportAndReadBack(dir, {}, &strBytes);
    EXPECT_TRUE(store.m_entries.empty());
    EXPECT_TRUE(strBytes.ends_with("<H1>Bookmarks</H1>\n<DL><p>\n</DL><p>\n"));
    // Everything broken and left out: the same.
    EXPECT_TRUE(LeaveOutBroken(std::vector{Fav("A", "x", "https://x.example/", StatusBroken)}).empty());
}

TEST(BookmarksExport, AFavouriteFileGivesItsTimeAsTheDateItWasAdded)
{
    TempDir dir;
    const std::string strFile = dir.File("Daily.url");
    std::ofstream(strFile) << "[InternetShortcut]\nURL=https://daily.example/\n";
    struct utimbuf times {1600000000, 1600000000};
    ASSERT_EQ(::utime(strFile.c_str(), &times), 0);
    auto pItem = Fav("", "Daily", "https://daily.example/");
    pItem->m_strPath = strFile;
    pItem->m_fileId.m_nInode = 1; // a record the scan made
    std::string strBytes;
    ExportAndReadBack(dir, {pItem}, &strBytes);
    EXPECT_NE(strBytes.find("<DT><A HREF=\"https://daily.example/\" ADD_DATE=\"1600000000\">Daily</A>"),
              std::string::npos)
        << strBytes;
}

TEST(BookmarksExport, ALocalPathBecomesAFileAddress)
{
    TempDir dir;
    const BookmarkStore store = ExportAndReadBack(dir, {Fav("", "Notes", "/home/u/My Notes/a&b.txt")});
    ASSERT_EQ(store.m_entries.size(), 1u);
    EXPECT_EQ(store.m_entries[0].m_strUrl, "file:///home/u/My%20Notes/a%26b.txt");
}

} // namespace
