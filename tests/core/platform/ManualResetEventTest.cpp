// The events of the scheduler's hand-over: a wait on several reports the
// lowest one signalled, an event stays signalled until reset, and a Set
// wakes the thread waiting on it among many that wait on events of their own.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/platform/ManualResetEvent.h"

using namespace std::chrono_literals;

TEST(ManualResetEvent, WaitForAnyReportsTheLowestSignalledAndTimesOut)
{
    std::array<ManualResetEvent, 3> events;
    ManualResetEvent* const list[] = {&events[0], &events[1], &events[2]};
    EXPECT_EQ(ManualResetEvent::WaitForAny(list, 0ms), std::nullopt);
    EXPECT_EQ(ManualResetEvent::WaitForAny(list, 20ms), std::nullopt);
    events[2].Set();
    events[1].Set();
    EXPECT_EQ(ManualResetEvent::WaitForAny(list, 0ms), 1u);
    EXPECT_EQ(ManualResetEvent::WaitForAny(list, std::nullopt), 1u); // stays set
    events[1].Reset();
    EXPECT_EQ(ManualResetEvent::WaitForAny(list, 0ms), 2u);
    EXPECT_TRUE(events[2].IsSet());
    EXPECT_FALSE(events[1].Wait(0ms));
}

TEST(ManualResetEvent, ASetWakesTheThreadWaitingOnItAmongManyWaiting)
{
    constexpr int kThreads = 64;
    std::vector<ManualResetEvent> own(kThreads);
    ManualResetEvent common;
    std::atomic<int> nWoken{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            ManualResetEvent* const list[] = {&common, &own[i]};
            while (ManualResetEvent::WaitForAny(list, std::nullopt) == 1u) {
                own[i].Reset();
                ++nWoken;
            }
        });
    // Each thread's own event wakes that thread once.
    for (int i = 0; i < kThreads; ++i) {
        own[i].Set();
        const auto tEnd = std::chrono::steady_clock::now() + 10s;
        while (nWoken.load() != i + 1 && std::chrono::steady_clock::now() < tEnd)
            std::this_thread::yield();
        ASSERT_EQ(nWoken.load(), i + 1);
    }
    // The common one, listed first, ends them all.
    common.Set();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(nWoken.load(), kThreads);
}
