// zorbel-check on the bookmarks users keep, in a home of its own: a
// browser's default profile found by --browser, a Chromium Bookmarks file
// named as the source, their folders and names in --results, and what an
// unreadable or missing store makes of the exit status.

#include <gtest/gtest.h>

#include <cstring>

#include "CheckProcess.h"
#include "core/export/ExportTestSupport.h"
#include "support/ScanTestFiles.h"
#include "support/BookmarkStores.h"
#include "support/TestHttpServer.h"

namespace {

using namespace bookmarkstore;
using export_test::ReadBytes;
using scantest::TempFolder;
using scantest::WriteFile;

std::vector<std::string> Rows(const std::string& strText)
{
    std::vector<std::string> rows;
    for (std::size_t nStart = 0, nEnd; (nEnd = strText.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2)
        rows.push_back(strText.substr(nStart, nEnd - nStart));
    return rows;
}

class CheckBookmarks : public ::testing::Test {
protected:
    CheckProcessResult Run(const std::vector<std::string>& args)
    {
        CheckProcessOptions options;
        options.m_env.emplace("HOME", m_home.Path());
        options.m_env.emplace("XDG_CONFIG_HOME", m_home.Path() + "/.config");
        options.m_env.emplace("TMPDIR", m_home.Path());
        return RunZorbelCheckProcess(args, options);
    }

    TempFolder m_home;
    CTestHttpServer m_server;
};

TEST_F(CheckBookmarks, FirefoxsDefaultProfileWithItsFoldersAndNames)
{
    const std::string strProfile = MakeFirefoxProfile(m_home.Path());
    {
        CPlacesDatabase db(strProfile + "/places.sqlite", true);
        const auto nNews = db.AddFolder(CPlacesDatabase::kToolbar, "News, daily");
        db.AddBookmark(nNews, "Front page", m_server.Url("/ok/front"));
        db.AddBookmark(nNews, "Gone", m_server.Url("/missing/old"));
        db.AddSeparator(CPlacesDatabase::kToolbar);
        db.AddBookmark(CPlacesDatabase::kMenu, "Moved", m_server.Url("/moved/x"));
        db.AddBookmark(CPlacesDatabase::kMenu, "Recent", "place:sort=4");
    }
    const std::string strResults = m_home.Path() + "/results.csv";
    const CheckProcessResult result = Run({"--browser", "firefox", "-t", "5", "--results", strResults});
    EXPECT_EQ(result.m_nExitStatus, 1) << result.m_strErr;
    EXPECT_NE(result.m_strOut.find("\n1 link is \"partially\" broken\n"), std::string::npos) << result.m_strOut;
    const std::vector<std::string> rows = Rows(ReadBytes(strResults));
    ASSERT_EQ(rows.size(), 4u) << ReadBytes(strResults);
    EXPECT_TRUE(rows[1].starts_with("\"Bookmarks Toolbar/News, daily\",Front page," + m_server.Url("/ok/front") +
                                    ",Valid,"))
        << rows[1];
    EXPECT_TRUE(rows[2].starts_with("\"Bookmarks Toolbar/News, daily\",Gone," + m_server.Url("/missing/old") +
                                    ",Partially Valid,"))
        << rows[2];
    EXPECT_TRUE(rows[3].starts_with("Bookmarks Menu,Moved," + m_server.Url("/moved/x") + ",")) << rows[3];
    // Nothing is left in the temporary folder but what the test put there.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(m_home.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".mozilla", "results.csv"}));
}

TEST_F(CheckBookmarks, AChromiumBookmarksFileNamedAsTheSource)
{
    const std::string strBookmarks = m_home.Path() + "/.config/chromium/Default/Bookmarks";
    WriteFile(strBookmarks, ChromiumBookmarksJson({Folder("Work", {Link("Tracker", m_server.Url("/ok/t"))})},
                                                  {Link("Later", m_server.Url("/ok/l"))}));
    const std::string strResults = m_home.Path() + "/results.csv";
    const CheckProcessResult result = Run({"-q", "-t", "5", "--results", strResults, strBookmarks});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    const std::vector<std::string> rows = Rows(ReadBytes(strResults));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[1].starts_with("Bookmarks bar/Work,Tracker," + m_server.Url("/ok/t") + ",Valid,")) << rows[1];
    EXPECT_TRUE(rows[2].starts_with("Other bookmarks,Later," + m_server.Url("/ok/l") + ",Valid,")) << rows[2];
    // The same through --browser.
    const CheckProcessResult browser = Run({"-q", "-t", "5", "--browser", "chromium"});
    EXPECT_EQ(browser.m_nExitStatus, 0) << browser.m_strErr;
}

TEST_F(CheckBookmarks, AStoreThatCannotBeReadOrFoundExitsWithTwo)
{
    const CheckProcessResult none = Run({"--browser", "firefox"});
    EXPECT_EQ(none.m_nExitStatus, 2);
    EXPECT_EQ(none.m_strErr, "zorbel-check: No Firefox profile was found: there is no " + m_home.Path() +
                                 "/.mozilla/firefox/profiles.ini, " + m_home.Path() +
                                 "/snap/firefox/common/.mozilla/firefox/profiles.ini or " + m_home.Path() +
                                 "/.var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini.\n");
    EXPECT_EQ(none.m_strOut, "");

    const std::string strPlaces = MakeFirefoxProfile(m_home.Path()) + "/places.sqlite";
    WriteFile(strPlaces, std::string("SQLite format 3\0", 16) + std::string(4000, '\x7f'));
    const CheckProcessResult corrupt = Run({"--browser", "firefox"});
    EXPECT_EQ(corrupt.m_nExitStatus, 2);
    EXPECT_EQ(corrupt.m_strErr,
              "zorbel-check: The specified URL/File: " + strPlaces + "\ncannot be downloaded or opened.\n");
    const CheckProcessResult named = Run({strPlaces});
    EXPECT_EQ(named.m_nExitStatus, 2);
}

} // namespace
