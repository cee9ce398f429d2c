#include "cli/CheckRun.h"

#include <algorithm>
#include <csignal>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/CheckProgress.h"
#include "cli/ListTreeSink.h"
#include "cli/ReadOnlyProfile.h"
#include "core/actions/UpdateMoved.h"
#include "core/check/CheckPass.h"
#include "core/export/BookmarksExport.h"
#include "core/export/ExportFormat.h"
#include "core/export/ExportToFile.h"
#include "core/export/ResultsCsv.h"
#include "core/export/ResultsJson.h"
#include "core/model/LinkStatus.h"
#include "core/model/ViewState.h"
#include "core/net/TransferEngine.h"
#include "core/platform/AsciiText.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/ControlText.h"
#include "core/platform/SystemError.h"
#include "core/report/CheckReport.h"
#include "core/results/KeptOutcomes.h"
#include "core/results/ResultsCache.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/FavoritesFolder.h"
#include "core/sources/Population.h"
#include "core/sources/SourceLinks.h"
#include "core/sources/SourceLocation.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void PrintError(const CheckRunIo& io, const std::string& strText)
{
    std::fprintf(io.m_pErr, "zorbel-check: %s\n", strText.c_str());
    std::fflush(io.m_pErr);
}

std::string SystemErrorText(int nError)
{
    char szText[512] = "";
    FormatSystemError(static_cast<std::uint32_t>(nError), szText, sizeof szText);
    return szText;
}

// The signal that asked the run to stop, or 0.
int StopSignal(const CheckRunIo& io) { return io.m_pStopSignal != nullptr ? io.m_pStopSignal->load() : 0; }
bool Interrupted(const CheckRunIo& io) { return StopSignal(io) != 0; }

// A path as one line of a message: a control character in it (a file name
// may hold a line end or an escape sequence) is shown as a blank.
std::string ShownPath(const std::string& strPath) { return ControlsAsBlanks(strPath); }

// What the Favorites scan could not read: one warning line each, as they
// come, and their number for the closing line.
class CScanWarnings {
public:
    explicit CScanWarnings(const CheckRunIo& io) : m_io(io) {}

    ScanProblemFunction Function()
    {
        return [this](const ScanProblem& problem) {
            if (problem.m_bRoot) {
                m_nRootError = problem.m_nError;
                return;
            }
            ++m_nCount;
            PrintError(m_io, "cannot read \"" + ShownPath(problem.m_strPath) + "\": " +
                                 (problem.m_strText.empty() ? SystemErrorText(problem.m_nError) : problem.m_strText));
        };
    }
    int Count() const { return m_nCount.load(); }
    // The errno of a Favorites folder that could not be read at all, or 0.
    int RootError() const { return m_nRootError.load(); }

private:
    const CheckRunIo& m_io;
    std::atomic<int> m_nCount{0};
    std::atomic<int> m_nRootError{0};
};

ProgressSnapshot Snapshot(const std::vector<std::shared_ptr<FavoriteItem>>& items, const CViewState& state,
                          Clock::time_point start)
{
    ProgressSnapshot progress;
    progress.m_nTotal = int(items.size());
    for (const auto& pItem : items) {
        const std::int32_t nStatus = pItem->Status();
        if (nStatus != StatusNotChecked && nStatus != StatusChecking)
            ++progress.m_nChecked;
    }
    progress.m_nBroken = state.m_nBrokenCount.load();
    progress.m_elapsed = Clock::now() - start;
    return progress;
}

// Writes the exports and the results file; false when one failed (each
// failure is reported).
bool WriteOutputs(const CheckOptions& options, const CheckRunIo& io,
                  const std::vector<std::shared_ptr<FavoriteItem>>& items)
{
    bool bAllWritten = true;
    const auto report = [&](const ExportOutcome& outcome, const std::string& strPath) {
        if (outcome.m_nResult == ExportResult::Done)
            return;
        bAllWritten = false;
        PrintError(io, ShownPath(strPath) + ": " + ExportOutcomeMessage(outcome, ShownPath(strPath)).m_strText);
    };
    std::vector<std::shared_ptr<FavoriteItem>> kept;
    if (options.m_bLeaveOutBroken && !options.m_exports.empty())
        kept = LeaveOutBroken(items);
    const ExportList exported = options.m_bLeaveOutBroken ? ExportList(kept) : ExportList(items);
    for (const CheckExport& exportTo : options.m_exports)
        report(ExportToFile(exportTo.m_strPath, exportTo.m_nFormatId, exported), exportTo.m_strPath);
    if (options.m_strResults) {
        const std::string& strPath = *options.m_strResults;
        report(IsJsonResultsPath(strPath) ? WriteResultsJson(strPath, items) : WriteResultsCsv(strPath, items), strPath);
    }
    return bAllWritten;
}

