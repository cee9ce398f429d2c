#pragma once

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// An event that stays signalled until it is reset, as the scheduler's
// hand-over needs. WaitForAny reports the lowest signalled entry, so that a
// stop beats idle workers and the lowest idle slot gets the next favourite.
class ManualResetEvent {
public:
    ManualResetEvent() = default;
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until signalled; false on time-out.
    bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt) const;

    // Index of the lowest signalled event, or nullopt on time-out.
    static std::optional<size_t> WaitForAny(std::span<ManualResetEvent* const> events,
                                            std::optional<std::chrono::milliseconds> timeout);

private:
    struct CWaiter;
    // All events share one lock, so a wait on several of them sees them in
    // one consistent state; each waiting thread has a condition of its own,
    // registered with the events it waits on, so that a Set wakes only the
    // threads that wait for that event (a pass may have hundreds of
    // workers, each waiting on its own events).
    static std::mutex& Mutex();
    bool m_bSet = false;               // guarded by Mutex()
    std::vector<CWaiter*> m_waiters;   // guarded by Mutex()
};
