#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/model/FavoriteItem.h"

// The order in which a check pass hands its web links out, and the waiting
// room of the links that cannot go yet. Links come in in list order (Add);
// Take gives the earliest one that may go now. Without a host limit and
// without retries that is simply the link just added, so the pass hands out
// in list order. With a limit, a link whose host already has that many
// checks running waits here while later links of other hosts go first, and
// goes as soon as its host is free, ahead of later links of that host. A
// link that is to be tried again waits here for its time.
//
// At most nLookAhead links wait (HasRoom): a long run of one busy host's
// links makes the dispatcher wait for that host rather than read the whole
// list into the queue. Retries are always taken in, beyond that bound.
//
// Not thread-safe: it belongs to the pass's dispatcher.
class CHandOutQueue {
public:
    using Clock = std::chrono::steady_clock;

    // A link taken out to be checked.
    struct CTaken {
        std::shared_ptr<FavoriteItem> m_pItem;
        std::uint64_t m_nTicket = 0; // names it in Finished
        int m_nTry = 1;              // 1 for the first try
    };

    // nHostLimit: checks at once per host, 0 for no limit.
    CHandOutQueue(int nHostLimit, std::size_t nLookAhead);

    // A web link read from the list.
    void Add(std::shared_ptr<FavoriteItem> pItem);
    // Fewer than nLookAhead links wait.
    bool HasRoom() const { return m_nWaiting < m_nLookAhead; }
    // Links waiting, for any reason.
    std::size_t Waiting() const { return m_nWaiting; }
    // Links taken and not yet finished.
    std::size_t Running() const { return m_running.size(); }

    // The earliest waiting link (in list order) whose host is under its
    // limit and whose time has come; it counts as running on its host until
    // Finished.
    std::optional<CTaken> Take(Clock::time_point now);
    // The earliest time after `now` at which a waiting link's time comes;
    // absent when no link waits for a time.
    std::optional<Clock::time_point> NextTime(Clock::time_point now) const;

    // The check of a taken link has ended (or it was given back unchecked).
    // bTooMany: the answer was 429, which halves the host's limit (never
    // below 1) once for all the checks that were sent under that limit.
    // retryIn: the link is tried again after that long.
    void Finished(std::uint64_t nTicket, bool bTooMany, std::optional<std::chrono::milliseconds> retryIn,
                  Clock::time_point now);

    // The limit a host has now; 0 when there is none.
    int HostLimit(std::string_view strHost) const;

private:
    struct CLink {
        std::shared_ptr<FavoriteItem> m_pItem;
        std::string m_strHost;
        std::uint64_t m_nOrder = 0;      // place in the list walk
        int m_nTry = 1;
        std::uint32_t m_nGeneration = 0; // the host's limit when it was taken
        Clock::time_point m_ready{};
    };
    struct CHost {
        int m_nRunning = 0;
        int m_nLimit = 0;                // 0: none
        std::uint32_t m_nGeneration = 0; // counts the halvings
        std::deque<CLink> m_waiting;     // in list order
    };

    bool IsFree(const CHost& host) const { return host.m_nLimit == 0 || host.m_nRunning < host.m_nLimit; }
    void Wait(CLink link);

    const int m_nHostLimit;
    const std::size_t m_nLookAhead;
    std::uint64_t m_nNextOrder = 0;
    std::uint64_t m_nNextTicket = 0;
    std::size_t m_nWaiting = 0;
    std::unordered_map<std::string, CHost> m_hosts;
    std::unordered_set<std::string> m_hostsWaiting; // hosts with waiting links
    std::unordered_map<std::uint64_t, CLink> m_running;
};
