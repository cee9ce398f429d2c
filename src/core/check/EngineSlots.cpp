#include "core/check/EngineSlots.h"

#include <utility>

#include "core/check/CheckOneFavorite.h"
#include "core/model/ViewState.h"
#include "core/net/TransferEngine.h"

namespace {

// Threads that judge pages at once; each may wait for one probe of a site.
constexpr std::size_t kJudgeThreads = 8;

} // namespace

CEngineSlots::CEngineSlots(int nSlots, std::shared_ptr<CTransferEngine> pEngine, const WorkerSlot& prototype,
                           ReportFunction report)
    : m_pEngine(std::move(pEngine)), m_pViewState(prototype.m_pViewState), m_report(std::move(report)),
      m_judges(kJudgeThreads)
{
    m_slots.reserve(static_cast<std::size_t>(nSlots));
    for (int i = 0; i < nSlots; ++i) {
        auto pSlot = std::make_shared<WorkerSlot>();
        pSlot->m_pTreeLock = prototype.m_pTreeLock;
        pSlot->m_pSink = prototype.m_pSink;
        pSlot->m_pViewState = prototype.m_pViewState;
        pSlot->m_nTimeoutMs = prototype.m_nTimeoutMs;
        pSlot->m_bContentChecks = prototype.m_bContentChecks;
        pSlot->m_pProbes = prototype.m_pProbes;
        m_slots.push_back(std::move(pSlot));
        m_idle.insert(i);
    }
    std::lock_guard lock(m_mx);
    ShowRunning();
}

CEngineSlots::~CEngineSlots() { WaitAllIdle(); }

void CEngineSlots::ShowRunning() { m_pViewState->m_nActiveWorkers.store(m_nRunning > 0 ? m_nRunning : 1); }

std::optional<int> CEngineSlots::WaitIdle(ManualResetEvent& stop)
{
    ManualResetEvent* const waitFor[] = {&stop, &m_hFreed};
    for (;;) {
        if (stop.IsSet())
            return std::nullopt;
        {
            std::lock_guard lock(m_mx);
            if (!m_idle.empty())
                return *m_idle.begin();
            m_hFreed.Reset();
        }
        if (ManualResetEvent::WaitForAny(waitFor, std::nullopt) == 0u)
            return std::nullopt;
    }
}

void CEngineSlots::Start(int nSlot, std::shared_ptr<FavoriteItem> pItem, std::uint64_t nTicket, int nTry)
{
    const std::shared_ptr<WorkerSlot>& pSlot = m_slots[static_cast<std::size_t>(nSlot)];
    {
        std::lock_guard lock(m_mx);
        m_idle.erase(nSlot);
        ++m_nRunning;
        ShowRunning();
    }
    pSlot->m_pItem = std::move(pItem);
    try {
        CheckOneFavoriteOnEngine(pSlot, m_pEngine, m_judges, [this, nSlot, nTicket, nTry](const EngineCheckEnd& end) {
            Ended(nSlot, nTicket, nTry, end);
        });
    } catch (...) {
        // Nothing was started (no memory): the favourite counts as not checked.
        EngineCheckEnd end;
        end.m_bAborted = true;
        Ended(nSlot, nTicket, nTry, end);
    }
}

void CEngineSlots::Ended(int nSlot, std::uint64_t nTicket, int nTry, const EngineCheckEnd& end)
{
    const std::shared_ptr<FavoriteItem> pItem = std::move(m_slots[static_cast<std::size_t>(nSlot)]->m_pItem);
    m_slots[static_cast<std::size_t>(nSlot)]->m_pItem.reset();
    // Reported before the slot is idle, so the dispatcher that takes the
    // slot again has the host free again too.
    m_report(nTicket, nTry, end, pItem);
    {
        std::lock_guard lock(m_mx);
        m_idle.insert(nSlot);
        --m_nRunning;
        ShowRunning();
        m_hFreed.Set();
        m_cvIdle.notify_all(); // under the lock: the slots may be gone once it is let go
    }
}

void CEngineSlots::WaitAllIdle()
{
    std::unique_lock lock(m_mx);
    m_cvIdle.wait(lock, [this] { return m_nRunning == 0; });
}

int CEngineSlots::Running() const
{
    std::lock_guard lock(m_mx);
    return m_nRunning;
}
