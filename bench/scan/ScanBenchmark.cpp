// The Favorites scan of a large folder: 20,000 Internet shortcuts in 1,000
// folders (50 top folders of 20 sub-folders of 20 shortcuts), warm cache,
// from the start of the scan to ViewEvent::ListReady. Also reports the heap taken by
// the records and the tree nodes the view would keep for them.

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/platform/ManualResetEvent.h"
#include "core/sources/FavoritesScan.h"
#include "shared/BatchingSink.h"

namespace {

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 20;
constexpr int kPerFolder = 20;

const std::string& LargeFavorites()
{
    static const std::string kRoot = [] {
        std::string strRoot = (std::filesystem::temp_directory_path() / "zorbel-bench-favorites").string();
        std::filesystem::remove_all(strRoot);
        for (int t = 0; t < kTopFolders; ++t)
            for (int s = 0; s < kSubFolders; ++s) {
                const std::string strDir =
                    strRoot + "/Topic " + std::to_string(t) + "/Subject " + std::to_string(s);
                std::filesystem::create_directories(strDir);
                for (int i = 0; i < kPerFolder; ++i) {
                    std::ofstream(strDir + "/Favourite site number " + std::to_string(i) + ".url")
                        << "[InternetShortcut]\r\nURL=http://www.example" << t << ".com/section/" << s
                        << "/page" << i << ".html\r\n";
                }
            }
        std::atexit([] { std::filesystem::remove_all((std::filesystem::temp_directory_path() / "zorbel-bench-favorites")); });
        return strRoot;
    }();
    return kRoot;
}

void BM_ScanToListReady(benchmark::State& state)
{
    const std::string& strRoot = LargeFavorites();
    ManualResetEvent hStop;
    std::atomic<bool> bClosing{false};
    CViewState viewState;
    { // warm the cache
        BatchingSink warm;
        FavoritesScanThread(warm, viewState, hStop, bClosing, strRoot);
    }
    size_t nItems = 0;
    double dHeapBytes = 0;
    double dLongestBatch = 0;
    for (auto _ : state) {
        const size_t nHeapBefore = mallinfo2().uordblks;
        auto pSink = std::make_unique<BatchingSink>();
        std::thread scan([&] { FavoritesScanThread(*pSink, viewState, hStop, bClosing, strRoot); });
        // The GUI thread's share: drain a batch every few milliseconds.
        double dLongest = 0;
        while (!pSink->m_bDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto t0 = std::chrono::steady_clock::now();
            pSink->Drain();
            dLongest = std::max(dLongest, std::chrono::duration<double, std::milli>(
                                              std::chrono::steady_clock::now() - t0).count());
        }
        scan.join();
        pSink->Drain();
        state.PauseTiming();
        nItems = pSink->m_nodes.size();
        dHeapBytes = static_cast<double>(mallinfo2().uordblks - nHeapBefore);
        dLongestBatch = dLongest;
        pSink.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = static_cast<double>(nItems);
    state.counters["heap_MB"] = dHeapBytes / (1024.0 * 1024.0);
    state.counters["longest_drain_ms"] = dLongestBatch;
}
BENCHMARK(BM_ScanToListReady)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
