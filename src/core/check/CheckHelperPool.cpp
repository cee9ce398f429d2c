#include "core/check/CheckHelperPool.h"

#include <system_error>
#include <utility>

CCheckHelperPool::CCheckHelperPool(std::size_t nMaxThreads) : m_nMaxThreads(nMaxThreads ? nMaxThreads : 1) {}

CCheckHelperPool::~CCheckHelperPool()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mx);
        m_bQuit = true;
        threads.swap(m_threads);
    }
    m_cv.notify_all();
    for (std::thread& thread : threads)
        thread.join();
}

void CCheckHelperPool::Post(std::function<void()> task)
{
    bool bInline = false;
    {
        std::lock_guard lock(m_mx);
        m_tasks.push_back(std::move(task));
        if (m_nIdle < m_tasks.size() && m_threads.size() < m_nMaxThreads) {
            try {
                m_threads.emplace_back([this] { Run(); });
            } catch (const std::system_error&) {
                if (m_threads.empty()) { // nobody would ever take it
                    task = std::move(m_tasks.back());
                    m_tasks.pop_back();
                    bInline = true;
                }
            }
        }
        // Under the lock: once the task has run, the pool may be gone.
        if (!bInline)
            m_cv.notify_one();
    }
    if (bInline)
        task();
}

void CCheckHelperPool::Run()
{
    std::unique_lock lock(m_mx);
    for (;;) {
        if (m_tasks.empty()) {
            if (m_bQuit)
                return;
            ++m_nIdle;
            m_cv.wait(lock, [this] { return m_bQuit || !m_tasks.empty(); });
            --m_nIdle;
            continue;
        }
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}
