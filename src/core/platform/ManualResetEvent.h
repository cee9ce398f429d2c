#pragma once

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>

// An event that stays signalled until it is reset, as the scheduler's
// hand-over needs. WaitForAny reports the lowest signalled entry, so that a
// stop beats idle workers and the lowest idle slot gets the next favourite.
class ManualResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until signalled; false on time-out.
    bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt) const;

    // Index of the lowest signalled event, or nullopt on time-out.
    static std::optional<size_t> WaitForAny(std::span<ManualResetEvent* const> events,
                                            std::optional<std::chrono::milliseconds> timeout);

private:
    // All events share one notifier, so a wait on several of them needs no
    // registration; the events are few and the wake-ups cheap.
    static std::mutex& Mutex();
    static std::condition_variable& Changed();
    bool m_bSet = false; // guarded by Mutex()
};
