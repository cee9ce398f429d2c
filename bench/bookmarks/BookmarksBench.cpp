// Browser bookmark stores as big as a heavy user's: 50,000 bookmarks in
// 2,000 folders (40 top folders of 49 sub-folders, 25 bookmarks in each of
// the 2,000, split over the toolbar, menu and other roots), as Firefox's
// places.sqlite (WAL mode, the newest 500 bookmarks still in the -wal file)
// and as a Chromium Bookmarks file. Timed from the start of the population
// to ViewEvent::ListReady, with a consumer thread draining the inserted nodes as
// the GUI does. A child process runs each once more and reports its peak
// resident memory (max_rss_MB) and what it had before reading
// (rss_before_MB), so that the reading's own share shows.

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/platform/ManualResetEvent.h"
#include "core/sources/Population.h"
#include "shared/BatchingSink.h"
#include "support/BookmarkStores.h"

namespace {

using namespace bookmarkstore;

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 49;  // 40 + 40 x 49 = 2,000 folders
constexpr int kPerFolder = 25;   // 2,000 x 25 = 50,000 bookmarks

std::vector<TestBookmark> Folders(int nFirstTop, int nTops)
{
    std::vector<TestBookmark> tops;
    for (int t = nFirstTop; t < nFirstTop + nTops; ++t) {
        TestBookmark top = Folder("Topic " + std::to_string(t), {});
        for (int s = 0; s <= kSubFolders; ++s) {
            // The top folder holds 25 bookmarks of its own and its 49 sub-folders.
            std::vector<TestBookmark>& into =
                s == 0 ? top.m_children
                       : top.m_children.emplace_back(Folder("Subject " + std::to_string(s), {})).m_children;
            for (int i = 0; i < kPerFolder; ++i)
                into.push_back(Link("Favourite site number " + std::to_string(i) + " of subject " + std::to_string(s),
                                    "https://www.example" + std::to_string(t) + ".com/section/" + std::to_string(s) +
                                        "/page" + std::to_string(i) + ".html"));
        }
        tops.push_back(std::move(top));
    }
    return tops;
}

struct Stores {
    std::string m_strFolder;
    std::string m_strPlaces;
    std::string m_strBookmarks;
};

const Stores& LargeStores()
{
    static const Stores kStores = [] {
        Stores stores;
        stores.m_strFolder = (std::filesystem::temp_directory_path() / "zorbel-bench-bookmarks").string();
        std::filesystem::remove_all(stores.m_strFolder);
        std::filesystem::create_directories(stores.m_strFolder + "/Default");
        stores.m_strPlaces = stores.m_strFolder + "/places.sqlite";
        stores.m_strBookmarks = stores.m_strFolder + "/Default/Bookmarks";
        const auto toolbar = Folders(0, 20), menu = Folders(20, 15), other = Folders(35, 5);
        {
            CPlacesDatabase db(stores.m_strPlaces, true);
            db.Exec("BEGIN");
            db.AddTree(CPlacesDatabase::kToolbar, toolbar);
            db.AddTree(CPlacesDatabase::kMenu, menu);
            db.Exec("COMMIT");
            db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
            // The last 500 bookmarks only in the -wal file, as in a running Firefox.
            std::vector<TestBookmark> last = other;
            db.Exec("BEGIN");
            db.AddTree(CPlacesDatabase::kUnfiled, last);
            db.Exec("COMMIT");
            // Closing the connection would move them into the database:
            // keep both files as they are now and put them back after.
            for (const char* pszSuffix : {"", "-wal"})
                std::filesystem::copy_file(stores.m_strPlaces + pszSuffix, stores.m_strPlaces + pszSuffix + ".keep");
        }
        for (const char* pszSuffix : {"", "-wal"}) {
            std::filesystem::remove(stores.m_strPlaces + pszSuffix);
            std::filesystem::rename(stores.m_strPlaces + pszSuffix + ".keep", stores.m_strPlaces + pszSuffix);
        }
        std::ofstream(stores.m_strBookmarks, std::ios::binary) << ChromiumBookmarksJson(toolbar, [&] {
            auto all = menu;
            all.insert(all.end(), other.begin(), other.end());
            return all;
        }());
        // ZORBEL_BENCH_KEEP=1 leaves the stores for a closer look (heaptrack
        // on "--measure-one /tmp/zorbel-bench-bookmarks/places.sqlite").
        if (!std::getenv("ZORBEL_BENCH_KEEP"))
            std::atexit([] {
                std::filesystem::remove_all(std::filesystem::temp_directory_path() / "zorbel-bench-bookmarks");
            });
        return stores;
    }();
    return kStores;
}

// One population from start to list-ready; the number of nodes, or -1 when
// it did not end in ViewEvent::ListReady.
long PopulateOnce(const std::string& strSource)
{
    BatchingSink sink;
    CViewState viewState;
    std::atomic<bool> bClosing{false};
    std::thread thread = StartPopulation(sink, viewState, std::make_shared<ManualResetEvent>(), bClosing,
                                         {strSource, "/nonexistent"});
    while (!sink.m_bDone) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        sink.Drain();
    }
    thread.join();
    sink.Drain();
    return sink.m_event == ViewEvent::ListReady ? long(sink.m_nodes.size()) : -1;
}

