// The results cache at the sizes of a large collection: 50,000 outcomes kept.
//   BM_KeepFiftyThousandOutcomes: 50,000 outcomes queued and written by the
//     cache's thread; the file's size per URL once its log is folded in.
//   BM_StartToListReadyWithKeptOutcomes: a Favorites folder of 20,000
//     shortcuts scanned, then the cache opened and every record given its
//     kept outcome (one read transaction), as the window does before it
//     shows the list.
//   BM_ConsoleCheckFromCache: zorbel-check --cache over a page of 20,000
//     links all kept (a closed port, so a link that missed the cache would
//     show as a failure), start to exit.

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/model/LinkStatus.h"
#include "core/platform/ManualResetEvent.h"
#include "core/results/KeptOutcomes.h"
#include "core/results/ResultsCache.h"
#include "core/sources/FavoritesScan.h"
#include "shared/BatchingSink.h"

extern char** environ;

namespace {

constexpr int kKept = 50000;
constexpr int kTopFolders = 50;
constexpr int kSubFolders = 20;
constexpr int kPerFolder = 20; // 20,000 favourites

std::string UrlOf(int t, int s, int i)
{
    return "http://www.example" + std::to_string(t) + ".com/section/" + std::to_string(s) + "/page" +
           std::to_string(i) + ".html";
}

const std::filesystem::path& BenchFolder()
{
    static const std::filesystem::path kRoot = [] {
        auto root = std::filesystem::temp_directory_path() / "zorbel-bench-results";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        std::atexit([] { std::filesystem::remove_all(std::filesystem::temp_directory_path() / "zorbel-bench-results"); });
        return root;
    }();
    return kRoot;
}

// A cache of 50,000 outcomes: those of the 20,000 favourites and 30,000 more,
// with the mix of a real check (most valid, some moved with their target).
std::string FilledCache(const std::string& strName, const std::vector<std::string>& urls)
{
    const std::string strPath = (BenchFolder() / strName).string();
    std::filesystem::remove(strPath);
    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    const std::int64_t nNow = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
    for (int n = 0; n < kKept; ++n) {
        const std::string strUrl =
            std::size_t(n) < urls.size() ? urls[std::size_t(n)] : "https://site" + std::to_string(n % 997) +
                                                                       ".example.org/articles/" + std::to_string(n);
        KeptOutcome outcome{strUrl, StatusValid, "Link is valid.", {}, false, nNow - n % 3600};
        if (n % 20 == 0) {
            outcome.m_nStatus = StatusMoved;
            outcome.m_strFinalUrl = strUrl + "/new";
            outcome.m_bPermanent = true;
            outcome.m_strStatusText = "Link is valid.";
        } else if (n % 25 == 0) {
            outcome.m_nStatus = StatusPartiallyValid;
            outcome.m_strStatusText = "HTTP status code 404 (File Not Found, or Access Forbidden) was received.";
        }
        opened.m_pCache->Put(std::move(outcome));
    }
    opened.m_pCache->Flush();
    return strPath;
}

std::vector<std::string> FavouriteUrls()
{
    std::vector<std::string> urls;
    for (int t = 0; t < kTopFolders; ++t)
        for (int s = 0; s < kSubFolders; ++s)
            for (int i = 0; i < kPerFolder; ++i)
                urls.push_back(UrlOf(t, s, i));
    return urls;
}

void BM_KeepFiftyThousandOutcomes(benchmark::State& state)
{
    const std::vector<std::string> urls = FavouriteUrls();
    std::string strPath;
    for (auto _ : state)
        strPath = FilledCache("write.sqlite", urls);
    // The size it keeps on the disk: the log folded into the file.
    sqlite3* pDb = nullptr;
    sqlite3_open(strPath.c_str(), &pDb);
    sqlite3_exec(pDb, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(pDb);
    state.counters["bytes_per_url"] = double(std::filesystem::file_size(strPath)) / kKept;
}
BENCHMARK(BM_KeepFiftyThousandOutcomes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const std::string& LargeFavorites()
{
    static const std::string kRoot = [] {
        const std::string strRoot = (BenchFolder() / "Favorites").string();
        for (int t = 0; t < kTopFolders; ++t)
            for (int s = 0; s < kSubFolders; ++s) {
                const std::string strDir = strRoot + "/Topic " + std::to_string(t) + "/Subject " + std::to_string(s);
                std::filesystem::create_directories(strDir);
                for (int i = 0; i < kPerFolder; ++i)
                    std::ofstream(strDir + "/Favourite site number " + std::to_string(i) + ".url")
                        << "[InternetShortcut]\r\nURL=" << UrlOf(t, s, i) << "\r\n";
            }
        return strRoot;
    }();
    return kRoot;
}

void BM_StartToListReadyWithKeptOutcomes(benchmark::State& state)
{
    const std::string& strRoot = LargeFavorites();
    const std::string strCache = FilledCache("start.sqlite", FavouriteUrls());
    ManualResetEvent hStop;
    std::atomic<bool> bClosing{false};
    CViewState viewState;
    {
        BatchingSink warm;
        FavoritesScanThread(warm, viewState, hStop, bClosing, strRoot);
    }
    int nApplied = 0;
    double dApplyMs = 0;
    for (auto _ : state) {
        auto pSink = std::make_unique<BatchingSink>();
        std::thread scan([&] { FavoritesScanThread(*pSink, viewState, hStop, bClosing, strRoot); });
        while (!pSink->m_bDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            pSink->Drain();
        }
        scan.join();
        pSink->Drain();
        const auto t0 = std::chrono::steady_clock::now();
        ResultsCacheOpen opened = CResultsCache::Open(strCache);
        CFavoriteList list;
        for (auto& node : pSink->m_nodes)
            if (node.m_pItem)
                list.Append(node.m_pItem);
        nApplied = ApplyKeptOutcomes(list, *pSink, *opened.m_pCache).m_nApplied;
        dApplyMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        state.PauseTiming();
        pSink.reset();
        opened.m_pCache.reset();
        state.ResumeTiming();
    }
    state.counters["outcomes_shown"] = nApplied;
    state.counters["open_and_apply_ms"] = dApplyMs;
}
BENCHMARK(BM_StartToListReadyWithKeptOutcomes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

#ifdef ZORBEL_CHECK_EXE
void BM_ConsoleCheckFromCache(benchmark::State& state)
{
    // 20,000 links to a port where nothing listens: kept as valid, so a
    // link taken from the cache costs nothing and one checked would fail.
    const std::filesystem::path home = BenchFolder() / "home";
    std::filesystem::create_directories(home / "cache/zorbel");
    std::vector<std::string> urls;
    std::string strPage;
    for (int n = 0; n < 20000; ++n) {
        urls.push_back("http://127.0.0.1:1/link/" + std::to_string(n));
        strPage += "<a href=\"" + urls.back() + "\">link</a>\n";
    }
    std::ofstream((home / "page.html").string()) << strPage;
    const std::string strCache = FilledCache("console.sqlite", urls);
    std::filesystem::copy_file(strCache, home / "cache/zorbel/results.sqlite",
                               std::filesystem::copy_options::overwrite_existing);

    const std::string strHome = "HOME=" + home.string();
    const std::string strCacheHome = "XDG_CACHE_HOME=" + (home / "cache").string();
    const std::string strPagePath = (home / "page.html").string();
    const std::string strReport = (home / "report.txt").string();
    int nExit = -1;
    for (auto _ : state) {
        std::vector<char*> env = {const_cast<char*>(strHome.c_str()), const_cast<char*>(strCacheHome.c_str()),
                                  nullptr};
        const char* argv[] = {ZORBEL_CHECK_EXE, "--cache", strPagePath.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, strReport.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int nSpawn = ::posix_spawn(&pid, ZORBEL_CHECK_EXE, &actions, nullptr, const_cast<char**>(argv), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (nSpawn != 0) {
            state.SkipWithError("zorbel-check cannot be started");
            return;
        }
        int nStatus = 0;
        ::waitpid(pid, &nStatus, 0);
        nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }
    state.counters["exit_status"] = nExit; // 1: the kept partially valid ones count as broken
    // A link that missed the cache would have been checked at the closed
    // port and found broken.
    std::ifstream report(strReport);
    const std::string strText((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
    if (strText.find("0 links appear to be broken") == std::string::npos)
        state.SkipWithError(("a link was checked instead of taken from the cache: " + strText).c_str());
}
BENCHMARK(BM_ConsoleCheckFromCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
#endif

} // namespace

BENCHMARK_MAIN();
