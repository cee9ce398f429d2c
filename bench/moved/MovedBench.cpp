// Update Moved Favorites: the look over the list that decides, at every
// idle pass of the window, whether the command is enabled (20,000
// favourites of which none is offered, the whole list is read; the goal is
// well under a millisecond), and the rewrite of one favourite file in place
// (read, checked, written to a new file, flushed to the disk and renamed).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/actions/FavoriteFiles.h"
#include "core/actions/UpdateMoved.h"
#include "core/model/FavoriteList.h"
#include "core/model/LinkStatus.h"

namespace {

void BM_AnyOffered(benchmark::State& state)
{
    std::vector<std::shared_ptr<FavoriteItem>> items;
    for (int n = 0; n < state.range(0); ++n) {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = "http://www.site" + std::to_string(n % 997) + ".example/page" + std::to_string(n) + ".htm";
        // Valid, some after a temporary redirect: none is offered.
        pItem->SetOutcome(StatusValid, "Link is valid.",
                          n % 10 == 0 ? FavoriteRedirect{"https://login.example/", false} : FavoriteRedirect{});
        items.push_back(std::move(pItem));
    }
    const CFavoriteList list(std::move(items));
    for (auto _ : state) {
        const auto snapshot = list.Snapshot();
        const bool bAny = std::any_of(snapshot.begin(), snapshot.end(),
                                      [](const std::shared_ptr<FavoriteItem>& pItem) { return IsOfferedForUpdate(*pItem); });
        benchmark::DoNotOptimize(bAny);
    }
}
BENCHMARK(BM_AnyOffered)->Arg(20000)->Unit(benchmark::kMicrosecond);

void BM_RewriteOneFile(benchmark::State& state)
{
    std::string strFolder = (std::filesystem::temp_directory_path() / "zorbel-moved-bench-XXXXXX").string();
    if (::mkdtemp(strFolder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string strPath = strFolder + "/Example.url";
    const std::string strA = "http://old.example/page";
    const std::string strB = "https://new.example/page";
    {
        std::ofstream out(strPath, std::ios::binary);
        out << "; kept\r\n[DEFAULT]\r\nBASEURL=" << strA << "\r\n[InternetShortcut]\r\nURL=" << strA
            << "\r\nIconIndex=1\r\n[InternetShortcut.W]\r\nURL=" << strA << "\r\n";
    }
    bool bAtA = true;
    for (auto _ : state) {
        if (RewriteFavoriteUrl(strPath, bAtA ? strA : strB, bAtA ? strB : strA) != 0) {
            state.SkipWithError("rewrite failed");
            break;
        }
        bAtA = !bAtA;
    }
    std::filesystem::remove_all(strFolder);
}
BENCHMARK(BM_RewriteOneFile)->Unit(benchmark::kMicrosecond);

} // namespace
