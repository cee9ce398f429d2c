// Exports 100,000 favourites in each of the seven formats to a file in the
// temporary folder; the goal is well under 0.3 s per export. The counter
// "allocs" is the number of heap allocations of one export, which must not
// grow with the number of favourites.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/export/ExportFormat.h"
#include "core/export/ExportToFile.h"

namespace {

std::atomic<long> g_nAllocations{0};

} // namespace

// The replacements are kept out of line: inlined, GCC sees free() called on
// what operator new returned and warns of a mismatched pair
// (-Wmismatched-new-delete), although new and delete match here.
[[gnu::noinline]] void* operator new(std::size_t nBytes)
{
    g_nAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(nBytes ? nBytes : 1))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const std::vector<std::shared_ptr<FavoriteItem>>& Favourites()
{
    static const auto kItems = [] {
        std::vector<std::shared_ptr<FavoriteItem>> items;
        items.reserve(100000);
        for (int n = 0; n < 100000; ++n) {
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = "Favourite number " + std::to_string(n) + (n % 7 == 0 ? " & \"Co\"" : "");
            pItem->m_strUrl = "http://www.site" + std::to_string(n % 997) + ".example/path/to/page" + std::to_string(n) + ".htm?a=1&b=2";
            pItem->m_strFolder = n % 3 == 0 ? "" : "Links/Tools " + std::to_string(n % 50);
            pItem->m_nKind = 0;
            items.push_back(std::move(pItem));
        }
        return items;
    }();
    return kItems;
}

void BM_Export(benchmark::State& state)
{
    const auto nFormatId = static_cast<std::int32_t>(state.range(0));
    const auto& items = Favourites();
    const std::string strPath = (std::filesystem::temp_directory_path()
                                 / ("zorbel-export-bench-" + std::to_string(nFormatId) + ".out")).string();
    long nAllocations = 0;
    for (auto _ : state) {
        const long nBefore = g_nAllocations.load();
        const ExportOutcome outcome = ExportToFile(strPath, nFormatId, items);
        nAllocations = g_nAllocations.load() - nBefore;
        if (outcome.m_nResult != ExportResult::Done)
            state.SkipWithError("export failed");
    }
    state.SetLabel(std::string(FindExportFormat(nFormatId)->m_strName));
    state.counters["allocs"] = static_cast<double>(nAllocations);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(strPath));
    std::remove(strPath.c_str());
}

} // namespace

BENCHMARK(BM_Export)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);
