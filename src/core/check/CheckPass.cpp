#include "core/check/CheckPass.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "core/check/CheckOneFavorite.h"
#include "core/check/EngineSlots.h"
#include "core/check/HandOutQueue.h"
#include "core/check/PageProbe.h"
#include "core/check/RetryPolicy.h"
#include "core/check/TreeSinkGate.h"
#include "core/check/WorkerSlotTable.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/model/ViewState.h"
#include "core/net/TransferEngine.h"
#include "core/platform/PathUtil.h"

using namespace std::chrono_literals;

// Worker threads (a check function of the caller's) are at most the slot table's.
constexpr int kMaxWorkerThreads = static_cast<int>(CWorkerSlotTable::kMaxSlotCount);

namespace {

constexpr auto kIdlePoll = 10ms;           // the dispatcher's wait for an idle worker
constexpr auto kDrainPoll = 100ms;         // the dispatcher's wait for the workers' end
constexpr auto kHostPoll = 100ms;          // its longest wait for a busy host or a retry's time
// Links the dispatcher reads ahead while their hosts are busy: at least this
// many, or this many per worker.
constexpr std::size_t kMinLookAhead = 1024;
constexpr std::size_t kLookAheadPerWorker = 16;
constexpr auto kStopPoll = 10ms;           // how often Stop lets the GUI pump
constexpr auto kDispatcherGrace = 2s;      // how long Stop waits for the dispatcher after the count-out
// A check that started just before the stop ends its own time-out a little
// after the stop's time-out; it is waited for this much longer before its
// worker counts as a straggler (the same second of grace that a time-out
// counted in whole seconds gives).
constexpr auto kStopGrace = 1s;

std::atomic<bool> s_bPassRunning{false};
std::atomic<int> s_nStragglers{0};

} // namespace

// One worker thread of a pass and the bookkeeping that decides, exactly
// once, whether it ended by itself or was counted out by a stop.
struct CWorkerRun {
    std::shared_ptr<WorkerSlot> m_pSlot;
    std::shared_ptr<CTreeSinkGate> m_pGate; // the worker's only way to the view's tree
    // The hand-out being checked: written with m_pItem, before the work signal.
    std::uint64_t m_nTicket = 0;
    int m_nTry = 1;
    std::mutex m_mx;                        // guards the two flags and the outcome hand-over
    bool m_bCountedOut = false;
    bool m_bEnded = false;
};

// What a worker tells the dispatcher when a check has ended.
struct CCheckReport {
    std::uint64_t m_nTicket = 0;
    int m_nTry = 1;
    int m_nHttpStatus = 0;
    std::optional<std::chrono::seconds> m_retryAfter;
    bool m_bThrew = false;
    bool m_bAborted = false; // a stop ended it: not checked, not tried again
};

struct CCheckPass::CState {
    std::shared_ptr<CFavoriteList> m_pItems; // the view's list, walked by the dispatcher
    ITreeSink* m_pSink = nullptr;                        // only ever reached through gates
    // The view's counts; shared, since a straggler may still count after the view is gone.
    std::shared_ptr<CViewState> m_pViewState;
    std::shared_ptr<CTreeSinkGate> m_pDispatcherGate;
    std::shared_ptr<std::mutex> m_pTreeLock;
    std::shared_ptr<ManualResetEvent> m_pStop;
    int m_nThreadCount = 1;
    int m_nTimeoutMs = 0;
    int m_nHostLimit = 0;
    int m_nRetries = 0;
    std::chrono::milliseconds m_pause{0};
    bool m_bContentChecks = true;
    std::function<void(const FavoriteItem&)> m_onOutcome;
    // The probes of the pass's sites, made once each and shared by its workers.
    std::shared_ptr<CPageProbeCache> m_pProbes = std::make_shared<CPageProbeCache>();
    CheckFunction m_check;
    // The real checks' engine and its slots; null when the checks run on
    // worker threads (m_check). The engine is reached by Stop too.
    std::mutex m_mxEngine;
    std::shared_ptr<CTransferEngine> m_pEngine; // guarded by m_mxEngine
    std::unique_ptr<CEngineSlots> m_pEngineSlots; // the dispatcher's