// --update-moved: rewrites the favourites that moved for good. Each change
// goes to standard output, each failure and each moved favourite that is
// not rewritten to standard error. False when a rewrite failed.
bool ApplyMovedUpdates(const CheckRunIo& io, const std::vector<std::shared_ptr<FavoriteItem>>& items)
{
    const auto shownName = [](const FavoriteItem& item) {
        return ControlsAsBlanks(item.m_strFolder.empty() ? item.m_strName : item.m_strFolder + "/" + item.m_strName);
    };
    for (const auto& pItem : items) {
        if (!IsOfferedForUpdate(*pItem) || IsRewritable(*pItem))
            continue;
        std::string strWhy(UpdateMovedNote(*pItem));
        strWhy.front() = AsciiLower(strWhy.front());
        PrintError(io, "\"" + shownName(*pItem) + "\" moved to " + ControlsAsBlanks(pItem->Redirect().m_strFinalUrl) +
                           " and is not updated (" + strWhy + ")");
    }
    const BatchOutcome outcome =
        UpdateMovedFavorites(items, [&](const FavoriteItem& item, const std::string& strOldUrl) {
            std::fprintf(io.m_pOut, "Updated \"%s\": %s -> %s\n", shownName(item).c_str(),
                         ControlsAsBlanks(strOldUrl).c_str(), ControlsAsBlanks(item.m_strUrl).c_str());
        });
    std::fflush(io.m_pOut);
    std::size_t nStart = 0;
    while (nStart < outcome.m_strErrors.size()) {
        std::size_t nEnd = outcome.m_strErrors.find("\r\n", nStart);
        if (nEnd == std::string::npos)
            nEnd = outcome.m_strErrors.size();
        PrintError(io, ControlsAsBlanks(std::string_view(outcome.m_strErrors).substr(nStart, nEnd - nStart)));
        nStart = nEnd + 2;
    }
    return outcome.m_nFailed == 0;
}

// --cache: opens the results cache, gives every link its kept outcome when
// it is not older than --max-cache-age, leaves only the others in the list
// to check, and has the pass keep each new outcome. A cache that cannot be
// used is said once and the run goes on without it.
std::shared_ptr<CResultsCache> OpenCacheAndApply(const CheckRunIo& io, const CheckOptions& options, CListTreeSink& sink,
                                                 std::shared_ptr<CFavoriteList>& pToCheck,
                                                 CheckPassOptions& passOptions)
{
    const std::string strPath = DefaultResultsCachePath();
    if (strPath.empty()) {
        PrintError(io, "the results cache cannot be used: neither XDG_CACHE_HOME nor HOME names a folder");
        return nullptr;
    }
    ResultsCacheOpen opened = CResultsCache::Open(strPath);
    if (!opened.m_strNotice.empty())
        PrintError(io, ControlsAsBlanks(opened.m_strNotice));
    if (!opened.m_pCache)
        return nullptr;
    const std::int64_t nNotBefore = FavoriteItem::SecondsNow() - options.m_nMaxCacheAgeSeconds;
    ApplyKeptOutcomes(*sink.List(), sink, *opened.m_pCache, nNotBefore);
    std::vector<CFavoriteList::Item> rest;
    for (CFavoriteList::Item& pItem : sink.List()->Snapshot())
        if (pItem && pItem->CheckedAt() == 0)
            rest.push_back(std::move(pItem));
    pToCheck = std::make_shared<CFavoriteList>(std::move(rest));
    std::shared_ptr<CResultsCache> pCache = std::move(opened.m_pCache);
    // Shared: a check given up on by a stop may still end after the run.
    passOptions.m_onOutcome = [pCache](const FavoriteItem& item) { pCache->Put(KeptOutcomeOf(item)); };
    return pCache;
}

} // namespace

