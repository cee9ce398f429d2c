#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "core/check/CheckHelperPool.h"
#include "core/check/CheckOneFavorite.h"
#include "core/check/WorkerSlot.h"
#include "core/platform/ManualResetEvent.h"

class CTransferEngine;

// The slots of a pass whose checks run on the transfer engine: N places for
// checks at once, none of them a thread. The dispatcher takes the lowest
// idle slot, as it takes the lowest idle worker, and starts a check there;
// the slot is idle again when the check has ended. The view state's worker
// count is the number of checks under way (at least 1 while the pass runs).
class CEngineSlots {
public:
    // How a check ended: its hand-out, what the answer said about trying
    // again, and the favourite checked (its outcome stored unless aborted).
    using ReportFunction = std::function<void(std::uint64_t nTicket, int nTry, const EngineCheckEnd& end,
                                              const std::shared_ptr<FavoriteItem>& pItem)>;

    // prototype: what every slot shares (tree lock, sink, view state,
    // time-out, content checks, probes).
    CEngineSlots(int nSlots, std::shared_ptr<CTransferEngine> pEngine, const WorkerSlot& prototype,
                 ReportFunction report);
    // Waits for the checks still under way and for the judges.
    ~CEngineSlots();
    CEngineSlots(const CEngineSlots&) = delete;
    CEngineSlots& operator=(const CEngineSlots&) = delete;

    // The lowest idle slot; waits for one while `stop` is not signalled.
    // Empty on a stop.
    std::optional<int> WaitIdle(ManualResetEvent& stop);
    // Starts the check of pItem on the idle slot nSlot.
    void Start(int nSlot, std::shared_ptr<FavoriteItem> pItem, std::uint64_t nTicket, int nTry);
    // Waits until no check is under way.
    void WaitAllIdle();
    int Running() const;

private:
    void Ended(int nSlot, std::uint64_t nTicket, int nTry, const EngineCheckEnd& end);
    void ShowRunning(); // under m_mx

    std::shared_ptr<CTransferEngine> m_pEngine;
    CViewState* m_pViewState;
    ReportFunction m_report;
    std::vector<std::shared_ptr<WorkerSlot>> m_slots;
    CCheckHelperPool m_judges;

    mutable std::mutex m_mx;
    std::condition_variable m_cvIdle;
    std::set<int> m_idle;        // guarded by m_mx
    int m_nRunning = 0;          // guarded by m_mx
    ManualResetEvent m_hFreed;   // a slot became idle
};
