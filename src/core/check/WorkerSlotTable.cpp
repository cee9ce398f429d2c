#include "check/WorkerSlotTable.h"

#include <stdexcept>

CWorkerSlotTable& CWorkerSlotTable::Instance()
{
    // Deliberately never destroyed: detached workers may outlive main().
    static CWorkerSlotTable& s_table = *new CWorkerSlotTable;
    return s_table;
}

CWorkerSlotTable::CWorkerSlotTable()
{
    for (Entry& entry : m_entries)
        entry.pSlot = std::make_shared<WorkerSlot>();
}

std::shared_ptr<WorkerSlot> CWorkerSlotTable::Acquire(std::size_t nIndex)
{
    if (nIndex >= kSlotCount)
        throw std::out_of_range("worker slot index");
    std::lock_guard lock(m_mx);
    Entry& entry = m_entries[nIndex];
    if (entry.bBusy)
        entry.pSlot = std::make_shared<WorkerSlot>(); // the old one stays with its thread
    WorkerSlot& slot = *entry.pSlot;
    slot.m_hWork.Reset();
    slot.m_hIdle.Reset();
    slot.m_pItem.reset();
    slot.m_dwError = 0;
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
    return m_entries.at(nIndex).pSlot;
}
