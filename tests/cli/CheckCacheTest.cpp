// zorbel-check and the results cache, counted at our own server: without
// --cache nothing is read or written; with it a second run asks the server
// nothing for what the first found, an outcome older than --max-cache-age is
// checked again, a new link is checked and kept; a bad age is a clear
// error. --leave-out-broken leaves the broken links out of every export, the
// bookmarks file for browsers among them.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CheckProcess.h"
#include "core/export/ExportTestSupport.h"
#include "core/results/ResultsCache.h"
#include "core/sources/bookmarks/NetscapeBookmarks.h"
#include "support/ScanTestFiles.h"
#include "support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using export_test::ReadBytes;
using scantest::TempFolder;
using scantest::WriteFile;

class CheckCache : public ::testing::Test {
protected:
    std::string PageWith(const std::vector<std::string>& links)
    {
        std::string strPage;
        for (const std::string& strLink : links)
            strPage += "<a href=\"" + strLink + "\">link</a>\n";
        const std::string strPath = m_home.Path() + "/page.html";
        WriteFile(strPath, strPage);
        return strPath;
    }

    // A run with content checks off, so that every link is one request.
    CheckProcessResult Run(std::vector<std::string> args)
    {
        CheckProcessOptions options;
        options.m_env.emplace("HOME", m_home.Path());
        options.m_env.emplace("XDG_CONFIG_HOME", m_home.Path() + "/.config");
        options.m_env.emplace("XDG_CACHE_HOME", m_home.Path() + "/cache");
        args.insert(args.begin(), {"-t", "5", "--no-content-checks"});
        return RunZorbelCheckProcess(args, options);
    }

    // The requests the server got during the run.
    std::size_t Requests(const std::vector<std::string>& args, CheckProcessResult* pResult = nullptr)
    {
        const std::size_t nBefore = m_server.RequestCount();
        const CheckProcessResult result = Run(args);
        if (pResult)
            *pResult = result;
        return m_server.RequestCount() - nBefore;
    }

    std::string CacheFolder() const { return m_home.Path() + "/cache/zorbel"; }

    TempFolder m_home;
    CTestHttpServer m_server;
};

TEST_F(CheckCache, WithoutTheOptionTheCacheIsNeitherReadNorWritten)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1"), m_server.Url("/ok/2")});
    EXPECT_EQ(Requests({"-q", strPage}), 2u);
    EXPECT_EQ(Requests({"-q", strPage}), 2u);
    EXPECT_FALSE(std::filesystem::exists(CacheFolder()));

    // A cache written by a run with --cache is not read by one without.
    EXPECT_EQ(Requests({"-q", "--cache", strPage}), 2u);
    EXPECT_EQ(Requests({"-q", strPage}), 2u);
}

TEST_F(CheckCache, ASecondRunTakesTheKeptOutcomesAndChecksOnlyWhatIsNew)
{
    const std::vector<std::string> links = {m_server.Url("/ok/1"), m_server.Url("/missing/2"), m_server.Url("/ok/3")};
    const std::string strPage = PageWith(links);
    CheckProcessResult first;
    EXPECT_EQ(Requests({"--cache", strPage}, &first), 3u);
    EXPECT_EQ(first.m_nExitStatus, 1) << first.m_strErr;

    CheckProcessResult second;
    EXPECT_EQ(Requests({"--cache", strPage}, &second), 0u);
    EXPECT_EQ(second.m_nExitStatus, 1) << second.m_strErr; // the kept partial counts as it did
    EXPECT_EQ(second.m_strOut, first.m_strOut);

    // One link more: only that one is asked for, and kept.
    PageWith({links[0], links[1], links[2], m_server.Url("/ok/4")});
    EXPECT_EQ(Requests({"-q", "--cache", strPage}), 1u);
    EXPECT_EQ(Requests({"-q", "--cache", strPage}), 0u);

    ResultsCacheOpen opened = CResultsCache::Open(CacheFolder() + "/results.sqlite");
    ASSERT_TRUE(opened.m_pCache) << opened.m_strNotice;
    EXPECT_EQ(opened.m_pCache->Count(), 4u);
}

