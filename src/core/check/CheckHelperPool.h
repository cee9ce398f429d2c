#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads for the parts of a check that may block (judging a page,
// which may ask its site once more and wait for that answer), so that the
// event loop that drives the transfers never waits. Threads are started as
// work comes, up to the limit; the destructor runs what is queued and joins.
class CCheckHelperPool {
public:
    explicit CCheckHelperPool(std::size_t nMaxThreads);
    ~CCheckHelperPool();
    CCheckHelperPool(const CCheckHelperPool&) = delete;
    CCheckHelperPool& operator=(const CCheckHelperPool&) = delete;

    // Runs task on one of the threads; at once on the caller's thread when
    // no thread can be started.
    void Post(std::function<void()> task);

private:
    void Run();

    const std::size_t m_nMaxThreads;
    std::mutex m_mx;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_tasks; // guarded by m_mx
    std::size_t m_nIdle = 0;                   // guarded by m_mx
    bool m_bQuit = false;                      // guarded by m_mx
    std::vector<std::thread> m_threads;        // guarded by m_mx
};
