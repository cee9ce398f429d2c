#pragma once

#include <chrono>
#include <thread>

// Waits for a condition that another thread or process brings about,
// looking again every millisecond, at most `limit` long (on a busy machine
// things take their time; a test that waits for what it tests is not
// slowed by the bound). False when the condition never held.
template <class F>
bool WaitUntil(F condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto tEnd = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > tEnd)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
