#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "core/check/WorkerSlot.h"
#include "core/model/FavoriteList.h"
#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"
#include "core/platform/ManualResetEvent.h"
#include "core/settings/CheckSettings.h"

struct TransferEngineOptions;

// Texts given to favourites that are not web links.
inline constexpr std::string_view kSkippedFolderText =
    "This is a folder on your system.  It will not be checked.";
inline constexpr std::string_view kSkippedFileText =
    "This appears to be a shortcut to a file on your system.  It will not be checked.";
// Text of a favourite whose check threw.
inline constexpr std::string_view kCheckExceptionText =
    "An unexpected Exception occured while checking this Favorite.";

// How a pass checks. The two programs each have one preset, so that every
// choice below (checks at once, per host, retries, the rest between checks)
// has one answer per program:
//   Window():  the thread count of the settings (1 to 16) and nothing else;
//              it hands out in list order and takes every answer as it comes,
//              and its workers rest 10 ms after each check to leave the
//              window room;
//   Console(): many more checks at once, spread over the hosts, "later"
//              answers tried again, no rest (there is no window to give way to).
// The real checks of both run as transfers of one event loop (no thread per
// check), so "threads" and "workers" here count checks at once.
struct CheckPassOptions {
    int m_nThreadCount = 1; // checks at once, 1 to kMaxPassThreads
    int m_nTimeoutMs = 0;   // the check time-out, which also bounds the wait of Stop
    int m_nHostLimit = 0;   // checks at once per host (CheckHostOf); 0: no limit
    // Further tries of a link answered 429 or 503, after the wait its
    // Retry-After asks (at most kMaxRetryAfter) or a short backoff; 0 to
    // kMaxRetries. A waiting retry holds no worker.
    int m_nRetries = 0;
    // A worker thread's rest after each check (the engine's slots have no
    // threads to rest: a slot takes its next link at once).
    std::chrono::milliseconds m_pause{10};
    // Read and judge the page of a link that answers 200 (parked domains,
    // pages that say they were not found, deep links sent home).
    bool m_bContentChecks = true;
    // How the transfers reach their servers (a CA file, a resolver for
    // tests); null: the defaults. Read when the pass starts.
    const TransferEngineOptions* m_pEngineOptions = nullptr;
    // Called once for each favourite whose check has ended with its final
    // outcome (not for one skipped, abandoned by a stop, or to be tried
    // again), on the thread of the check, after the outcome is stored in the
    // record. It must not block.
    std::function<void(const FavoriteItem&)> m_onOutcome;

    // The window's pass with the user's thread count (clamped to 1 to 16)
    // and time-out.
    static CheckPassOptions Window(int nThreadCount = kMinThreads, int nTimeoutMs = 0)
    {
        CheckPassOptions options;
        options.m_nThreadCount = nThreadCount < kMinThreads ? kMinThreads
                                 : nThreadCount > kMaxThreads ? kMaxThreads
                                                              : nThreadCount;
        options.m_nTimeoutMs = nTimeoutMs;
        options.m_nHostLimit = 0;
        options.m_nRetries = 0;
        options.m_pause = std::chrono::milliseconds(10);
        return options;
    }
    // The console checker's pass with the given time-out.
    static CheckPassOptions Console(int nTimeoutMs = 0)
    {
        CheckPassOptions options;
        options.m_nThreadCount = 256;
        options.m_nTimeoutMs = nTimeoutMs;
        options.m_nHostLimit = 8;
        options.m_nRetries = 2;
        options.m_pause = std::chrono::milliseconds(0);
        return options;
    }
};

inline constexpr int kMaxPassThreads = 1024;

