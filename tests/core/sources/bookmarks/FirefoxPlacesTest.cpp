// Firefox's places.sqlite as a source: the toolbar, menu, other and mobile
// roots in that order, each folder in the browser's order, separators,
// queries, tags and cut-off entries left out; read from a private copy with
// its -wal file, so that a running Firefox's lock and its newest changes
// are no obstacle and the user's files are left exactly as they were; a
// damaged or unrelated database is a source error.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "BookmarkTestSupport.h"
#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"

using namespace bookmarktest;

namespace {

std::string ReadBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every file of a folder with its bytes.
std::vector<std::pair<std::string, std::string>> FolderState(const std::string& strFolder)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(strFolder))
        files.emplace_back(entry.path().filename().string(), ReadBytes(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

class FirefoxPlaces : public BookmarkStoreTest {
protected:
    std::string m_strPlaces = m_dir / "profile/places.sqlite";
    FirefoxPlaces() { std::filesystem::create_directories(m_dir / "profile"); }
};

TEST_F(FirefoxPlaces, TheRootsFoldersAndBookmarksInTheBrowsersOrder)
{
    {
        CPlacesDatabase db(m_strPlaces);
        db.AddBookmark(CPlacesDatabase::kMenu, "Debian", "https://www.debian.org/");
        const auto nNews = db.AddFolder(CPlacesDatabase::kToolbar, "News");
        const auto nLwn = db.AddBookmark(nNews, "LWN", "https://lwn.net/");
        const auto nHn = db.AddBookmark(nNews, "Hacker  News\n", "https://news.ycombinator.com/");
        db.AddSeparator(nNews);
        const auto nDeep = db.AddFolder(nNews, "Deep");
        db.AddBookmark(nDeep, "", "http://untitled.example/");
        db.AddBookmark(CPlacesDatabase::kToolbar, "Kernel", "https://kernel.org/");
        db.AddBookmark(CPlacesDatabase::kToolbar, "Most Visited", "place:sort=8&maxResults=10");
        db.AddBookmark(CPlacesDatabase::kUnfiled, "Other one", "ftp://ftp.example/");
        // The order is the position, not the order of creation.
        db.Exec("UPDATE moz_bookmarks SET position = 0 WHERE id = " + std::to_string(nHn));
        db.Exec("UPDATE moz_bookmarks SET position = 1 WHERE id = " + std::to_string(nLwn));
        // A tag is a folder below the tags root holding a second bookmark
        // of the same page.
        const auto nTag = db.AddFolder(CPlacesDatabase::kTags, "linux");
        db.AddBookmark(nTag, "", "https://lwn.net/");
        // A deleted folder: gone from moz_bookmarks, remembered for sync,
        // and a bookmark still naming it as its parent.
        const auto nGone = db.AddFolder(CPlacesDatabase::kMenu, "Gone");
        db.AddBookmark(nGone, "Orphan", "http://orphan.example/");
        db.Exec("INSERT INTO moz_bookmarks_deleted (guid, dateRemoved) SELECT guid, 1 FROM moz_bookmarks WHERE id = " +
                std::to_string(nGone));
        db.Exec("DELETE FROM moz_bookmarks WHERE id = " + std::to_string(nGone));
    }
    const Populated result = PopulateFile(m_strPlaces);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_LISTREADY});
    EXPECT_EQ(result.Outline(), "Bookmarks Toolbar\n"
                                "  News\n"
                                "    Hacker News\n"
                                "    LWN\n"
                                "    Deep\n"
                                "      http://untitled.example/\n"
                                "  Kernel\n"
                                "Bookmarks Menu\n"
                                "  Debian\n"
                                "Other Bookmarks\n"
                                "  Other one\n");
    EXPECT_EQ(result.Records(), (std::vector<std::string>{
                                    "Bookmarks Toolbar/News | Hacker News | https://news.ycombinator.com/ @2",
                                    "Bookmarks Toolbar/News | LWN | https://lwn.net/ @2",
                                    "Bookmarks Toolbar/News/Deep | http://untitled.example/ | http://untitled.example/ @3",
                                    "Bookmarks Toolbar | Kernel | https://kernel.org/ @1",
                                    "Bookmarks Menu | Debian | https://www.debian.org/ @1",
                                    "Other Bookmarks | Other one | ftp://ftp.example/ @1",
                                }));
    for (const auto& pItem : result.m_pSink->Items()) {
        EXPECT_EQ(pItem->m_strPath, m_strPlaces);
        EXPECT_EQ(pItem->m_nKind, KindInternetFavorite);
        EXPECT_EQ(pItem->Status(), StatusNotChecked);
    }
    EXPECT_EQ(result.m_pSink->ExpandCount(), 1);
    EXPECT_TRUE(result.m_pSink->TreeEnabled());
    EXPECT_TRUE(TempLeftovers().empty());
}

