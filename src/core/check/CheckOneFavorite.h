#pragma once

struct WorkerSlot;

// Checks the slot's favourite over HTTP and records the outcome in the
// record, the view state's broken count and the node's image.
void CheckOneFavorite(WorkerSlot& slot);

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CCheckHelperPool;
class CTransferEngine;

// How a check on the transfer engine ended, for its pass.
struct EngineCheckEnd {
    // The engine aborted it (a stop): nothing was recorded, the favourite
    // has the outcome and the icon it had before.
    bool m_bAborted = false;
    // What the answer said about trying again: the HTTP status (0 when
    // there was none) and the wait its Retry-After asked for.
    int m_nHttpStatus = 0;
    std::optional<std::chrono::seconds> m_retryAfter;
};

// The same check as CheckOneFavorite, as a transfer of `pEngine` that holds
// no thread while it waits: the checking icon now, then the request, then
// (on the engine's thread, or on a thread of `judges` when a page is to be
// judged, which may ask its site once more) the outcome, the counts and the
// final icon as CheckOneFavorite records them; then `ended` is called once.
// The slot must stay as it is until then.
void CheckOneFavoriteOnEngine(const std::shared_ptr<WorkerSlot>& pSlot, const std::shared_ptr<CTransferEngine>& pEngine,
                              CCheckHelperPool& judges, std::function<void(const EngineCheckEnd&)> ended);
