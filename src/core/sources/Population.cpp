#include "core/sources/Population.h"

#include "core/platform/ManualResetEvent.h"
#include "core/sources/bookmarks/BookmarkSource.h"
#include "core/sources/bookmarks/BrowserProfiles.h"
#include "core/sources/FavoritesFolder.h"
#include "core/sources/FavoritesScan.h"
#include "core/sources/PopulationFrame.h"
#include "core/sources/SourceLinks.h"
#include "core/sources/SourceLocation.h"

bool IsDocumentRequest(const PopulationRequest& request)
{
    return !request.m_strBrowserStore.empty() || !request.m_strBrowser.empty() || !request.m_strSource.empty();
}

std::thread StartPopulation(ITreeSink& sink, CViewState& state, std::shared_ptr<const ManualResetEvent> pStop,
                            const std::atomic<bool>& bClosing, PopulationRequest request,
                            ScanProblemFunction onScanProblem)
{
    return std::thread([&sink, &state, pStop = std::move(pStop), &bClosing, request = std::move(request),
                        onScanProblem = std::move(onScanProblem)] {
        PopulationReport unused;
        PopulationReport& report = request.m_pReport ? *request.m_pReport : unused;
        if (!request.m_strBrowserStore.empty()) {
            report.m_strStore = request.m_strBrowserStore;
            report.m_strSourceError = FormatSourceErrorMessage(request.m_strBrowserStore);
            BookmarkSourceThread(sink, state, *pStop, bClosing, request.m_strBrowserStore,
                                 SniffBookmarkFile(request.m_strBrowserStore), NotAStoreIs::SourceError,
                                 request.m_nTimeoutMs, &report.m_strSourceError);
            return;
        }
        if (!request.m_strBrowser.empty()) {
            const BrowserStoreLocation location = LocateBrowserStore(request.m_strBrowser, CurrentBrowserEnvironment());
            if (location.m_strStore.empty()) {
                report.m_strSourceError = location.m_strError;
                RunPopulation(sink, state, bClosing, [] { return PopulationEnd::SourceError; });
                return;
            }
            report.m_strStore = location.m_strStore;
            report.m_strSourceError = FormatSourceErrorMessage(location.m_strStore);
            BookmarkSourceThread(sink, state, *pStop, bClosing, location.m_strStore,
                                 SniffBookmarkFile(location.m_strStore), NotAStoreIs::SourceError, request.m_nTimeoutMs,
                                 &report.m_strSourceError);
            return;
        }
        if (!request.m_strSource.empty()) {
            report.m_strSourceError = FormatSourceErrorMessage(request.m_strSource);
            if (!IsWebSource(request.m_strSource)) {
                if (const BookmarkFormat nFormat = SniffBookmarkFile(request.m_strSource);
                    nFormat != BookmarkFormat::None) {
                    BookmarkSourceThread(sink, state, *pStop, bClosing, request.m_strSource, nFormat, NotAStoreIs::Links,
                                         request.m_nTimeoutMs, &report.m_strSourceError);
                    return;
                }
            }
            SourceLinksThread(sink, state, *pStop, bClosing, request.m_strSource, request.m_nTimeoutMs);
            return;
        }
        const std::string strRoot =
            request.m_strFavoritesRoot.empty() ? LocateFavoritesFolder() : request.m_strFavoritesRoot;
        FavoritesScanThread(sink, state, *pStop, bClosing, strRoot, onScanProblem);
    });
}