TEST_F(CheckCache, OutcomesOlderThanTheAgeAreCheckedAgain)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1"), m_server.Url("/ok/2")});
    EXPECT_EQ(Requests({"-q", "--cache", strPage}), 2u);
    EXPECT_EQ(Requests({"-q", "--cache", "--max-cache-age", "1h", strPage}), 0u);
    std::this_thread::sleep_for(2100ms);
    EXPECT_EQ(Requests({"-q", "--cache", "--max-cache-age=1s", strPage}), 2u);
    // Checked again just now, so kept afresh.
    EXPECT_EQ(Requests({"-q", "--cache", "--max-cache-age", "60", strPage}), 0u);
}

TEST_F(CheckCache, ABadAgeIsAClearErrorBeforeAnythingIsChecked)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    for (const char* pszBad : {"1w", "-5", "soon", ""}) {
        CheckProcessResult result;
        EXPECT_EQ(Requests({"--cache", "--max-cache-age", pszBad, strPage}, &result), 0u);
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_NE(result.m_strErr.find("--max-cache-age takes an age such as"), std::string::npos) << result.m_strErr;
        EXPECT_NE(result.m_strErr.find("\"" + std::string(pszBad) + "\""), std::string::npos) << result.m_strErr;
    }
    CheckProcessResult result;
    EXPECT_EQ(Requests({"--max-cache-age", "1d", strPage}, &result), 0u);
    EXPECT_EQ(result.m_nExitStatus, 2);
    EXPECT_NE(result.m_strErr.find("--max-cache-age needs --cache"), std::string::npos) << result.m_strErr;
}

TEST_F(CheckCache, ADamagedCacheIsMovedAsideWithALineAndTheRunGoesOn)
{
    std::filesystem::create_directories(CacheFolder());
    WriteFile(CacheFolder() + "/results.sqlite", std::string(4096, '#'));
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    CheckProcessResult result;
    EXPECT_EQ(Requests({"-q", "--cache", strPage}, &result), 1u);
    EXPECT_EQ(result.m_nExitStatus, 0);
    EXPECT_NE(result.m_strErr.find("zorbel-check: The results cache \"" + CacheFolder() +
                                   "/results.sqlite\" was damaged; it was moved to"),
              std::string::npos)
        << result.m_strErr;
    EXPECT_EQ(Requests({"-q", "--cache", strPage}), 0u);
}

TEST_F(CheckCache, LeaveOutBrokenAppliesToEveryExport)
{
    const std::string strPage =
        PageWith({m_server.Url("/ok/1"), m_server.Url("/missing/2"), "http://127.0.0.1:1/closed"});
    const std::string strBookmarks = m_home.Path() + "/bookmarks.html";
    const std::string strUrls = m_home.Path() + "/urls.txt";
    const std::string strAll = m_home.Path() + "/all.txt";
    const CheckProcessResult result =
        Run({"-q", "--leave-out-broken", "--export", "bookmarks", strBookmarks, "--export", "urls", strUrls, strPage});
    EXPECT_EQ(result.m_nExitStatus, 1) << result.m_strErr;
    const BookmarkReadResult read = ReadNetscapeBookmarks(ReadBytes(strBookmarks));
    ASSERT_EQ(read.m_nResult, BookmarkRead::Read);
    ASSERT_EQ(read.m_store.m_entries.size(), 1u);
    EXPECT_EQ(read.m_store.m_entries[0].m_strUrl, m_server.Url("/ok/1"));
    const std::string strText = ReadBytes(strUrls);
    EXPECT_NE(strText.find(m_server.Url("/ok/1")), std::string::npos);
    EXPECT_EQ(strText.find("/missing/2"), std::string::npos);
    EXPECT_EQ(strText.find("/closed"), std::string::npos);

    // Without the option every link is there.
    const CheckProcessResult all = Run({"-q", "--export", "urls", strAll, strPage});
    EXPECT_NE(ReadBytes(strAll).find("/missing/2"), std::string::npos);
    EXPECT_NE(ReadBytes(strAll).find("/closed"), std::string::npos);
}

} // namespace