int CheckTimeoutMs(const CheckOptions& options)
{
    if (options.m_nTimeoutSeconds)
        return *options.m_nTimeoutSeconds * 1000;
    CReadOnlyProfile profile;
    CheckSettings settings;
    LoadCheckSettings(profile, settings);
    return settings.m_nTimeoutMs;
}

int RunZorbelCheck(const CheckOptions& options, const CheckRunIo& io)
{
    const int nTimeoutMs = CheckTimeoutMs(options);
    // The run's own state, as the window's view has one.
    const auto pState = std::make_shared<CViewState>();

    std::vector<std::string> outputs;
    for (const CheckExport& exportTo : options.m_exports)
        outputs.push_back(exportTo.m_strPath);
    if (options.m_strResults)
        outputs.push_back(*options.m_strResults);
    // Found before any link is checked, so that a long run does not end in
    // a file that cannot be written. Nothing is created here.
    for (const std::string& strPath : outputs) {
        if (const int nError = CheckAtomicFileTarget(strPath); nError != 0) {
            PrintError(io, "cannot write \"" + ShownPath(strPath) + "\": " + SystemErrorText(nError));
            return kExitError;
        }
    }

    // The source as the GUI takes it from its command line.
    const std::string strSource = RemoveZorbelPrefix(options.m_strSource);
    std::string strRoot;
    if (strSource.empty() && options.m_strBrowser.empty()) {
        const FavoritesLocation location = FindFavoritesFolder(CurrentFavoritesEnvironment());
        if (location.m_bNamed && location.m_strFolder.empty()) {
            PrintError(io, "the Favorites folder \"" + ShownPath(CurrentFavoritesEnvironment().m_strFavorites) +
                               "\" named by ZORBEL_FAVORITES cannot be used: " + SystemErrorText(location.m_nError));
            return kExitError;
        }
        strRoot = location.m_strFolder;
        if (strRoot.empty()) {
            PrintError(io, "no Favorites folder was found (looked at $ZORBEL_FAVORITES, ~/Favorites and the "
                           "Favorites of the Wine prefix); name a web page or a file to check instead");
            return kExitError;
        }
    }
    const auto pReport = std::make_shared<PopulationReport>();
    const PopulationRequest request{strSource, strRoot, options.m_strBrowser, pReport, nTimeoutMs};
    pState->m_bDocumentMode = IsDocumentRequest(request);

    CListTreeSink sink;
    CScanWarnings warnings(io);
    auto pStop = std::make_shared<ManualResetEvent>();
    std::atomic<bool> bClosing{false};
    // A Favorites folder that cannot be read ends the scan without a
    // message, so the end of the thread itself is watched too.
    std::atomic<bool> bPopulationEnded{false};
    std::thread populate([&] {
        StartPopulation(sink, *pState, pStop, bClosing, request, warnings.Function()).join();
        bPopulationEnded = true;
    });

    // Until the list is filled.
    bool bInterrupted = false;
    std::optional<ViewEvent> message;
    while (!message) {
        if (Interrupted(io)) {
            // As when the window is closed while it fills: no message follows.
            bInterrupted = true;
            bClosing = true;
            pStop->Set();
            break;
        }
        const bool bEnded = bPopulationEnded.load();
        message = sink.WaitMessage(bEnded ? 0ms : 100ms);
        if (bEnded)
            break;
    }
    populate.join();
    if (message == ViewEvent::SourceError) {
        PrintError(io, pReport->m_strSourceError.empty() ? FormatSourceErrorMessage(strSource)
                                                         : pReport->m_strSourceError);
        return kExitError;
    }
    if (!message && !bInterrupted) {
        PrintError(io, "the Favorites folder \"" + ShownPath(strRoot) +
                           "\" cannot be read: " + SystemErrorText(warnings.RootError() != 0 ? warnings.RootError() : EIO));
        return kExitError;
    }

    const std::vector<std::shared_ptr<FavoriteItem>> items = sink.Items();
    // A page read whole that gave nothing to check says so: an empty report
    // alone cannot be told from a page whose links were all fine.
    if (!bInterrupted && !strSource.empty() && items.empty())
        PrintError(io, "no link was found in \"" + ShownPath(strSource) + "\"");
    CProgressDisplay progress(io.m_pErr, io.m_bProgressTerminal);
    const Clock::time_point start = Clock::now();

    if (!bInterrupted) {
        auto pTreeLock = std::make_shared<std::mutex>();
        CheckPassOptions passOptions = CheckPassOptions::Console(nTimeoutMs);
        // Pages are looked into unless the command line says not to, whatever
        // the window's setting: a script gets the same verdicts on every machine.
        passOptions.m_bContentChecks = !options.m_bNoContentChecks;
        if (options.m_nThreads)
            passOptions.m_nThreadCount = *options.m_nThreads;
        passOptions.m_nHostLimit = options.m_nHostLimit;
        passOptions.m_nRetries = options.m_nRetries;
        TransferEngineOptions engineOptions;
        engineOptions.m_strCaFile = options.m_strCaFile;
        passOptions.m_pEngineOptions = &engineOptions;
        // With --cache, the links whose kept outcome is young enough take it
        // and only the rest are checked; what is checked is kept as it comes.
        std::shared_ptr<CFavoriteList> pToCheck = sink.List();
        std::shared_ptr<CResultsCache> pCache;
        if (options.m_bCache)
            pCache = OpenCacheAndApply(io, options, sink, pToCheck, passOptions);
        std::unique_ptr<CCheckPass> pPass = CCheckPass::Start(sink, pState, pToCheck, pTreeLock, pStop, passOptions);
        if (!pPass) {
            PrintError(io, "the checks cannot be started: " + SystemErrorText(EAGAIN));
            return kExitError;
        }
        const auto show = [&] {
            if (!options.m_bQuiet)
                progress.Update(Snapshot(items, *pState, start));
        };
        while (!pPass->IsFinished()) {
            if (Interrupted(io) && !bInterrupted) {
                bInterrupted = true;
                if (!options.m_bQuiet) {
                    progress.BreakLine();
                    std::fprintf(io.m_pErr, "Stopping: the checks under way are abandoned...\n");
                    std::fflush(io.m_pErr);
                }
                pPass->Stop(show);
                continue;
            }
            if (sink.WaitMessage(100ms) == ViewEvent::CheckDone)
                break;
            show();
        }
        pPass.reset();
        if (pCache)
            pCache->Flush();
    }

    const ReportCounts counts = CountReport(items);
    if (bInterrupted && !options.m_bQuiet) {
        const auto nUnchecked = std::count_if(items.begin(), items.end(), [](const auto& pItem) {
            const std::int32_t nStatus = pItem->Status();
            return nStatus == StatusNotChecked || nStatus == StatusChecking;
        });
        if (nUnchecked > 0)
            std::fprintf(io.m_pErr, "Stopped: %ld of %zu links were not checked.\n", static_cast<long>(nUnchecked),
                         items.size());
    }
    bool bReported = true;
    if (!options.m_bQuiet) {
        progress.Finish(Snapshot(items, *pState, start));
        errno = 0;
        for (const ReportLine& line : ReportLines(counts))
            std::fprintf(io.m_pOut, "%s\n", line.m_strText.c_str());
        if (std::fflush(io.m_pOut) != 0 || std::ferror(io.m_pOut)) {
            // A closed pipe or a full disk: the report is lost, which the
            // status must say.
            const int nError = errno != 0 ? errno : EIO;
            bReported = false;
            PrintError(io, "the report cannot be written: " + SystemErrorText(nError));
        }
    }
    const bool bWritten = WriteOutputs(options, io, items);
    // After the files, which show the favourites as they were checked; a
    // stopped run changes nothing.
    bool bUpdated = true;
    if (options.m_bUpdateMoved && !bInterrupted)
        bUpdated = ApplyMovedUpdates(io, items);
    if (const int nUnread = warnings.Count(); nUnread > 0)
        PrintError(io, std::to_string(nUnread) + (nUnread == 1 ? " entry" : " entries") +
                           " of the Favorites folder could not be read");

    if (bInterrupted)
        return kExitSignalBase + (StopSignal(io) != 0 ? StopSignal(io) : SIGINT);
    if (!bWritten || !bReported || !bUpdated)
        return kExitError;
    return counts.m_nBroken + counts.m_nPartial > 0 ? kExitSomethingBroken : kExitNothingBroken;
}