    std::mutex m_mxReports; // guards m_reports
    std::vector<CCheckReport> m_reports;
    ManualResetEvent m_hReported; // a report is waiting

    ManualResetEvent m_hAllDispatched;
    ManualResetEvent m_hFinished; // the dispatcher has posted ViewEvent::CheckDone
    std::atomic<bool> m_bPosted{false}; // set just before the post, so before m_hFinished
    std::atomic<int> m_nLive{0};  // workers of this pass neither ended nor counted out

    std::mutex m_mxRuns; // guards the two below
    std::vector<std::shared_ptr<CWorkerRun>> m_runs;
    bool m_bGatesClosed = false; // Stop has returned: new gates are born closed
};

namespace {

using CState = CCheckPass::CState;

bool IsCountedOut(CWorkerRun& run)
{
    std::lock_guard lock(run.m_mx);
    return run.m_bCountedOut;
}

// Takes the worker out of the counts if nobody has done so yet.
bool CountOut(CWorkerRun& run, CState& state)
{
    {
        std::lock_guard lock(run.m_mx);
        if (run.m_bCountedOut || run.m_bEnded)
            return false;
        run.m_bCountedOut = true;
        s_nStragglers.fetch_add(1);
        state.m_pViewState->m_nActiveWorkers.fetch_sub(1);
        state.m_nLive.fetch_sub(1);
    }
    run.m_pGate->Close();
    return true;
}

// The worker's own end; false when it had been counted out before.
bool EndRun(CWorkerRun& run, CState& state)
{
    std::lock_guard lock(run.m_mx);
    if (run.m_bCountedOut)
        return false;
    run.m_bEnded = true;
    state.m_pViewState->m_nActiveWorkers.fetch_sub(1);
    state.m_nLive.fetch_sub(1);
    return true;
}

// Copies an outcome to the real record, unless the worker has been counted
// out meanwhile: then nobody waits for it any more and it is dropped. A
// broken outcome that the check has already added to the broken count is
// taken back; a straggler's check ends long after the stop, so its count
// went into whatever pass is current now.
void PublishOutcome(CWorkerRun& run, CState& state, FavoriteItem& item, std::int32_t nStatus,
                    std::string strText, bool bCountedByCheck, FavoriteRedirect redirect = {})
{
    bool bStored = false;
    {
        std::lock_guard lock(run.m_mx);
        if (!run.m_bCountedOut) {
            item.SetOutcome(nStatus, std::move(strText), std::move(redirect));
            bStored = true;
        }
    }
    if (bStored) {
        // Final unless the dispatcher will hand the link out again.
        const WorkerSlot& slot = *run.m_pSlot;
        const bool bRetried = bCountedByCheck && run.m_nTry <= state.m_nRetries &&
                              RetryDelay(slot.m_nHttpStatus, slot.m_retryAfter, run.m_nTry).has_value();
        if (state.m_onOutcome && !bRetried)
            state.m_onOutcome(item);
        return;
    }
    if (bCountedByCheck && LinkStatusInfoFor(nStatus).m_bIsBroken)
        state.m_pViewState->m_nBrokenCount.fetch_sub(1);
}

// Runs the check of the slot's favourite. The check writes into a scratch
// record that carries what it reads (node, URL, kind); the outcome reaches
// the real record only through PublishOutcome. False when the check threw.
bool RunOneCheck(CState& state, CWorkerRun& run)
{
    WorkerSlot& slot = *run.m_pSlot;
    const std::shared_ptr<FavoriteItem> pItem = slot.m_pItem;
    if (!pItem)
        return true;

    auto pScratch = std::make_shared<FavoriteItem>();
    pScratch->m_hItem = pItem->m_hItem;
    pScratch->m_strUrl = pItem->m_strUrl;
    pScratch->m_strFolder = pItem->m_strFolder;
    pScratch->m_nDepth = pItem->m_nDepth;
    pScratch->m_nKind = pItem->m_nKind;
    pScratch->SetOutcome(pItem->Status(), pItem->StatusText());
    pItem->SetStatus(StatusChecking);

    slot.m_pItem = pScratch;
    slot.m_nHttpStatus = 0;
    slot.m_retryAfter.reset();
    bool bThrew = false;
    try {
        state.m_check(slot);
    } catch (...) {
        bThrew = true;
    }
    slot.m_pItem = pItem;

    if (!bThrew) {
        PublishOutcome(run, state, *pItem, pScratch->Status(), pScratch->StatusText(), true, pScratch->Redirect());
        return true;
    }
    {
        std::lock_guard lock(*slot.m_pTreeLock);
        const int nImage = slot.m_pSink->NodeImage(pItem->m_hItem);
        if (nImage >= 0)
            slot.m_pSink->SetNodeImage(pItem->m_hItem, ImageFor(KindFromImage(nImage), StatusUnverified));
    }
    PublishOutcome(run, state, *pItem, StatusUnverified, std::string(kCheckExceptionText), false);
    return false;
}

// Tells the dispatcher that the check it handed out has ended, with what the
// answer said about trying again.
void Report(CState& state, const CWorkerRun& run, bool bThrew)
{
    const WorkerSlot& slot = *run.m_pSlot;
    {
        std::lock_guard lock(state.m_mxReports);
        state.m_reports.push_back({run.m_nTicket, run.m_nTry, slot.m_nHttpStatus, slot.m_retryAfter, bThrew});
    }
    state.m_hReported.Set();
}

// The worker's loop; true when it had been counted out before it ended.
bool WorkerLoop(std::shared_ptr<CState> pState, std::shared_ptr<CWorkerRun> pRun)
{
    WorkerSlot& slot = *pRun->m_pSlot;
    // Stop before work, work before all-dispatched: a favourite handed out
    // is checked even after the end of handing out, never after a stop.
    ManualResetEvent* const waitList[] = {slot.m_hStop, &slot.m_hWork, slot.m_hAllDispatched};
    for (;;) {
        slot.m_hIdle.Set();
        const std::optional<size_t> nSignalled = ManualResetEvent::WaitForAny(waitList, std::nullopt);
        if (nSignalled != 1u)
            break;
        slot.m_hIdle.Reset();
        slot.m_hWork.Reset();
        const bool bChecked = RunOneCheck(*pState, *pRun);
        Report(*pState, *pRun, !bChecked);
        if (!bChecked || IsCountedOut(*pRun))
            break;
        // The pause between checks, cut short by a stop: the worker is done.
        if (pState->m_pause.count() > 0)
            slot.m_hStop->Wait(pState->m_pause);
    }
    slot.m_hIdle.Reset(); // an ended worker never looks idle to the dispatcher
    slot.m_pItem.reset();
    const bool bStraggler = !EndRun(*pRun, *pState);
    CWorkerSlotTable::Instance().Release(pRun->m_pSlot);
    return bStraggler;
}

void CheckWorkerThread(std::shared_ptr<CState> pState, std::shared_ptr<CWorkerRun> pRun)
{
    // Everything the loop holds is let go before a straggler says it has ended.
    if (WorkerLoop(std::move(pState), std::move(pRun)))
        s_nStragglers.fetch_sub(1);
}

using WorkerThreads = std::vector<std::pair<std::thread, std::shared_ptr<CWorkerRun>>>;

// Starts the workers on slots 0 to N - 1; fewer when threads run out.
WorkerThreads StartWorkers(const std::shared_ptr<CState>& pState)
{
    CState& state = *pState;
    WorkerThreads workers;
    for (int i = 0; i < std::min(state.m_nThreadCount, kMaxWorkerThreads); ++i) {
        auto pRun = std::make_shared<CWorkerRun>();
        pRun->m_pSlot = CWorkerSlotTable::Instance().Acquire(static_cast<size_t>(i));
        pRun->m_pGate = std::make_shared<CTreeSinkGate>(*state.m_pSink);
        WorkerSlot& slot = *pRun->m_pSlot;
        slot.m_hStop = state.m_pStop.get();
        slot.m_hAllDispatched = &state.m_hAllDispatched;
        slot.m_pTreeLock = state.m_pTreeLock.get();
        slot.m_pSink = pRun->m_pGate.get();
        slot.m_pViewState = state.m_pViewState.get();
        slot.m_nTimeoutMs = state.m_nTimeoutMs;
        slot.m_bContentChecks = state.m_bContentChecks;
        slot.m_pProbes = state.m_pProbes;
        {
            std::lock_guard lock(state.m_mxRuns);
            if (state.m_bGatesClosed)
                pRun->m_pGate->Close();
            state.m_runs.push_back(pRun);
        }
        // Counted in before the thread runs, so the drain never sees 0
        // while a worker is still starting.
        state.m_pViewState->m_nActiveWorkers.fetch_add(1);
        state.m_nLive.fetch_add(1);
        try {
            workers.emplace_back(std::thread(CheckWorkerThread, pState, pRun), pRun);
        } catch (const std::system_error&) {
            EndRun(*pRun, state);
            CWorkerSlotTable::Instance().Release(pRun->m_pSlot);
            break;
        }
        std::this_thread::yield();
    }
    return workers;
}

// Hands one web link to the lowest idle slot of the engine; false on a stop.
bool HandOutToEngine(CState& state, CHandOutQueue& queue, const CHandOutQueue::CTaken& taken)
{
    const std::optional<int> nSlot = state.m_pEngineSlots->WaitIdle(*state.m_pStop);
    if (!nSlot)
        return false;
    if (taken.m_pItem->m_bRemoved.load()) { // deleted while it waited
        queue.Finished(taken.m_nTicket, false, std::nullopt, CHandOutQueue::Clock::now());
        ++state.m_pViewState->m_nPassDone;
        return true;
    }
    state.m_pEngineSlots->Start(*nSlot, taken.m_pItem, taken.m_nTicket, taken.m_nTry);
    return true;
}

// Hands one web link to the lowest idle worker; false when handing out
// must stop (the stop event, or no worker is left to take it).
bool HandOut(CState& state, const WorkerThreads& workers,
             const std::vector<ManualResetEvent*>& waitList, CHandOutQueue& queue,
             const CHandOutQueue::CTaken& taken)
{
    const std::shared_ptr<FavoriteItem>& pItem = taken.m_pItem;
    if (state.m_pEngineSlots)
        return HandOutToEngine(state, queue, taken);
    std::optional<size_t> nSignalled;
    for (;;) {
        nSignalled = ManualResetEvent::WaitForAny(waitList, kIdlePoll);
        std::this_thread::yield();
        if (nSignalled || state.m_nLive.load() == 0)
            break;
    }
    if (!nSignalled || *nSignalled == 0)
        return false;
    // The user may have deleted the favourite while it waited for a worker
    // (or for its host, or for a retry): it is passed by, and the idle
    // worker waits for the next one.
    if (pItem->m_bRemoved.load()) {
        queue.Finished(taken.m_nTicket, false, std::nullopt, CHandOutQueue::Clock::now());
        ++state.m_pViewState->m_nPassDone;
        return true;
    }
    CWorkerRun& run = *workers[*nSignalled - 1].second;
    WorkerSlot& slot = *run.m_pSlot;
    slot.m_hIdle.Reset();
    // Written before the work signal; read only after it.
    run.m_nTicket = taken.m_nTicket;
    run.m_nTry = taken.m_nTry;
    slot.m_pItem = pItem;
    slot.m_hWork.Set();
    return true;
}

// Takes the workers' reports in: their hosts are free again, and a link
// answered "later" waits for its retry while retries are left.
void TakeReports(CState& state, CHandOutQueue& queue)
{
    state.m_hReported.Reset();
    std::vector<CCheckReport> reports;
    {
        std::lock_guard lock(state.m_mxReports);
        reports.swap(state.m_reports);
    }
    const auto now = CHandOutQueue::Clock::now();
    for (const CCheckReport& report : reports) {
        std::optional<std::chrono::milliseconds> retryIn;
        if (!report.m_bThrew && !report.m_bAborted && report.m_nTry <= state.m_nRetries)
            retryIn = RetryDelay(report.m_nHttpStatus, report.m_retryAfter, report.m_nTry);
        queue.Finished(report.m_nTicket, report.m_nHttpStatus == 429, retryIn, now);
        if (!retryIn && !report.m_bAborted)
            ++state.m_pViewState->m_nPassDone;
    }
}

void Skip(CState& state, ITreeSink& sink, FavoriteItem& item, int nImage, bool bDirectory)
{
    item.SetOutcome(StatusSkipped,
                    std::string(bDirectory ? kSkippedFolderText : kSkippedFileText));
    ++state.m_pViewState->m_nPassDone;
    if (nImage >= 0)
        sink.SetNodeImage(item.m_hItem, ImageFor(KindFromImage(nImage), StatusSkipped));
}

// Hands out every waiting link that may go now; false when handing out
// must stop.
bool HandOutReady(CState& state, const WorkerThreads& workers, const std::vector<ManualResetEvent*>& waitList,
                  CHandOutQueue& queue)
{
    for (;;) {
        TakeReports(state, queue);
        const auto taken = queue.Take(CHandOutQueue::Clock::now());
        if (!taken)
            return true;
        if (!HandOut(state, workers, waitList, queue, *taken))
            return false;
    }
}

// Waits while links wait for their hosts or their time, until a report or
// the time of the next retry; false on a stop, or when no worker is left.
bool WaitForHosts(CState& state, CHandOutQueue& queue)
{
    if (state.m_nLive.load() == 0)
        return false;
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kHostPoll);
    const auto now = CHandOutQueue::Clock::now();
    if (const auto next = queue.NextTime(now))
        wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*next - now));
    ManualResetEvent* const waitFor[] = {state.m_pStop.get(), &state.m_hReported};
    return ManualResetEvent::WaitForAny(waitFor, wait) != 0u;
}

