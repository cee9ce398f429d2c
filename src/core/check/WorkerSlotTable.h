#pragma once

#include <vector>
#include <cstddef>
#include <memory>
#include <mutex>

#include "core/check/WorkerSlot.h"

// The process-wide table of the worker slots; a pass with N threads uses
// slots 0 to N - 1. It holds the window's 16 slots from the start and grows
// to the size of the largest pass (the console checker's passes have up to
// kMaxSlotCount workers); a slot once made stays. A slot whose worker was given up on after a stop still
// belongs to that thread until it really ends: the next pass that asks for
// that index gets a fresh slot in its place, and the old one lives on with
// its thread (shared ownership) and is never handed out again.
class CWorkerSlotTable {
public:
    static constexpr std::size_t kSlotCount = 16;     // the slots made at the start
    static constexpr std::size_t kMaxSlotCount = 256; // the most a pass may use

    // The one table, built on first use and never destroyed, so that a
    // worker still ending at process exit can always give its slot back.
    static CWorkerSlotTable& Instance();

    // Slot nIndex for a new worker, with its events reset, no favourite and
    // no error; marked busy until Release.
    std::shared_ptr<WorkerSlot> Acquire(std::size_t nIndex);
    // Called by the worker once it no longer touches the slot.
    void Release(const std::shared_ptr<WorkerSlot>& pSlot);
    // The slot currently at nIndex (for inspection); null beyond Size().
    std::shared_ptr<WorkerSlot> At(std::size_t nIndex) const;
    // Slots made so far: kSlotCount, or the size of the largest pass.
    std::size_t Size() const;

private:
    CWorkerSlotTable();

    struct Entry {
        std::shared_ptr<WorkerSlot> pSlot;
        bool bBusy = false; // a worker thread still uses pSlot
    };
    mutable std::mutex m_mx;
    std::vector<Entry> m_entries;
};
