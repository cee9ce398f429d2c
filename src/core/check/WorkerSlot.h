#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "model/FavoriteItem.h"
#include "model/TreeSink.h"

// One worker of a check pass. The dispatcher writes m_pItem and resets
// m_hIdle before it signals m_hWork; the worker reads m_pItem only after
// m_hWork.
struct WorkerSlot {
    std::mutex* m_pTreeLock = nullptr;   // the view's tree lock, held around icon changes
    ITreeSink* m_pSink = nullptr;        // the view's tree
    std::shared_ptr<FavoriteItem> m_pItem; // the favourite handed to this worker
    std::uint32_t m_dwError = 0;         // Internet error number of the last request
    ManualResetEvent* m_hAllDispatched = nullptr; // the pass's all-handed-out event
    ManualResetEvent* m_hStop = nullptr; // the view's stop event
    ManualResetEvent m_hWork;            // m_pItem holds new work
    ManualResetEvent m_hIdle;            // the worker waits for work
};