// After a link joined the queue: hands out what may go, until the queue
// has room for the next link of the walk; false when handing out must stop.
bool HandOutUntilThereIsRoom(CState& state, const WorkerThreads& workers,
                             const std::vector<ManualResetEvent*>& waitList, CHandOutQueue& queue)
{
    for (;;) {
        if (!HandOutReady(state, workers, waitList, queue))
            return false;
        if (queue.HasRoom())
            return true;
        if (!WaitForHosts(state, queue))
            return false;
    }
}

// At the end of the walk: hands out the links that still wait, and the
// retries that checks still running may ask for.
void HandOutTheRest(CState& state, const WorkerThreads& workers, const std::vector<ManualResetEvent*>& waitList,
                    CHandOutQueue& queue)
{
    for (;;) {
        if (!HandOutReady(state, workers, waitList, queue))
            return;
        if (queue.Waiting() == 0 && (state.m_nRetries == 0 || queue.Running() == 0))
            return;
        if (!WaitForHosts(state, queue))
            return;
    }
}

// The engine's slots in place of worker threads: as many as the pass has
// threads, each reporting like a worker when its check has ended.
void StartEngineSlots(const std::shared_ptr<CState>& pState)
{
    CState& state = *pState;
    auto pGate = std::make_shared<CTreeSinkGate>(*state.m_pSink);
    {
        std::lock_guard lock(state.m_mxRuns);
        if (state.m_bGatesClosed)
            pGate->Close();
        // Closed with the workers' gates when Stop returns.
        auto pRun = std::make_shared<CWorkerRun>();
        pRun->m_pGate = pGate;
        pRun->m_bEnded = true; // never counted out: the engine's checks end at a stop
        state.m_runs.push_back(pRun);
    }
    WorkerSlot prototype;
    prototype.m_pTreeLock = state.m_pTreeLock.get();
    prototype.m_pSink = pGate.get();
    prototype.m_pViewState = state.m_pViewState.get();
    prototype.m_nTimeoutMs = state.m_nTimeoutMs;
    prototype.m_bContentChecks = state.m_bContentChecks;
    prototype.m_pProbes = state.m_pProbes;
    state.m_nLive.fetch_add(1); // the slots, as one worker that ends with the walk
    CState* const pRaw = &state;
    state.m_pEngineSlots = std::make_unique<CEngineSlots>(
        state.m_nThreadCount, state.m_pEngine, prototype,
        [pRaw, pGate](std::uint64_t nTicket, int nTry, const EngineCheckEnd& end,
                      const std::shared_ptr<FavoriteItem>& pItem) {
            // Final unless the dispatcher will hand the link out again.
            if (pRaw->m_onOutcome && pItem && !end.m_bAborted &&
                !(nTry <= pRaw->m_nRetries && RetryDelay(end.m_nHttpStatus, end.m_retryAfter, nTry).has_value()))
                pRaw->m_onOutcome(*pItem);
            {
                std::lock_guard lock(pRaw->m_mxReports);
                pRaw->m_reports.push_back({nTicket, nTry, end.m_nHttpStatus, end.m_retryAfter, false, end.m_bAborted});
            }
            pRaw->m_hReported.Set();
        });
}