// One check-all pass: a dispatcher thread (CheckDispatcherThread) that
// walks the list in order, hands every web link to the lowest idle slot of
// N, marks everything else skipped, waits for the checks to end and posts
// ViewEvent::CheckDone through the sink. The real check (CheckOneFavorite)
// runs as a transfer of the pass's engine (CTransferEngine, one event-loop
// thread for all of them), and Stop aborts every transfer under way at once;
// a check function given by the caller runs on N worker threads
// (CheckWorkerThread) on slots 0 to N - 1 of the slot table instead, and a
// stop waits for those as it always did. With a host limit a link whose host
// is busy waits while later links of free hosts go first; a link to be
// tried again waits for its time without a worker (CHandOutQueue). The
// records keep their places in the list whatever the order of the checks.
//
// The handle belongs to the view. Everything a worker touches (the records,
// the tree lock, the stop event, its slot, the pass's events) is held by
// shared ownership, and the workers reach the view's sink only through gates
// that Stop closes; so a worker given up on after a stop may go on running
// safely after Stop has returned and even after the view is gone.
class CCheckPass {
public:
    using CheckFunction = std::function<void(WorkerSlot&)>;
    using PumpFunction = std::function<void()>;

    // Starts a pass on a new dispatcher thread and returns at once.
    //   sink:        the view's tree; must outlive the handle or a Stop
    //                (whichever comes first); its calls must not wait for
    //                the GUI thread.
    //   pViewState:  the view's state, whose worker, broken and stopping
    //                counts the pass keeps; null: one of the pass's own.
    //   pItems:      the view's list, walked in order while the view may
    //                remove records from it (a removed record is never
    //                handed out once it is gone from the list).
    //   pTreeLock:   the view's tree lock, held by workers around icon changes.
    //   pStop:       the view's stop event; reset here.
    //   options:     how the pass checks (CheckPassOptions::Window() or
    //                ::Console()); the thread count is clamped to 1 to
    //                kMaxPassThreads.
    //   check:       the check of one favourite, which may block its
    //                worker thread (tests pass their own); empty: the real
    //                check, on the transfer engine.
    // Sets the broken and the active worker counts to 0, the progress
    // counts to the list's size and 0, and resets the stop event here, on the caller's thread, so that a Stop right after Start
    // is never lost.
    // Returns null while an earlier pass has not yet ended (its dispatcher
    // still runs) or when no thread could be started.
    static std::unique_ptr<CCheckPass> Start(ITreeSink& sink,
                                             std::shared_ptr<CViewState> pViewState,
                                             std::shared_ptr<CFavoriteList> pItems,
                                             std::shared_ptr<std::mutex> pTreeLock,
                                             std::shared_ptr<ManualResetEvent> pStop,
                                             const CheckPassOptions& options,
                                             CheckFunction check = {});

    // Stops the pass if it still runs (blocking, without pumping), then
    // releases it.
    ~CCheckPass();
    CCheckPass(const CCheckPass&) = delete;
    CCheckPass& operator=(const CCheckPass&) = delete;

    // The core of StopChecking: sets the view state's m_bStopping and the
    // stop event and aborts every transfer of the engine (their favourites
    // get back what they had before), which ends the pass within a moment
    // whatever the time-out. With worker threads it then
    // waits while workers of this pass run, calling pump() about every
    // 10 ms (the GUI processes its events there). Once more than the pass's
    // time-out plus one second has passed, the workers still running are counted out of
    // the active workers: their outcomes are dropped, their gates closed, and
    // their slots are never handed out again while they run. Then waits for
    // the dispatcher to post ViewEvent::CheckDone and end, and clears m_bStopping.
    // When Stop returns, no thread of the pass calls the sink again.
    // Returns the number of workers counted out.
    int Stop(const PumpFunction& pump = {});

    // True once the dispatcher has posted ViewEvent::CheckDone.
    bool IsFinished() const;
    // How many sites and folders the pass has probed for its content checks.
    std::size_t ProbeCount() const;
    // Waits at most `timeout` for IsFinished().
    bool WaitFinished(std::chrono::milliseconds timeout) const;

    // True from Start until the dispatcher of the latest pass has ended its
    // work; a new pass cannot start meanwhile.
    static bool IsPassRunning();
    // Workers counted out by a stop that have not yet ended.
    static int StragglerCount();
    // Waits at most `timeout` for StragglerCount() to reach 0; for the end
    // of the program, so that no worker is cut off in the middle of a check.
    static bool WaitForStragglers(std::chrono::milliseconds timeout);

    struct CState;

private:
    explicit CCheckPass(std::shared_ptr<CState> pState);
    std::shared_ptr<CState> m_pState;
    std::thread m_dispatcher; // joined by Stop, or detached there if it will not end
};
