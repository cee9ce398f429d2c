// Firefox's places.sqlite as a source: the toolbar, menu, other and mobile
// roots in that order, each folder in the browser's order, separators,
// queries, tags and cut-off entries left out; read from a private copy with
// its -wal file, so that a running Firefox's lock and its newest changes
// are no obstacle and the user's files are left exactly as they were; a
// damaged or unrelated database is a source error.
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
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
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << pszCase;
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
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});

    // The same file where Firefox's store should be.
    const std::string strProfile = MakeFirefoxProfile(m_dir / "home");
    std::filesystem::copy_file(strOther, strProfile + "/places.sqlite");
    EnvGuard home("HOME", m_dir / "home");
    const Populated browser = Populate({"", "", "firefox"});
    EXPECT_EQ(browser.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_EQ(browser.m_report.m_strStore, strProfile + "/places.sqlite");
    // The message names the file and what it lacks.
    EXPECT_EQ(browser.m_report.m_strSourceError,
              "The specified URL/File: " + strProfile + "/places.sqlite\ncannot be downloaded or opened.\n"
              "It is an SQLite database, but not Firefox's bookmarks: it has no table moz_bookmarks.");
}

TEST_F(FirefoxPlaces, AVanishedDatabaseIsASourceError)
{
    EXPECT_EQ(ReadBookmarkStore(m_dir / "profile/gone.sqlite", BookmarkFormat::FirefoxPlaces, [] { return false; })
                  .m_nResult,
              BookmarkRead::Failed);
    EXPECT_TRUE(TempLeftovers().empty());
}

// A store as Firefox 3 wrote it: no GUIDs, the roots named in
// moz_bookmarks_roots, its own trigger on moz_bookmarks.
void MakeFirefox3Store(const std::string& strPath, bool bWithGuids)
{
    sqlite3* pDb = nullptr;
    ASSERT_EQ(sqlite3_open(strPath.c_str(), &pDb), SQLITE_OK);
    const std::string strSql = std::string(R"SQL(
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,
  favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,
  position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER,
  lastModified INTEGER)SQL") + (bWithGuids ? ", guid TEXT" : "") + R"SQL();
CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE);
CREATE TRIGGER moz_bookmarks_beforedelete_v1_trigger BEFORE DELETE ON moz_bookmarks FOR EACH ROW
  WHEN OLD.keyword_id NOT NULL BEGIN DELETE FROM moz_keywords WHERE id = OLD.keyword_id AND NOT EXISTS
  (SELECT id FROM moz_bookmarks WHERE keyword_id = OLD.keyword_id AND id <> OLD.id LIMIT 1); END;
INSERT INTO moz_bookmarks (id, type, parent, position, title) VALUES
  (1, 2, 0, 0, ''), (2, 2, 1, 0, 'Bookmarks Menu'), (3, 2, 1, 1, 'Bookmarks Toolbar'), (4, 2, 1, 2, 'Tags'),
  (5, 2, 1, 3, 'Unsorted Bookmarks');
INSERT INTO moz_bookmarks_roots VALUES ('places', 1), ('menu', 2), ('toolbar', 3), ('tags', 4), ('unfiled', 5);
INSERT INTO moz_places (id, url, title, rev_host) VALUES (1, 'http://www.mozilla.com/firefox/central/',
  'Getting Started', 'moc.allizom.www.'), (2, 'http://fx3.example/news', 'News', 'elpmaxe.3xf.'),
  (3, 'http://fx3.example/old', 'Old', 'elpmaxe.3xf.');
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES
  (6, 1, 1, 3, 0, 'Getting Started'), (7, 2, NULL, 2, 1, 'Mozilla Firefox'), (8, 1, 2, 7, 0, 'News'),
  (9, 3, NULL, 2, 0, NULL), (10, 1, 3, 5, 0, 'Old');