// After the walk: waits for the checks under way (a stop has aborted them),
// then ends the engine.
void EndEngine(CState& state)
{
    state.m_pEngineSlots.reset();
    std::shared_ptr<CTransferEngine> pEngine;
    {
        std::lock_guard lock(state.m_mxEngine);
        pEngine = std::move(state.m_pEngine);
    }
    pEngine.reset();
    state.m_pViewState->m_nActiveWorkers.store(0);
    state.m_nLive.fetch_sub(1);
}

void CheckDispatcherThread(std::shared_ptr<CState> pState)
{
    CState& state = *pState;
    ITreeSink& sink = *state.m_pDispatcherGate;
    state.m_hAllDispatched.Reset();

    WorkerThreads workers;
    if (state.m_pEngine)
        StartEngineSlots(pState);
    else
        workers = StartWorkers(pState);
    std::vector<ManualResetEvent*> waitList{state.m_pStop.get()};
    for (const auto& worker : workers)
        waitList.push_back(&worker.second->m_pSlot->m_hIdle);

    // Without a host limit or retries every web link is handed out as soon
    // as the walk reaches it: the list order. Otherwise links wait in the
    // queue for their hosts and times, and the walk reads ahead while
    // earlier links wait.
    CHandOutQueue queue(state.m_nHostLimit,
                        std::max(kMinLookAhead, kLookAheadPerWorker * static_cast<std::size_t>(state.m_nThreadCount)));
    bool bHandingOut = true;
    const auto dispatch = [&](const std::shared_ptr<FavoriteItem>& pItem) {
        queue.Add(pItem);
        bHandingOut = HandOutUntilThereIsRoom(state, workers, waitList, queue);
        return bHandingOut;
    };

    CFavoriteList::CCursor cursor(state.m_pItems);
    while (const std::shared_ptr<FavoriteItem> pItem = cursor.Next()) {
        if (pItem->m_bRemoved.load())
            continue; // taken out of the list just as the cursor reached it
        const int nImage = sink.NodeImage(pItem->m_hItem);
        if (nImage >= 4)
            sink.SetNodeImage(pItem->m_hItem, KindFromImage(nImage));
        const bool bUrl = PathIsURLA(pItem->m_strUrl);
        // A web link is never a folder here, whatever the working directory
        // happens to hold under a name spelled like it.
        const bool bDirectory = !PathIsWebLink(pItem->m_strUrl) && PathIsDirectoryA(pItem->m_strUrl);
        if (bUrl && !bDirectory) {
            if (!dispatch(pItem))
                break;
        } else {
            Skip(state, sink, *pItem, nImage, bDirectory);
        }
    }
    if (bHandingOut)
        HandOutTheRest(state, workers, waitList, queue);

    state.m_hAllDispatched.Set();
    if (state.m_pEngineSlots)
        EndEngine(state);
    while (state.m_nLive.load() != 0)
        std::this_thread::sleep_for(kDrainPoll);
    for (auto& [thread, pRun] : workers) {
        if (IsCountedOut(*pRun))
            thread.detach(); // it holds everything it touches and ends by itself
        else
            thread.join();
    }

    // The reports of the last checks, which the walk no longer waited for,
    // count them as done before the end is told.
    TakeReports(state, queue);

    state.m_bPosted.store(true); // nothing is left but the post itself
    sink.PostToView(ViewEvent::CheckDone);
    s_bPassRunning.store(false);
    state.m_hFinished.Set();
}

} // namespace

