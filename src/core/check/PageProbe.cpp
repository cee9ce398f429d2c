#include "core/check/PageProbe.h"

#include <random>

void CPageProbeCache::Clear()
{
    std::lock_guard lock(m_mx);
    m_answers.clear();
    m_nProbes = 0;
}

std::size_t CPageProbeCache::ProbeCount() const
{
    std::lock_guard lock(m_mx);
    return m_nProbes;
}

std::optional<ProbeAnswer> CPageProbeCache::Get(const std::string& strKey, const std::function<ProbeAnswer()>& probe,
                                                std::chrono::steady_clock::time_point deadline)
{
    std::promise<ProbeAnswer> promise;
    std::shared_future<ProbeAnswer> answer;
    {
        std::lock_guard lock(m_mx);
        const auto it = m_answers.find(strKey);
        if (it != m_answers.end()) {
            answer = it->second;
        } else {
            m_answers.emplace(strKey, promise.get_future().share());
            ++m_nProbes;
        }
    }
    if (answer.valid()) {
        if (answer.wait_until(deadline) != std::future_status::ready)
            return std::nullopt;
        return answer.get();
    }
    ProbeAnswer made;
    try {
        made = probe();
    } catch (...) {
        made = {}; // no answer: nothing is concluded from it
    }
    promise.set_value(made);
    return made;
}

std::string RandomProbeName()
{
    thread_local std::mt19937_64 s_random{std::random_device{}()};
    std::uniform_int_distribution<int> letter(0, 25);
    std::string out(16, 'a');
    for (char& c : out)
        c = static_cast<char>('a' + letter(s_random));
    return out;
}
