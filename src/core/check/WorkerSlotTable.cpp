#include "core/check/WorkerSlotTable.h"

#include <stdexcept>

CWorkerSlotTable& CWorkerSlotTable::Instance()
{
    // Deliberately never destroyed: detached workers may outlive main().
    static CWorkerSlotTable& s_table = *new CWorkerSlotTable;
    return s_table;
}

CWorkerSlotTable::CWorkerSlotTable() : m_entries(kSlotCount)
{
    for (Entry& entry : m_entries)
        entry.pSlot = std::make_shared<WorkerSlot>();
}

std::shared_ptr<WorkerSlot> CWorkerSlotTable::Acquire(std::size_t nIndex)
{
    if (nIndex >= kMaxSlotCount)
        throw std::out_of_range("worker slot index");
    std::lock_guard lock(m_mx);
    while (m_entries.size() <= nIndex)
        m_entries.push_back({std::make_shared<WorkerSlot>(), false});
    Entry& entry = m_entries[nIndex];
    if (entry.bBusy)
        entry.pSlot = std::make_shared<WorkerSlot>(); // the old one stays with its thread
    WorkerSlot& slot = *entry.pSlot;
    slot.m_hWork.Reset();
    slot.m_hIdle.Reset();
    slot.m_pItem.reset();
    slot.m_dwError = 0;
    slot.m_nHttpStatus = 0;
    slot.m_retryAfter.reset();
    slot.m_pTreeLock = nullptr;
    slot.m_pSink = nullptr;
    slot.m_hStop = nullptr;
    slot.m_hAllDispatched = nullptr;
    entry.bBusy = true;
    return entry.pSlot;
}

void CWorkerSlotTable::Release(const std::shared_ptr<WorkerSlot>& pSlot)
{
    std::lock_guard lock(m_mx);
    for (Entry& entry : m_entries)
        if (entry.pSlot == pSlot)
            entry.bBusy = false;
}

std::shared_ptr<WorkerSlot> CWorkerSlotTable::At(std::size_t nIndex) const
{
    std::lock_guard lock(m_mx);
    return nIndex < m_entries.size() ? m_entries[nIndex].pSlot : nullptr;
}

std::size_t CWorkerSlotTable::Size() const
{
    std::lock_guard lock(m_mx);
    return m_entries.size();
}