CCheckPass::CCheckPass(std::shared_ptr<CState> pState) : m_pState(std::move(pState)) {}

std::unique_ptr<CCheckPass> CCheckPass::Start(ITreeSink& sink,
                                              std::shared_ptr<CViewState> pViewState,
                                              std::shared_ptr<CFavoriteList> pItems,
                                              std::shared_ptr<std::mutex> pTreeLock,
                                              std::shared_ptr<ManualResetEvent> pStop,
                                              const CheckPassOptions& options, CheckFunction check)
{
    bool bIdle = false;
    if (!s_bPassRunning.compare_exchange_strong(bIdle, true))
        return nullptr;

    auto pState = std::make_shared<CState>();
    pState->m_pItems = pItems ? std::move(pItems) : std::make_shared<CFavoriteList>();
    pState->m_pSink = &sink;
    pState->m_pViewState = pViewState ? std::move(pViewState) : std::make_shared<CViewState>();
    pState->m_pDispatcherGate = std::make_shared<CTreeSinkGate>(sink);
    pState->m_pTreeLock = pTreeLock ? std::move(pTreeLock) : std::make_shared<std::mutex>();
    pState->m_pStop = pStop ? std::move(pStop) : std::make_shared<ManualResetEvent>();
    pState->m_nThreadCount = std::clamp(options.m_nThreadCount, kMinThreads, kMaxPassThreads);
    pState->m_nTimeoutMs = std::max(options.m_nTimeoutMs, 0);
    pState->m_bContentChecks = options.m_bContentChecks;
    pState->m_onOutcome = options.m_onOutcome;
    pState->m_nHostLimit = std::max(options.m_nHostLimit, 0);
    pState->m_nRetries = std::clamp(options.m_nRetries, 0, kMaxRetries);
    pState->m_pause = std::clamp(options.m_pause, std::chrono::milliseconds(0), std::chrono::milliseconds(1000));
    if (check) {
        pState->m_check = std::move(check);
    } else {
        pState->m_pEngine =
            CTransferEngine::Start(options.m_pEngineOptions ? *options.m_pEngineOptions : TransferEngineOptions{});
        if (!pState->m_pEngine) // no event loop to be had: the same check on worker threads
            pState->m_check = CheckOneFavorite;
    }
    if (!pState->m_pEngine)
        pState->m_nThreadCount = std::min(pState->m_nThreadCount, kMaxWorkerThreads);

    // The engine's slots count as a worker from here, so the window never
    // sees the pass idle between its checks.
    pState->m_pViewState->m_nActiveWorkers.store(pState->m_pEngine ? 1 : 0);
    pState->m_pViewState->m_nBrokenCount.store(0);
    pState->m_pViewState->m_nPassTotal.store(static_cast<int>(pState->m_pItems->Size()));
    pState->m_pViewState->m_nPassDone.store(0);
    pState->m_pStop->Reset();

    std::unique_ptr<CCheckPass> pPass(new CCheckPass(pState));
    try {
        pPass->m_dispatcher = std::thread(CheckDispatcherThread, pState);
    } catch (const std::system_error&) {
        pState->m_pViewState->m_nActiveWorkers.store(0);
        pState->m_hFinished.Set();
        s_bPassRunning.store(false);
        return nullptr;
    }
    return pPass;
}

