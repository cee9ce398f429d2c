// The order a pass hands links out in: list order without a limit; with a
// limit per host, later links of free hosts go while a busy host's links
// wait, and a freed host's earliest link goes first; a 429 halves a host's
// limit once per burst; retries wait for their time and go back to their
// place; the look-ahead is bounded. And what counts as one host.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/check/HandOutQueue.h"
#include "core/net/UrlHost.h"
#include "core/check/RetryPolicy.h"

namespace {

using namespace std::chrono_literals;
using Clock = CHandOutQueue::Clock;

class HandOutQueue : public ::testing::Test {
protected:
    std::shared_ptr<FavoriteItem> Link(const std::string& strUrl)
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = strUrl;
        return pItem;
    }
    // Takes everything that may go now; the URLs in hand-out order.
    std::vector<std::string> TakeAll(CHandOutQueue& queue, std::vector<CHandOutQueue::CTaken>* pTaken = nullptr)
    {
        std::vector<std::string> urls;
        while (const auto taken = queue.Take(m_now)) {
            urls.push_back(taken->m_pItem->m_strUrl);
            if (pTaken)
                pTaken->push_back(*taken);
        }
        return urls;
    }
    Clock::time_point m_now = Clock::now();
};

TEST_F(HandOutQueue, WithoutALimitEveryLinkGoesInListOrder)
{
    CHandOutQueue queue(0, 100);
    for (const char* psz : {"http://a/1", "http://a/2", "http://b/1", "http://a/3"})
        queue.Add(Link(psz));
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"http://a/1", "http://a/2", "http://b/1", "http://a/3"}));
    EXPECT_EQ(queue.Running(), 4u);
    EXPECT_EQ(queue.Waiting(), 0u);
}

TEST_F(HandOutQueue, ABusyHostsLinksWaitWhileOtherHostsGoAndGoFirstOnceItIsFree)
{
    CHandOutQueue queue(2, 100);
    for (const char* psz : {"http://a/1", "http://a/2", "http://a/3", "http://b/1", "http://a/4", "http://b/2"})
        queue.Add(Link(psz));
    std::vector<CHandOutQueue::CTaken> taken;
    EXPECT_EQ(TakeAll(queue, &taken), (std::vector<std::string>{"http://a/1", "http://a/2", "http://b/1", "http://b/2"}));
    EXPECT_EQ(queue.Waiting(), 2u);

    queue.Add(Link("http://c/1"));
    queue.Finished(taken[0].m_nTicket, false, std::nullopt, m_now); // a is free again
    // a/3 came before c/1 in the list; a/4 still waits for a.
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"http://a/3", "http://c/1"}));
    queue.Finished(taken[1].m_nTicket, false, std::nullopt, m_now);
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"http://a/4"}));
}

TEST_F(HandOutQueue, A429HalvesTheHostsLimitOncePerBurstAndNeverBelowOne)
{
    CHandOutQueue queue(8, 100);
    for (int i = 0; i < 20; ++i)
        queue.Add(Link("http://busy.example/" + std::to_string(i)));
    std::vector<CHandOutQueue::CTaken> taken;
    EXPECT_EQ(TakeAll(queue, &taken).size(), 8u);
    // Four of the eight sent at once are refused: one halving.
    for (int i = 4; i < 8; ++i)
        queue.Finished(taken[i].m_nTicket, true, std::nullopt, m_now);
    EXPECT_EQ(queue.HostLimit("busy.example:80"), 4);
    EXPECT_EQ(TakeAll(queue).size(), 0u); // four still run
    for (int i = 0; i < 4; ++i)
        queue.Finished(taken[i].m_nTicket, false, std::nullopt, m_now);

    // Refusals of checks sent under the new limit halve it again, down to one.
    for (int nExpected : {2, 1, 1}) {
        taken.clear();
        TakeAll(queue, &taken);
        ASSERT_FALSE(taken.empty());
        queue.Finished(taken[0].m_nTicket, true, std::nullopt, m_now);
        for (std::size_t i = 1; i < taken.size(); ++i)
            queue.Finished(taken[i].m_nTicket, false, std::nullopt, m_now);
        EXPECT_EQ(queue.HostLimit("busy.example:80"), nExpected);
    }
    // Without a limit a 429 sets none.
    CHandOutQueue unlimited(0, 10);
    unlimited.Add(Link("http://busy.example/x"));
    unlimited.Finished(unlimited.Take(m_now)->m_nTicket, true, std::nullopt, m_now);
    EXPECT_EQ(unlimited.HostLimit("busy.example:80"), 0);
}