PRAGMA user_version = 5;
)SQL";
    ASSERT_EQ(sqlite3_exec(pDb, strSql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(pDb);
    if (bWithGuids) { // Firefox 4 to 30: every row has a GUID, the roots random ones
        ASSERT_EQ(sqlite3_exec(pDb, "UPDATE moz_bookmarks SET guid = 'Rnd' || id || 'abcdefgh'", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
    }
    sqlite3_close(pDb);
}

TEST_F(FirefoxPlaces, OlderSchemasFindTheirRootsInMozBookmarksRoots)
{
    for (const bool bWithGuids : {false, true}) {
        const std::string strPath = m_dir / (bWithGuids ? "fx4.sqlite" : "fx3.sqlite");
        MakeFirefox3Store(strPath, bWithGuids);
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady}) << result.m_report.m_strSourceError;
        EXPECT_EQ(result.Records(), (std::vector<std::string>{
                                        "Bookmarks Toolbar | Getting Started | http://www.mozilla.com/firefox/central/ @1",
                                        "Bookmarks Menu/Mozilla Firefox | News | http://fx3.example/news @2",
                                        "Other Bookmarks | Old | http://fx3.example/old @1",
                                    }))
            << bWithGuids;
    }
}

TEST_F(FirefoxPlaces, AStoreWithoutWhatFirefoxKeepsSaysWhatIsMissing)
{
    const auto messageFor = [&](const std::string& strName, const std::string& strSql) {
        const std::string strPath = m_dir / strName;
        {
            CPlacesDatabase db(strPath);
            db.Exec(strSql);
        }
        const Populated result = PopulateFile(strPath);
        EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << strName;
        const std::string strHead = "The specified URL/File: " + strPath + "\ncannot be downloaded or opened.\n";
        EXPECT_TRUE(result.m_report.m_strSourceError.starts_with(strHead)) << result.m_report.m_strSourceError;
        return result.m_report.m_strSourceError.substr(std::min(strHead.size(), result.m_report.m_strSourceError.size()));
    };
    EXPECT_EQ(messageFor("no-places.sqlite", "DROP TABLE moz_places"),
              "It is an SQLite database, but not Firefox's bookmarks: it has no table moz_places.");
    EXPECT_EQ(messageFor("no-roots.sqlite", "UPDATE moz_bookmarks SET guid = 'x' || id"),
              "It is an SQLite database with Firefox's tables, but no bookmark root: neither the roots' GUIDs nor a "
              "table moz_bookmarks_roots.");
    EXPECT_EQ(messageFor("view.sqlite", "ALTER TABLE moz_places RENAME TO real_places; "
                                        "CREATE VIEW moz_places AS SELECT * FROM real_places"),
              "It is an SQLite database, but not Firefox's bookmarks: it has no table moz_places.");
    EXPECT_EQ(messageFor("no-column.sqlite", "DROP INDEX moz_bookmarks_parentindex; ALTER TABLE moz_bookmarks DROP COLUMN position"),
              "It is an SQLite database, but not Firefox's bookmarks: its table moz_bookmarks has no column position.");
}

TEST_F(FirefoxPlaces, AColumnTheFileComputesItselfIsRefusedBeforeItRuns)
{
    // Every read of `url` would build 50 MB: the file's own expression.
    const std::string strPath = m_dir / "generated.sqlite";
    {
        CPlacesDatabase db(strPath);
        db.Exec("BEGIN");
        for (int i = 0; i < 50; ++i)
            db.AddBookmark(CPlacesDatabase::kMenu, "Site " + std::to_string(i), "http://site.example/");
        db.Exec("COMMIT");
        db.Exec("ALTER TABLE moz_places RENAME COLUMN url TO stored_url");
        db.Exec("ALTER TABLE moz_places ADD COLUMN url TEXT GENERATED ALWAYS AS "
                "(stored_url || printf('%.*c', 50000000, 'x')) VIRTUAL");
    }
    const Populated result = PopulateFile(strPath);
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_TRUE(result.m_report.m_strSourceError.ends_with(
        "\nThe column url of its table moz_places is computed by the file itself, which Firefox never does; it is not "
        "read."))
        << result.m_report.m_strSourceError;
    EXPECT_EQ(result.m_pSink->NodeCount(), 0u);
    EXPECT_TRUE(TempLeftovers().empty());
}

TEST_F(FirefoxPlaces, AStoreLargerThanTheLimitIsRefusedWithoutBeingCopied)
{
    // A real store made sparse beyond the limit: 2 GB on paper, a few
    // kilobytes on disk.
    {
        CPlacesDatabase db(m_strPlaces);
        db.AddBookmark(CPlacesDatabase::kMenu, "Kept", "http://kept.example/");
    }
    ASSERT_EQ(::truncate(m_strPlaces.c_str(), off_t(2) << 30), 0);
    const Populated result = PopulateFile(m_strPlaces);
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_TRUE(result.m_report.m_strSourceError.ends_with(
        "\nIt is larger than 1024 MB, more than any Firefox profile's bookmarks and history take."))
        << result.m_report.m_strSourceError;
    EXPECT_TRUE(TempLeftovers().empty());
}

TEST_F(FirefoxPlaces, AValueLongerThanTheLimitRefusesTheStore)
{
    {
        CPlacesDatabase db(m_strPlaces);
        db.AddBookmark(CPlacesDatabase::kMenu, std::string(17 << 20, 't'), "http://long.example/");
    }
    const Populated result = PopulateFile(m_strPlaces);
    EXPECT_EQ(result.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_NE(result.m_report.m_strSourceError.find("16 MB in one"), std::string::npos)
        << result.m_report.m_strSourceError;
}

} // namespace
