// The results cache keeps one outcome per URL between runs: what goes in
// comes out the same after the file is closed and opened again; an outcome
// older than the age asked for is not taken; two writers at once (two
// connections, two processes) both get every row in and leave a sound file;
// a file that is damaged or not ours is moved aside and a new cache begins.

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/EnvGuard.h"
#include "support/MemoryTreeSink.h"
#include "support/ScanTestFiles.h"
#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/results/KeptOutcomes.h"
#include "core/results/ResultsCache.h"

namespace {

using scantest::TempFolder;

KeptOutcome Outcome(std::string strUrl, std::int32_t nStatus, std::string strText, std::int64_t nAt,
                    std::string strFinal = {}, bool bPermanent = false)
{
    return {std::move(strUrl), nStatus, std::move(strText), std::move(strFinal), bPermanent, nAt};
}

std::unique_ptr<CResultsCache> OpenOk(const std::string& strPath)
{
    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    EXPECT_TRUE(opened.m_pCache) << opened.m_strNotice;
    EXPECT_EQ(opened.m_strNotice, "");
    return std::move(opened.m_pCache);
}

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> FilesStartingWith(const std::string& strFolder, const std::string& strPrefix)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(strFolder))
        if (entry.path().filename().string().starts_with(strPrefix))
            names.push_back(entry.path().filename().string());
    return names;
}

// The file's own verdict on itself.
std::string IntegrityOf(const std::string& strPath)
{
    sqlite3* pDb = nullptr;
    sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr);
    std::string strResult = "cannot open";
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(pDb, "PRAGMA integrity_check", -1, &pStmt, nullptr) == SQLITE_OK &&
        sqlite3_step(pStmt) == SQLITE_ROW)
        strResult = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, 0));
    sqlite3_finalize(pStmt);
    sqlite3_close(pDb);
    return strResult;
}