TEST_F(HandOutQueue, ARetryWaitsForItsTimeThenGoesAheadOfLaterLinksOfItsHost)
{
    CHandOutQueue queue(1, 100);
    for (const char* psz : {"http://a/1", "http://a/2", "http://b/1"})
        queue.Add(Link(psz));
    std::vector<CHandOutQueue::CTaken> taken;
    EXPECT_EQ(TakeAll(queue, &taken), (std::vector<std::string>{"http://a/1", "http://b/1"}));
    EXPECT_EQ(taken[0].m_nTry, 1);

    queue.Finished(taken[0].m_nTicket, false, 1000ms, m_now); // a/1 answered "later"
    EXPECT_EQ(queue.NextTime(m_now), m_now + 1000ms);
    // Meanwhile a is free, and a/2 goes; a/1 is not taken before its time.
    EXPECT_EQ(TakeAll(queue, &taken), (std::vector<std::string>{"http://a/2"}));
    queue.Finished(taken.back().m_nTicket, false, std::nullopt, m_now);
    queue.Add(Link("http://a/3"));
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"http://a/3"}));

    m_now += 1000ms;
    EXPECT_EQ(queue.NextTime(m_now), std::nullopt);
    EXPECT_TRUE(TakeAll(queue).empty()); // a is busy with a/3
    CHandOutQueue later(1, 100);
    later.Add(Link("http://a/1"));
    later.Add(Link("http://a/2"));
    const auto first = later.Take(m_now);
    later.Finished(first->m_nTicket, false, 10ms, m_now);
    m_now += 10ms;
    // Its time has come: the retry goes before the later a/2.
    const auto retry = later.Take(m_now);
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->m_pItem->m_strUrl, "http://a/1");
    EXPECT_EQ(retry->m_nTry, 2);
}

TEST_F(HandOutQueue, LookAheadIsBoundedButRetriesAreAlwaysTakenIn)
{
    CHandOutQueue queue(1, 3);
    queue.Add(Link("http://a/0"));
    const auto running = queue.Take(m_now);
    for (int i = 1; i <= 3; ++i)
        queue.Add(Link("http://a/" + std::to_string(i)));
    EXPECT_FALSE(queue.HasRoom());
    queue.Finished(running->m_nTicket, false, 5s, m_now);
    EXPECT_EQ(queue.Waiting(), 4u);
}

TEST(CheckHostOf, NameInLowerCaseWithThePortGivenOrTheSchemesOwn)
{
    EXPECT_EQ(CheckHostOf("http://Example.ORG/a"), "example.org:80");
    EXPECT_EQ(CheckHostOf("http://example.org:80/b"), "example.org:80");
    EXPECT_EQ(CheckHostOf("https://example.org/"), "example.org:443");
    EXPECT_EQ(CheckHostOf("http://127.0.0.2:8080/x?y"), "127.0.0.2:8080");
    EXPECT_EQ(CheckHostOf("ftp://files.example/pub"), "files.example:21");
    EXPECT_EQ(CheckHostOf("not a link"), "");
}

TEST(RetryPolicy, RetryAfterInSecondsOrAsAnHttpDate)
{
    const std::time_t now = 1'700'000'000; // Tue, 14 Nov 2023 22:13:20 GMT
    EXPECT_EQ(ParseRetryAfter("1", now), 1s);
    EXPECT_EQ(ParseRetryAfter(" 120 ", now), 120s);
    EXPECT_EQ(ParseRetryAfter("Tue, 14 Nov 2023 22:13:50 GMT", now), 30s);
    EXPECT_EQ(ParseRetryAfter("Tuesday, 14-Nov-23 23:13:20 GMT", now), 3600s);
    EXPECT_EQ(ParseRetryAfter("Tue, 14 Nov 2023 22:00:00 GMT", now), 0s); // passed
    EXPECT_EQ(ParseRetryAfter("99999999999999999999999", now), std::chrono::seconds::max());
    EXPECT_EQ(ParseRetryAfter("", now), std::nullopt);
    EXPECT_EQ(ParseRetryAfter("soon", now), std::nullopt);
    EXPECT_EQ(ParseRetryAfter("-5", now), std::nullopt);
}

TEST(RetryPolicy, OnlyTooManyRequestsAndUnavailableWaitAndALongWaitIsFinal)
{
    EXPECT_EQ(RetryDelay(429, 1s, 1), 1000ms);
    EXPECT_EQ(RetryDelay(503, 60s, 2), 60000ms);
    EXPECT_EQ(RetryDelay(429, 61s, 1), std::nullopt);
    EXPECT_EQ(RetryDelay(429, 3600s, 1), std::nullopt);
    EXPECT_EQ(RetryDelay(429, std::chrono::seconds::max(), 1), std::nullopt);
    for (int nStatus : {0, 200, 404, 500, 502})
        EXPECT_EQ(RetryDelay(nStatus, 1s, 1), std::nullopt) << nStatus;
    // Without a Retry-After: a short backoff that grows, within its bound.
    EXPECT_EQ(RetryDelay(503, std::nullopt, 1), 1000ms);
    EXPECT_EQ(RetryDelay(503, std::nullopt, 2), 2000ms);
    EXPECT_EQ(RetryDelay(429, std::nullopt, 10), std::chrono::milliseconds(kRetryBackoffLimit));
}

} // namespace