// A line of /proc/self/status in MB ("VmRSS", the resident memory now;
// "VmHWM", its peak). The peak belongs to this program image alone, where
// getrusage's would carry over the parent's through fork and exec.
double StatusMB(std::string_view strKey)
{
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine))
        if (strLine.starts_with(strKey) && strLine.size() > strKey.size() && strLine[strKey.size()] == ':')
            return std::stod(strLine.substr(strKey.size() + 1)) / 1024.0;
    return 0;
}

// Runs one population in a fresh process (this program started again with
// --measure-one), so that nothing this one holds counts: (peak resident MB,
// resident MB before it started).
std::pair<double, double> MemoryOfOneRun(const std::string& strSource)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {0, 0};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        execl("/proc/self/exe", "zorbel_bookmarks_bench", "--measure-one", strSource.c_str(), nullptr);
        _exit(127);
    }
    close(fds[1]);
    char szLine[128] = "";
    const ssize_t n = read(fds[0], szLine, sizeof szLine - 1);
    szLine[n > 0 ? n : 0] = '\0';
    close(fds[0]);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    double dPeak = 0, dBefore = 0;
    if (std::sscanf(szLine, "%lf %lf", &dPeak, &dBefore) != 2)
        return {0, 0};
    return {dPeak, dBefore};
}

// The child's side: one population, then its figures on standard output.
int MeasureOne(const char* pszSource)
{
    const double dBefore = StatusMB("VmRSS");
    if (PopulateOnce(pszSource) <= 0)
        return 1;
    std::printf("%.1f %.1f\n", StatusMB("VmHWM"), dBefore);
    return 0;
}

void Run(benchmark::State& state, const std::string& strSource)
{
    long nNodes = 0;
    for (auto _ : state) {
        nNodes = PopulateOnce(strSource);
        if (nNodes < 0) {
            state.SkipWithError("the store was not read");
            return;
        }
    }
    const auto [dPeak, dBefore] = MemoryOfOneRun(strSource);
    state.counters["nodes"] = double(nNodes);
    state.counters["max_rss_MB"] = dPeak;
    state.counters["rss_before_MB"] = dBefore;
}

void BM_FirefoxPlacesToListReady(benchmark::State& state) { Run(state, LargeStores().m_strPlaces); }
void BM_ChromiumBookmarksToListReady(benchmark::State& state) { Run(state, LargeStores().m_strBookmarks); }

BENCHMARK(BM_FirefoxPlacesToListReady)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ChromiumBookmarksToListReady)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == "--measure-one")
        return MeasureOne(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
