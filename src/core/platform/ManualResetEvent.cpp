#include "platform/ManualResetEvent.h"

#include <algorithm>

// Both are deliberately never destroyed: a check worker that was given up
// on after a stop may still set or wait on its events while the program
// exits, and must not meet a destroyed mutex.
std::mutex& ManualResetEvent::Mutex()
{
    static std::mutex& s_mx = *new std::mutex;
    return s_mx;
}

std::condition_variable& ManualResetEvent::Changed()
{
    static std::condition_variable& s_cv = *new std::condition_variable;
    return s_cv;
}

void ManualResetEvent::Set()
{
    {
        std::lock_guard lock(Mutex());
        m_bSet = true;
    }
    Changed().notify_all();
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
    if (timeout)
        Changed().wait_for(lock, *timeout, anySet);
    else
        Changed().wait(lock, anySet);
    return found;
}