TEST_F(FirefoxPlaces, TheNewestBookmarkInTheWalFileIsReadAndTheUsersFilesStayAsTheyWere)
{
    CPlacesDatabase db(m_strPlaces, true);
    db.AddBookmark(CPlacesDatabase::kToolbar, "Older", "http://older.example/");
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    db.AddBookmark(CPlacesDatabase::kToolbar, "Newest", "http://newest.example/");
    struct stat wal {};
    ASSERT_EQ(stat((m_strPlaces + "-wal").c_str(), &wal), 0);
    ASSERT_GT(wal.st_size, 0) << "the newest bookmark is only in the -wal file";
    const auto before = FolderState(m_dir / "profile");

    const Populated result = PopulateFile(m_strPlaces);
    EXPECT_EQ(result.Outline(), "Bookmarks Toolbar\n  Older\n  Newest\n");
    EXPECT_EQ(FolderState(m_dir / "profile"), before);
    EXPECT_TRUE(TempLeftovers().empty());
}

TEST_F(FirefoxPlaces, ADatabaseLockedByAnotherConnectionIsStillRead)
{
    // Rollback journal with an exclusive lock: no reader could open it.
    {
        CPlacesDatabase db(m_strPlaces);
        db.AddBookmark(CPlacesDatabase::kMenu, "Committed", "http://committed.example/");
        db.Exec("BEGIN EXCLUSIVE");
        db.AddBookmark(CPlacesDatabase::kMenu, "Uncommitted", "http://uncommitted.example/");
        const Populated result = PopulateFile(m_strPlaces);
        EXPECT_EQ(result.Outline(), "Bookmarks Menu\n  Committed\n");
        db.Exec("ROLLBACK");
    }
    // Firefox's own way: WAL in exclusive locking mode, in a write transaction.
    const std::string strWal = m_dir / "profile/wal.sqlite";
    CPlacesDatabase db(strWal, true);
    db.Exec("PRAGMA locking_mode = EXCLUSIVE");
    db.AddBookmark(CPlacesDatabase::kMenu, "Committed", "http://committed.example/");
    db.Exec("BEGIN IMMEDIATE");
    db.AddBookmark(CPlacesDatabase::kMenu, "Uncommitted", "http://uncommitted.example/");
    const Populated result = PopulateFile(strWal);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_LISTREADY});
    EXPECT_EQ(result.Outline(), "Bookmarks Menu\n  Committed\n");
    db.Exec("COMMIT");
}

TEST_F(FirefoxPlaces, ACorruptOrTruncatedDatabaseIsASourceError)
{
    {
        CPlacesDatabase db(m_strPlaces);
        db.Exec("BEGIN");
        for (int i = 0; i < 2000; ++i)
            db.AddBookmark(CPlacesDatabase::kMenu, "Site " + std::to_string(i), "http://site.example/" + std::to_string(i));
        db.Exec("COMMIT");
    }
    const std::string strWhole = ReadBytes(m_strPlaces);
    ASSERT_GT(strWhole.size(), 4 * 32768u);

    const auto expectError = [&](const std::string& strBytes, const char* pszCase) {
        const std::string strPath = m_dir / "damaged.sqlite";
        WriteFile(strPath, strBytes);
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_SOURCEERROR}) << pszCase;
        EXPECT_EQ(result.m_pSink->NodeCount(), 0u) << pszCase;
        EXPECT_EQ(result.m_report.m_strSourceError,
                  "The specified URL/File: " + strPath + "\ncannot be downloaded or opened.")
            << pszCase;
    };
    expectError(strWhole.substr(0, strWhole.size() / 2), "cut in half");
    expectError(strWhole.substr(0, 100), "only the header");
    std::string strScrambled = strWhole;
    for (size_t n = 32768; n < strScrambled.size(); n += 7)
        strScrambled[n] = char(n * 31);
    expectError(strScrambled, "pages overwritten");
    expectError(std::string("SQLite format 3\0", 16) + std::string(5000, 'x'), "a header and nothing else");
    EXPECT_TRUE(TempLeftovers().empty());
}

TEST_F(FirefoxPlaces, AnotherProgramsDatabaseIsASourceErrorNotAnEmptyList)
{
    // Its text would end at the header's NUL byte: no link, "nothing broken".
    const std::string strOther = m_dir / "history.sqlite";
    {
        CPlacesDatabase db(strOther);
        db.Exec("DROP TABLE moz_bookmarks");
        db.Exec("CREATE TABLE urls (url TEXT); INSERT INTO urls VALUES ('http://kept.example/page')");
    }
    const Populated result = PopulateFile(strOther);
    EXPECT_EQ(result.Messages(), std::vector<ViewMessage>{UM_SOURCEERROR});

    // The same file where Firefox's store should be.
    const std::string strProfile = MakeFirefoxProfile(m_dir / "home");
    std::filesystem::copy_file(strOther, strProfile + "/places.sqlite");
    EnvGuard home("HOME", m_dir / "home");
    const Populated browser = Populate({"", "", "firefox"});
    EXPECT_EQ(browser.Messages(), std::vector<ViewMessage>{UM_SOURCEERROR});
    EXPECT_EQ(browser.m_report.m_strStore, strProfile + "/places.sqlite");
    EXPECT_EQ(browser.m_report.m_strSourceError,
              "The specified URL/File: " + strProfile + "/places.sqlite\ncannot be downloaded or opened.");
}

TEST_F(FirefoxPlaces, AVanishedDatabaseIsASourceError)
{
    EXPECT_EQ(ReadBookmarkStore(m_dir / "profile/gone.sqlite", BookmarkFormat::FirefoxPlaces, [] { return false; })
                  .m_nResult,
              BookmarkRead::Failed);
    EXPECT_TRUE(TempLeftovers().empty());
}

} // namespace
