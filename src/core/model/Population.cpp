#include "model/Population.h"

#include "model/FavoritesFolder.h"
#include "model/FavoritesScan.h"
#include "model/ProcessState.h"
#include "model/SourceLinks.h"
#include "platform/ManualResetEvent.h"

namespace {

// Sets g_bPopulating for its lifetime, so the flag is cleared however the
// population ends.
class CPopulatingFlag {
public:
    CPopulatingFlag() { g_bPopulating = true; }
    ~CPopulatingFlag() { Clear(); }
    CPopulatingFlag(const CPopulatingFlag&) = delete;
    CPopulatingFlag& operator=(const CPopulatingFlag&) = delete;
    void Clear() { g_bPopulating = false; }
};

} // namespace

std::thread StartPopulation(ITreeSink& sink, std::shared_ptr<const ManualResetEvent> pStop,
                            const std::atomic<bool>& bClosing, PopulationRequest request,
                            ScanProblemFunction onScanProblem)
{
    return std::thread([&sink, pStop = std::move(pStop), &bClosing, request = std::move(request),
                        onScanProblem = std::move(onScanProblem)] {
        if (!request.m_strSource.empty()) {
            SourceLinksThread(sink, *pStop, bClosing, request.m_strSource);
            return;
        }
        const std::string strRoot =
            request.m_strFavoritesRoot.empty() ? LocateFavoritesFolder() : request.m_strFavoritesRoot;
        FavoritesScanThread(sink, *pStop, bClosing, strRoot, onScanProblem);
    });
}

void RunPopulation(ITreeSink& sink, const std::atomic<bool>& bClosing,
                   const std::function<PopulationEnd()>& fill, const std::function<void()>& arrange)
{
    sink.EnableTree(false);
    CPopulatingFlag populating;

    const PopulationEnd end = fill();
    if (bClosing)
        return;
    if (end == PopulationEnd::SourceError) {
        populating.Clear();
        sink.PostToView(UM_SOURCEERROR);
        return;
    }
    if (arrange)
        arrange();
    sink.EnableTree(true);
    populating.Clear();
    sink.PostToView(UM_LISTREADY);
}
