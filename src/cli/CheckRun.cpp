#include "CheckRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CheckProgress.h"
#include "ListTreeSink.h"
#include "ReadOnlyProfile.h"
#include "check/CheckPass.h"
#include "export/ExportFormat.h"
#include "export/ExportToFile.h"
#include "export/ResultsCsv.h"
#include "model/FavoritesFolder.h"
#include "model/LinkStatus.h"
#include "model/Population.h"
#include "model/ProcessState.h"
#include "model/SourceLinks.h"
#include "model/SourceLocation.h"
#include "platform/SystemError.h"
#include "report/CheckReport.h"
#include "settings/CheckSettings.h"

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

// 0 when the file can be created or replaced, else the errno that would
// stop it; checked before the checks start so that a long run does not end
// in a file that cannot be written. Nothing is created here.
int OutputPathError(const std::string& strPath)
{
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        return access(strPath.c_str(), W_OK) == 0 ? 0 : errno;
    }
    if (errno != ENOENT)
        return errno;
    const std::size_t nSlash = strPath.find_last_of('/');
    const std::string strFolder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : strPath.substr(0, nSlash);
    if (stat(strFolder.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return access(strFolder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

bool Interrupted(const CheckRunIo& io) { return io.m_pInterrupted != nullptr && io.m_pInterrupted->load(); }

ProgressSnapshot Snapshot(const std::vector<std::shared_ptr<FavoriteItem>>& items, Clock::time_point start)
{
    ProgressSnapshot progress;
    progress.m_nTotal = int(items.size());
    for (const auto& pItem : items) {
        const std::int32_t nStatus = pItem->Status();
        if (nStatus != StatusNotChecked && nStatus != StatusChecking)
            ++progress.m_nChecked;
    }
    progress.m_nBroken = g_nBrokenCount.load();
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
        PrintError(io, strPath + ": " + ExportOutcomeMessage(outcome, strPath).m_strText);
    };
    for (const CheckExport& exportTo : options.m_exports)
        report(ExportToFile(exportTo.m_strPath, exportTo.m_nFormatId, items), exportTo.m_strPath);
    if (options.m_strResults)
        report(WriteResultsCsv(*options.m_strResults, items), *options.m_strResults);
    return bAllWritten;
}

} // namespace

int RunZorbelCheck(const CheckOptions& options, const CheckRunIo& io)
{
    CReadOnlyProfile profile;
    LoadCheckSettings(profile, g_checkSettings);
    if (options.m_nTimeoutSeconds)
        g_checkSettings.m_nTimeoutMs = *options.m_nTimeoutSeconds * 1000;

    std::vector<std::string> outputs;
    for (const CheckExport& exportTo : options.m_exports)
        outputs.push_back(exportTo.m_strPath);
    if (options.m_strResults)
        outputs.push_back(*options.m_strResults);
    for (const std::string& strPath : outputs) {
        if (const int nError = OutputPathError(strPath); nError != 0) {
            PrintError(io, "cannot write \"" + strPath + "\": " + SystemErrorText(nError));
            return kExitError;
        }
    }

    // The source as the GUI takes it from its command line.
    const std::string strSource = RemoveZorbelPrefix(options.m_strSource);
    std::string strRoot;
    if (strSource.empty()) {
        strRoot = LocateFavoritesFolder();
        if (strRoot.empty()) {
            PrintError(io, "no Favorites folder was found (looked at $ZORBEL_FAVORITES, ~/Favorites and the "
                           "Favorites of the Wine prefix); name a web page or a file to check instead");
            return kExitError;
        }
    }
    g_bDocumentMode = !strSource.empty();

    CListTreeSink sink;
    auto pStop = std::make_shared<ManualResetEvent>();
    std::atomic<bool> bClosing{false};
    std::thread populate = StartPopulation(sink, pStop, bClosing, {strSource, strRoot});

    // Until the list is filled.
    bool bInterrupted = false;
    std::optional<ViewMessage> message;
    while (!message) {
        if (Interrupted(io)) {
            // As when the window is closed while it fills: no message follows.
            bInterrupted = true;
            bClosing = true;
            pStop->Set();
            break;
        }
        message = sink.WaitMessage(100ms);
    }
    populate.join();
    if (message == UM_SOURCEERROR) {
        PrintError(io, FormatSourceErrorMessage(strSource));
        return kExitError;
    }

    const std::vector<std::shared_ptr<FavoriteItem>> items = sink.Items();
    CProgressDisplay progress(io.m_pErr, io.m_bProgressTerminal);
    const Clock::time_point start = Clock::now();

    if (!bInterrupted) {
        auto pTreeLock = std::make_shared<std::mutex>();
        CheckPassOptions passOptions;
        passOptions.m_nThreadCount = options.m_nThreads.value_or(kDefaultCheckThreads);
        passOptions.m_nTimeoutMs = g_checkSettings.m_nTimeoutMs;
        passOptions.m_nHostLimit = options.m_nHostLimit;
        passOptions.m_nRetries = options.m_nRetries;
        passOptions.m_pause = std::chrono::milliseconds(0); // no window to give way to
        std::unique_ptr<CCheckPass> pPass = CCheckPass::Start(sink, sink.List(), pTreeLock, pStop, passOptions);
        if (!pPass) {
            PrintError(io, "the checks cannot be started: " + SystemErrorText(EAGAIN));
            return kExitError;
        }
        const auto show = [&] {
            if (!options.m_bQuiet)
                progress.Update(Snapshot(items, start));
        };
        while (!pPass->IsFinished()) {
            if (Interrupted(io) && !bInterrupted) {
                bInterrupted = true;
                if (!options.m_bQuiet) {
                    progress.BreakLine();
                    std::fprintf(io.m_pErr, "Stopping: the running checks are finishing...\n");
                    std::fflush(io.m_pErr);
                }
                pPass->Stop(show);
                continue;
            }
            if (sink.WaitMessage(100ms) == UM_CHECKDONE)
                break;
            show();
        }
        pPass.reset();
    }

    const ReportCounts counts = CountReport(items);
    if (!options.m_bQuiet) {
        progress.Finish(Snapshot(items, start));
        for (const ReportLine& line : ReportLines(counts))
            std::fprintf(io.m_pOut, "%s\n", line.m_strText.c_str());
        std::fflush(io.m_pOut);
    }
    const bool bWritten = WriteOutputs(options, io, items);

    if (bInterrupted)
        return kExitInterrupted;
    if (!bWritten)
        return kExitError;
    return counts.m_nBroken + counts.m_nPartial > 0 ? kExitSomethingBroken : kExitNothingBroken;
}
