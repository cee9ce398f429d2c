#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "core/check/PageProbe.h"
#include "core/model/FavoriteItem.h"
#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"
#include "core/platform/ManualResetEvent.h"

// One worker of a check pass. The dispatcher writes m_pItem and resets
// m_hIdle before it signals m_hWork; the worker reads m_pItem only after
// m_hWork.
struct WorkerSlot {
    std::mutex* m_pTreeLock = nullptr;   // the view's tree lock, held around icon changes
    ITreeSink* m_pSink = nullptr;        // the view's tree
    CViewState* m_pViewState = nullptr;  // the view's counts, kept alive by the pass
    int m_nTimeoutMs = 0;                // the pass's check time-out; 0: the default
    bool m_bContentChecks = false;       // read and judge the page of a 200 answer
    std::shared_ptr<CPageProbeCache> m_pProbes; // the pass's probes of its sites
    std::shared_ptr<FavoriteItem> m_pItem; // the favourite handed to this worker
    std::uint32_t m_dwError = 0;         // Internet error number of the last request
    // What the last answer said about trying again, for a pass that retries
    // (written by the check, read by the worker after it): the HTTP status
    // (0 when there was none) and the wait its Retry-After asked for (absent
    // when it had none that could be read).
    int m_nHttpStatus = 0;
    std::optional<std::chrono::seconds> m_retryAfter;
    ManualResetEvent* m_hAllDispatched = nullptr; // the pass's all-handed-out event
    ManualResetEvent* m_hStop = nullptr; // the view's stop event
    ManualResetEvent m_hWork;            // m_pItem holds new work
    ManualResetEvent m_hIdle;            // the worker waits for work
};
