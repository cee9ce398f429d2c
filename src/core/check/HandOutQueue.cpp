#include "core/check/HandOutQueue.h"

#include <algorithm>
#include <cctype>

#include "core/net/UrlHost.h"

CHandOutQueue::CHandOutQueue(int nHostLimit, std::size_t nLookAhead)
    : m_nHostLimit(std::max(nHostLimit, 0)), m_nLookAhead(std::max<std::size_t>(nLookAhead, 1))
{
}

void CHandOutQueue::Add(std::shared_ptr<FavoriteItem> pItem)
{
    CLink link;
    // Without a limit every link may share one entry: nothing is counted.
    if (m_nHostLimit > 0)
        link.m_strHost = CheckHostOf(pItem->m_strUrl);
    link.m_pItem = std::move(pItem);
    link.m_nOrder = m_nNextOrder++;
    Wait(std::move(link));
}

void CHandOutQueue::Wait(CLink link)
{
    auto [it, bNew] = m_hosts.try_emplace(link.m_strHost);
    CHost& host = it->second;
    // A link that cannot be read as a URL has no host to spare.
    if (bNew && !link.m_strHost.empty())
        host.m_nLimit = m_nHostLimit;
    // Kept in list order; a retry goes back to its place.
    auto pos = host.m_waiting.end();
    while (pos != host.m_waiting.begin() && std::prev(pos)->m_nOrder > link.m_nOrder)
        --pos;
    host.m_waiting.insert(pos, std::move(link));
    m_hostsWaiting.insert(it->first);
    ++m_nWaiting;
}

std::optional<CHandOutQueue::CTaken> CHandOutQueue::Take(Clock::time_point now)
{
    CHost* pBestHost = nullptr;
    std::deque<CLink>::iterator best;
    for (const std::string& strHost : m_hostsWaiting) {
        CHost& host = m_hosts.find(strHost)->second;
        if (!IsFree(host))
            continue;
        const auto it = std::find_if(host.m_waiting.begin(), host.m_waiting.end(),
                                     [now](const CLink& link) { return link.m_ready <= now; });
        if (it != host.m_waiting.end() && (!pBestHost || it->m_nOrder < best->m_nOrder)) {
            pBestHost = &host;
            best = it;
        }
    }
    if (!pBestHost)
        return std::nullopt;

    CLink link = std::move(*best);
    pBestHost->m_waiting.erase(best);
    --m_nWaiting;
    if (pBestHost->m_waiting.empty())
        m_hostsWaiting.erase(link.m_strHost);
    ++pBestHost->m_nRunning;
    link.m_nGeneration = pBestHost->m_nGeneration;

    CTaken taken{link.m_pItem, m_nNextTicket++, link.m_nTry};
    m_running.emplace(taken.m_nTicket, std::move(link));
    return taken;
}

std::optional<CHandOutQueue::Clock::time_point> CHandOutQueue::NextTime(Clock::time_point now) const
{
    std::optional<Clock::time_point> next;
    for (const std::string& strHost : m_hostsWaiting)
        for (const CLink& link : m_hosts.find(strHost)->second.m_waiting)
            if (link.m_ready > now && (!next || link.m_ready < *next))
                next = link.m_ready;
    return next;
}

void CHandOutQueue::Finished(std::uint64_t nTicket, bool bTooMany, std::optional<std::chrono::milliseconds> retryIn,
                             Clock::time_point now)
{
    const auto it = m_running.find(nTicket);
    if (it == m_running.end())
        return;
    CLink link = std::move(it->second);
    m_running.erase(it);
    CHost& host = m_hosts.find(link.m_strHost)->second;
    --host.m_nRunning;
    // Every check sent under the old limit may come back with a 429; the
    // first of them halves it, the others were the same burst.
    if (bTooMany && host.m_nLimit > 0 && link.m_nGeneration == host.m_nGeneration) {
        host.m_nLimit = std::max(1, host.m_nLimit / 2);
        ++host.m_nGeneration;
    }
    if (retryIn) {
        link.m_ready = now + *retryIn;
        ++link.m_nTry;
        Wait(std::move(link));
    }
}

int CHandOutQueue::HostLimit(std::string_view strHost) const
{
    const auto it = m_hosts.find(std::string(strHost));
    return it == m_hosts.end() ? m_nHostLimit : it->second.m_nLimit;
}