CCheckPass::~CCheckPass()
{
    if (!m_dispatcher.joinable())
        return;
    // The view may handle ViewEvent::CheckDone and drop the pass before the
    // dispatcher has quite returned; then it is only joined, and the stop
    // event (also the population's) stays as it is.
    if (m_pState->m_bPosted.load() || m_pState->m_hFinished.IsSet())
        m_dispatcher.join();
    else
        Stop();
}

int CCheckPass::Stop(const PumpFunction& pump)
{
    CState& state = *m_pState;
    state.m_pViewState->m_bStopping.store(true);
    state.m_pStop->Set();
    {
        std::lock_guard lock(state.m_mxEngine);
        if (state.m_pEngine)
            state.m_pEngine->AbortAll();
    }

    const auto tStart = std::chrono::steady_clock::now();
    const auto timeout = std::chrono::milliseconds(state.m_nTimeoutMs) + kStopGrace;
    int nCountedOut = 0;
    bool bCountedOut = false;
    while (!state.m_hFinished.IsSet()) {
        const auto elapsed = std::chrono::steady_clock::now() - tStart;
        if (!bCountedOut && elapsed > timeout) {
            // The workers still running are given up on; they end by
            // themselves later, with everything they touch kept alive.
            std::lock_guard lock(state.m_mxRuns);
            for (const auto& pRun : state.m_runs)
                if (CountOut(*pRun, state))
                    ++nCountedOut;
            bCountedOut = true;
        }
        if (bCountedOut && elapsed > timeout + kDispatcherGrace)
            break;
        if (pump)
            pump();
        state.m_hFinished.Wait(kStopPoll);
    }

    {
        std::lock_guard lock(state.m_mxRuns);
        state.m_bGatesClosed = true;
        for (const auto& pRun : state.m_runs)
            pRun->m_pGate->Close();
    }
    state.m_pDispatcherGate->Close();
    if (m_dispatcher.joinable()) {
        if (state.m_hFinished.IsSet())
            m_dispatcher.join();
        else
            m_dispatcher.detach();
    }
    state.m_pViewState->m_bStopping.store(false);
    return nCountedOut;
}

std::size_t CCheckPass::ProbeCount() const { return m_pState->m_pProbes->ProbeCount(); }

bool CCheckPass::IsFinished() const { return m_pState->m_hFinished.IsSet(); }

bool CCheckPass::WaitFinished(std::chrono::milliseconds timeout) const
{
    return m_pState->m_hFinished.Wait(timeout);
}

bool CCheckPass::IsPassRunning() { return s_bPassRunning.load(); }

int CCheckPass::StragglerCount() { return s_nStragglers.load(); }

bool CCheckPass::WaitForStragglers(std::chrono::milliseconds timeout)
{
    const auto tEnd = std::chrono::steady_clock::now() + timeout;
    while (s_nStragglers.load() != 0) {
        if (std::chrono::steady_clock::now() >= tEnd)
            return false;
        std::this_thread::sleep_for(kStopPoll);
    }
    return true;
}
