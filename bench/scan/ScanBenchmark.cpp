// The Favorites scan of a large folder: 20,000 Internet shortcuts in 1,000
// folders (50 top folders of 20 sub-folders of 20 shortcuts), warm cache,
// from the start of the scan to UM_LISTREADY. Also reports the heap taken by
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

#include "model/FavoritesScan.h"
#include "platform/ManualResetEvent.h"

namespace {

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 20;
constexpr int kPerFolder = 20;

// A sink shaped like the view's: it keeps every node's text and the record
// list, and hands inserts over to a consumer thread in batches, as the GUI's
// sink does for its 50 ms rule.
class BatchingSink : public ITreeSink {
public:
    struct Node {
        TreeNode m_parent;
        std::string m_strName;
        int m_nImage;
        std::shared_ptr<FavoriteItem> m_pItem;
    };

    void DeleteAllNodes() override {}
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override
    {
        std::lock_guard lock(m_mx);
        const TreeNode node = ++m_nLast;
        if (pItem)
            pItem->m_hItem = node;
        m_pending.push_back({parent, std::string(strName), nImage, std::move(pItem)});
        return node;
    }
    int NodeImage(TreeNode) const override { return 0; }
    void SetNodeImage(TreeNode, int) override {}
    void EnableTree(bool) override {}
    void ExpandAllBranches() override {}
    void EnsureVisible(TreeNode) override {}
    void PostToView(ViewMessage) override { m_bReady = true; }

    // The GUI side: takes what is pending, as one batch.
    size_t Drain()
    {
        std::vector<Node> batch;
        {
            std::lock_guard lock(m_mx);
            batch.swap(m_pending);
        }
        for (auto& n : batch)
            m_nodes.push_back(std::move(n));
        return batch.size();
    }

    std::atomic<bool> m_bReady{false};
    std::vector<Node> m_nodes;

private:
    std::mutex m_mx;
    TreeNode m_nLast = 0;
    std::vector<Node> m_pending;
};

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
    { // warm the cache
        BatchingSink warm;
        FavoritesScanThread(warm, hStop, bClosing, strRoot);
    }
    size_t nItems = 0;
    double dHeapBytes = 0;
    double dLongestBatch = 0;
    for (auto _ : state) {
        const size_t nHeapBefore = mallinfo2().uordblks;
        auto pSink = std::make_unique<BatchingSink>();
        std::thread scan([&] { FavoritesScanThread(*pSink, hStop, bClosing, strRoot); });
        // The GUI thread's share: drain a batch every few milliseconds.
        double dLongest = 0;
        while (!pSink->m_bReady) {
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
