#include "core/platform/ManualResetEvent.h"

#include <algorithm>

struct ManualResetEvent::CWaiter {
    std::condition_variable m_cv;
};

// Deliberately never destroyed: a check worker that was given up on after a
// stop may still set or wait on its events while the program exits, and
// must not meet a destroyed mutex.
std::mutex& ManualResetEvent::Mutex()
{
    static std::mutex& s_mx = *new std::mutex;
    return s_mx;
}

void ManualResetEvent::Set()
{
    std::lock_guard lock(Mutex());
    m_bSet = true;
    // Under the lock: a waiter unregisters (and its condition ends) only
    // with the lock held.
    for (CWaiter* pWaiter : m_waiters)
        pWaiter->m_cv.notify_one();
}

void ManualResetEvent::Reset()
{
    std::lock_guard lock(Mutex());
    m_bSet = false;
}

bool ManualResetEvent::IsSet() const
{
    std::lock_guard lock(Mutex());
    return m_bSet;
}

bool ManualResetEvent::Wait(std::optional<std::chrono::milliseconds> timeout) const
{
    const ManualResetEvent* self = this;
    ManualResetEvent* const events[] = {const_cast<ManualResetEvent*>(self)};
    return WaitForAny(events, timeout).has_value();
}

std::optional<size_t> ManualResetEvent::WaitForAny(std::span<ManualResetEvent* const> events,
                                                   std::optional<std::chrono::milliseconds> timeout)
{
    std::unique_lock lock(Mutex());
    std::optional<size_t> found;
    auto anySet = [&] {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i]->m_bSet) {
                found = i;
                return true;
            }
        return false;
    };
    if (anySet() || (timeout && timeout->count() <= 0))
        return found;

    CWaiter waiter;
    for (ManualResetEvent* pEvent : events)
        pEvent->m_waiters.push_back(&waiter);
    if (timeout)
        waiter.m_cv.wait_for(lock, *timeout, anySet);
    else
        waiter.m_cv.wait(lock, anySet);
    for (ManualResetEvent* pEvent : events) {
        auto& waiters = pEvent->m_waiters;
        waiters.erase(std::find(waiters.begin(), waiters.end(), &waiter));
    }
    return found;
}