TEST(ResultsCache, WhatGoesInComesOutAfterAReopen)
{
    TempFolder dir;
    const std::string strPath = dir / "cache/zorbel/results.sqlite";
    const std::vector<KeptOutcome> outcomes = {
        Outcome("https://example.org/", StatusValid, "Link is valid.", 1765000000),
        Outcome("https://example.org/old", StatusMoved,
                "HTTP status code 301 (Redirect or Content Moved to \"https://example.org/new\")was received.",
                1765000100, "https://example.org/new", true),
        Outcome("https://gone.example/", StatusBroken, "The hostname could not be resolved (server not found).",
                1765000200),
        Outcome("https://example.org/caf\xC3\xA9?a=1&b=\"2\"", StatusPartiallyValid,
                "HTTP status code 404 (File Not Found, or Access Forbidden) was received.", 1765000300),
    };
    {
        auto pCache = OpenOk(strPath);
        ASSERT_TRUE(pCache);
        for (const KeptOutcome& outcome : outcomes)
            pCache->Put(outcome);
    } // closing writes what is queued
    struct stat st {};
    ASSERT_EQ(::stat((dir / "cache/zorbel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u); // the folder is the user's alone

    auto pCache = OpenOk(strPath);
    ASSERT_TRUE(pCache);
    std::vector<std::string> urls;
    for (const KeptOutcome& outcome : outcomes)
        urls.push_back(outcome.m_strUrl);
    urls.push_back("https://never.example/");
    const auto found = pCache->Find(urls);
    ASSERT_EQ(found.size(), urls.size());
    for (std::size_t n = 0; n < outcomes.size(); ++n) {
        ASSERT_TRUE(found[n]) << urls[n];
        EXPECT_EQ(*found[n], outcomes[n]);
    }
    EXPECT_FALSE(found.back());
    EXPECT_EQ(pCache->Count(), outcomes.size());

    // A newer outcome of a URL replaces the older one, redirect and all.
    pCache->Put(Outcome("https://example.org/old", StatusValid, "Link is valid.", 1765009999));
    pCache->Flush();
    const std::vector<std::string> one = {"https://example.org/old"};
    const auto again = pCache->Find(one);
    ASSERT_TRUE(again[0]);
    EXPECT_EQ(*again[0], Outcome("https://example.org/old", StatusValid, "Link is valid.", 1765009999));
    EXPECT_EQ(pCache->Count(), outcomes.size());
}

TEST(ResultsCache, TheDefaultPlaceFollowsTheCacheHome)
{
    {
        EnvGuard cache("XDG_CACHE_HOME", std::string("/tmp/c/"));
        EXPECT_EQ(DefaultResultsCachePath(), "/tmp/c/zorbel/results.sqlite");
    }
    {
        EnvGuard cache("XDG_CACHE_HOME", std::string("relative/path"));
        EnvGuard home("HOME", std::string("/home/u"));
        EXPECT_EQ(DefaultResultsCachePath(), "/home/u/.cache/zorbel/results.sqlite");
    }
    {
        EnvGuard cache("XDG_CACHE_HOME", std::nullopt);
        EnvGuard home("HOME", std::nullopt);
        EXPECT_EQ(DefaultResultsCachePath(), "");
    }
}

TEST(KeptOutcomes, OnlyOutcomesYoungEnoughAreTakenAndTheirIconsShown)
{
    TempFolder dir;
    auto pCache = OpenOk(dir / "results.sqlite");
    ASSERT_TRUE(pCache);
    const std::int64_t nNow = FavoriteItem::SecondsNow();
    pCache->Put(Outcome("https://fresh.example/", StatusBroken, "Unable to connect to the server.", nNow - 60));
    pCache->Put(Outcome("https://stale.example/", StatusValid, "Link is valid.", nNow - 3 * 86400));
    pCache->Put(Outcome("https://moved.example/", StatusMoved, "moved", nNow - 10, "https://moved.example/new", true));
    // A status no check ends with is never taken from the file.
    pCache->Put(Outcome("https://odd.example/", StatusChecking, "odd", nNow));
    pCache->Flush();

    MemoryTreeSink sink;
    const auto add = [&](const std::string& strUrl) {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = strUrl;
        pItem->m_nKind = KindInternetFavorite;
        pItem->m_hItem = sink.InsertNode(kTreeRoot, strUrl, ImageFor(KindInternetFavorite, StatusNotChecked), pItem);
        return pItem;
    };
    const auto pFresh = add("https://fresh.example/");
    const auto pStale = add("https://stale.example/");
    const auto pMoved = add("https://moved.example/");
    const auto pOdd = add("https://odd.example/");
    const auto pNever = add("https://never.example/");

    const KeptApplied applied = ApplyKeptOutcomes(*sink.List(), sink, *pCache, nNow - 86400);
    EXPECT_EQ(applied.m_nApplied, 2);
    EXPECT_EQ(applied.m_nBroken, 1);
    EXPECT_EQ(pFresh->Status(), StatusBroken);
    EXPECT_EQ(pFresh->StatusText(), "Unable to connect to the server.");
    EXPECT_EQ(pFresh->CheckedAt(), nNow - 60);
    EXPECT_EQ(sink.NodeAt(pFresh->m_hItem).m_nImage, ImageFor(KindInternetFavorite, StatusBroken));
    EXPECT_EQ(pMoved->Redirect(), (FavoriteRedirect{"https://moved.example/new", true}));
    EXPECT_EQ(pStale->Status(), StatusNotChecked);
    EXPECT_EQ(pStale->CheckedAt(), 0);
    EXPECT_EQ(sink.NodeAt(pStale->m_hItem).m_nImage, ImageFor(KindInternetFavorite, StatusNotChecked));
    EXPECT_EQ(pOdd->Status(), StatusNotChecked);
    EXPECT_EQ(pNever->Status(), StatusNotChecked);

    // Without an age limit the stale one is shown too (the window's start).
    EXPECT_EQ(ApplyKeptOutcomes(*sink.List(), sink, *pCache).m_nApplied, 3);
    EXPECT_EQ(pStale->Status(), StatusValid);
}

TEST(KeptOutcomes, AgesReadAsTheCommandLineWritesThem)
{
    EXPECT_EQ(ParseCacheAge("90"), 90);
    EXPECT_EQ(ParseCacheAge("90s"), 90);
    EXPECT_EQ(ParseCacheAge("15m"), 900);
    EXPECT_EQ(ParseCacheAge("12h"), 43200);
    EXPECT_EQ(ParseCacheAge("1d"), 86400);
    EXPECT_EQ(ParseCacheAge("0"), 0);
    for (const char* pszBad : {"", "d", "-1d", "+5", "1.5h", "1w", "1 d", "10dd", "99999999999999999999",
                               "999999999999999999d"})
        EXPECT_FALSE(ParseCacheAge(pszBad)) << pszBad;
}

TEST(ResultsCache, TwoConnectionsWritingAtOnceBothGetEveryRowIn)
{
    TempFolder dir;
    const std::string strPath = dir / "results.sqlite";
    constexpr int kEach = 3000;
    {
        auto pFirst = OpenOk(strPath);
        auto pSecond = OpenOk(strPath);
        ASSERT_TRUE(pFirst && pSecond);
        const auto write = [](CResultsCache& cache, const std::string& strPrefix) {
            for (int n = 0; n < kEach; ++n) {
                cache.Put(Outcome(strPrefix + std::to_string(n), StatusValid, "Link is valid.", 1765000000 + n));
                // Both also write the same shared URLs.
                if (n % 10 == 0)
                    cache.Put(Outcome("https://shared.example/" + std::to_string(n), StatusBroken, strPrefix, n));
                if (n % 500 == 0)
                    cache.Flush(); // many small transactions, interleaved with the other's
            }
            cache.Flush();
        };
        std::thread first([&] { write(*pFirst, "https://a.example/"); });
        std::thread second([&] { write(*pSecond, "https://b.example/"); });
        first.join();
        second.join();
    }
    EXPECT_EQ(IntegrityOf(strPath), "ok");
    auto pCache = OpenOk(strPath);
    ASSERT_TRUE(pCache);
    EXPECT_EQ(pCache->Count(), std::size_t(2 * kEach + kEach / 10));
}

TEST(ResultsCache, TwoProcessesWritingAtOnceBothGetEveryRowIn)
{
    TempFolder dir;
    const std::string strPath = dir / "results.sqlite";
    constexpr int kEach = 4000;
    const auto write = [&](const std::string& strPrefix) {
        ResultsCacheOpen opened = CResultsCache::Open(strPath);
        if (!opened.m_pCache)
            return false;
        for (int n = 0; n < kEach; ++n) {
            opened.m_pCache->Put(Outcome(strPrefix + std::to_string(n), StatusValid, "Link is valid.", n));
            if (n % 250 == 0)
                opened.m_pCache->Flush();
        }
        opened.m_pCache->Flush();
        return true;
    };
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0)
        ::_exit(write("https://child.example/") ? 0 : 1);
    const bool bParent = write("https://parent.example/");
    int nStatus = 0;
    ASSERT_EQ(::waitpid(child, &nStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
    EXPECT_TRUE(bParent);
    EXPECT_EQ(IntegrityOf(strPath), "ok");
    auto pCache = OpenOk(strPath);
    ASSERT_TRUE(pCache);
    EXPECT_EQ(pCache->Count(), std::size_t(2 * kEach));
}

TEST(ResultsCache, AFileThatIsNoDatabaseIsMovedAsideAndANewCacheBegins)
{
    TempFolder dir;
    const std::string strPath = dir / "results.sqlite";
    const std::string strGarbage(8192, 'x');
    std::ofstream(strPath, std::ios::binary) << strGarbage;

    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    ASSERT_TRUE(opened.m_pCache) << opened.m_strNotice;
    EXPECT_NE(opened.m_strNotice.find("damaged"), std::string::npos) << opened.m_strNotice;
    const auto aside = FilesStartingWith(dir.Path(), "results.sqlite.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(opened.m_strNotice.find(aside[0]), std::string::npos);
    EXPECT_EQ(ReadAll(dir / aside[0]), strGarbage); // kept whole, for whoever wants to look
    opened.m_pCache->Put(Outcome("https://example.org/", StatusValid, "Link is valid.", 1));
    opened.m_pCache.reset();
    auto pCache = OpenOk(strPath);
    ASSERT_TRUE(pCache);
    EXPECT_EQ(pCache->Count(), 1u);
}

TEST(ResultsCache, ADatabaseOfAnotherKindIsMovedAsideUntouched)
{
    TempFolder dir;
    const std::string strPath = dir / "results.sqlite";
    sqlite3* pDb = nullptr;
    ASSERT_EQ(sqlite3_open(strPath.c_str(), &pDb), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(pDb, "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT);"
                                "INSERT INTO moz_places(url) VALUES('https://example.org/');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(pDb);
    const std::string strBefore = ReadAll(strPath);

    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    ASSERT_TRUE(opened.m_pCache) << opened.m_strNotice;
    EXPECT_NE(opened.m_strNotice.find("not a results cache"), std::string::npos) << opened.m_strNotice;
    const auto aside = FilesStartingWith(dir.Path(), "results.sqlite.foreign-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadAll(dir / aside[0]), strBefore);
    EXPECT_EQ(opened.m_pCache->Count(), 0u);
}

TEST(ResultsCache, ADamagedPageIsFoundAtOpenAndTheFileMovedAside)
{
    TempFolder dir;
    const std::string strPath = dir / "results.sqlite";
    {
        auto pCache = OpenOk(strPath);
        ASSERT_TRUE(pCache);
        for (int n = 0; n < 3000; ++n)
            pCache->Put(Outcome("https://example.org/page/" + std::to_string(n), StatusValid, "Link is valid.", n));
    }
    // Fold the log into the file, then overwrite a page in the middle.
    sqlite3* pDb = nullptr;
    ASSERT_EQ(sqlite3_open(strPath.c_str(), &pDb), SQLITE_OK);
    sqlite3_exec(pDb, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(pDb);
    const std::uintmax_t nSize = std::filesystem::file_size(strPath);
    ASSERT_GT(nSize, 16384u);
    {
        std::fstream file(strPath, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(std::streamoff(nSize / 2 / 4096 * 4096));
        const std::string strNoise(4096, '\x5A');
        file.write(strNoise.data(), std::streamsize(strNoise.size()));
    }
    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    ASSERT_TRUE(opened.m_pCache) << opened.m_strNotice;
    EXPECT_NE(opened.m_strNotice.find("damaged"), std::string::npos) << opened.m_strNotice;
    EXPECT_EQ(opened.m_pCache->Count(), 0u);
    EXPECT_EQ(FilesStartingWith(dir.Path(), "results.sqlite.damaged-").size(), 1u);
}

TEST(ResultsCache, AFolderThatCannotBeMadeLeavesTheCacheOutWithAReason)
{
    TempFolder dir;
    std::ofstream(dir / "file") << "x";
    ResultsCacheOpen opened = CResultsCache::Open(dir / "file/zorbel/results.sqlite");
    EXPECT_FALSE(opened.m_pCache);
    EXPECT_NE(opened.m_strNotice.find("cannot be used"), std::string::npos) << opened.m_strNotice;
}

} // namespace
