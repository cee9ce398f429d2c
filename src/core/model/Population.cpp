#include "model/Population.h"

#include "model/FavoritesFolder.h"
#include "model/FavoritesScan.h"
#include "model/ProcessState.h"
#include "model/SourceLinks.h"
#include "model/SourceLocation.h"
#include "model/bookmarks/BookmarkSource.h"
#include "model/bookmarks/BrowserProfiles.h"
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

bool IsDocumentRequest(const PopulationRequest& request)
{
    return !request.m_strBrowser.empty() || !request.m_strSource.empty();
}

std::thread StartPopulation(ITreeSink& sink, std::shared_ptr<const ManualResetEvent> pStop,
                            const std::atomic<bool>& bClosing, PopulationRequest request,
                            ScanProblemFunction onScanProblem)
{
    return std::thread([&sink, pStop = std::move(pStop), &bClosing, request = std::move(request),
                        onScanProblem = std::move(onScanProblem)] {
        PopulationReport unused;
        PopulationReport& report = request.m_pReport ? *request.m_pReport : unused;
        if (!request.m_strBrowser.empty()) {
            const BrowserStoreLocation location = LocateBrowserStore(request.m_strBrowser, CurrentBrowserEnvironment());
            if (location.m_strStore.empty()) {
                report.m_strSourceError = location.m_strError;
                RunPopulation(sink, bClosing, [] { return PopulationEnd::SourceError; });
                return;
            }
            report.m_strStore = location.m_strStore;
            report.m_strSourceError = FormatSourceErrorMessage(location.m_strStore);
            BookmarkSourceThread(sink, *pStop, bClosing, location.m_strStore,
                                 SniffBookmarkFile(location.m_strStore), NotAStoreIs::SourceError);
            return;
        }
        if (!request.m_strSource.empty()) {
            report.m_strSourceError = FormatSourceErrorMessage(request.m_strSource);
            if (!IsWebSource(request.m_strSource)) {
                if (const BookmarkFormat nFormat = SniffBookmarkFile(request.m_strSource);
                    nFormat != BookmarkFormat::None) {
                    BookmarkSourceThread(sink, *pStop, bClosing, request.m_strSource, nFormat, NotAStoreIs::Links);
                    return;
                }
            }
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
