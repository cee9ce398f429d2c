// The real checks of a pass run as transfers of one event loop: a thousand
// at once against one server, each host's name looked up once however many
// of its links start together, a stop that ends every transfer under way at
// once whatever the time-out (the favourites keep what they had), the
// progress counts, and the window's 16 slots handing out in list order.
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "CheckPassFixture.h"
#include "core/net/TransferEngine.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

} // namespace

class CheckEngine : public CheckPassFixture {
protected:
    std::unique_ptr<CCheckPass> StartConsolePass(int nThreads, int nHostLimit, int nTimeoutMs,
                                                 const TransferEngineOptions* pEngine = nullptr)
    {
        CheckPassOptions options = CheckPassOptions::Console(nTimeoutMs);
        options.m_nThreadCount = nThreads;
        options.m_nHostLimit = nHostLimit;
        options.m_bContentChecks = false;
        options.m_pEngineOptions = pEngine;
        return CCheckPass::Start(m_sink, m_pState, m_sink.List(), m_pTreeLock, m_pStop, options);
    }

    CTestHttpServer m_server;
};

TEST_F(CheckEngine, AThousandTransfersRunAtOnce)
{
    for (int i = 0; i < 1000; ++i)
        Add(m_server.Url("/hang/" + std::to_string(i)));
    auto pPass = StartConsolePass(1000, 0, 120000);
    ASSERT_NE(pPass, nullptr);
    // However slow the machine: all thousand wait for their answers together.
    ASSERT_TRUE(WaitUntil([&] { return m_server.RequestsInFlight() == 1000; }, 100s)) << m_server.RequestsInFlight();
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 1000);
    EXPECT_EQ(pPass->Stop(), 0);
    EXPECT_EQ(m_server.RequestCount(), 1000u);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckEngine, AThousandSlotsGiveEveryLinkItsOwnOutcome)
{
    m_server.SetDelay(1s);
    for (int i = 0; i < 1000; ++i)
        Add(m_server.Url(i % 10 == 9 ? "/missing/" + std::to_string(i) : "/ok/" + std::to_string(i)));
    auto pPass = StartConsolePass(1000, 0, 60000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(120s));
    EXPECT_GT(m_server.PeakRequestsInFlight(), 100u);
    EXPECT_EQ(m_server.RequestCount(), 1000u);
    int nValid = 0;
    int nMissing = 0;
    for (const auto& pItem : m_sink.Items()) {
        const bool bMissing = pItem->m_strUrl.find("/missing/") != std::string::npos;
        nValid += !bMissing && pItem->StatusText() == "Link is valid.";
        nMissing += bMissing && pItem->Status() == StatusPartiallyValid;
    }
    EXPECT_EQ(nValid, 900);
    EXPECT_EQ(nMissing, 100);
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), 100);
    EXPECT_EQ(m_pState->m_nPassTotal.load(), 1000);
    EXPECT_EQ(m_pState->m_nPassDone.load(), 1000);
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 0);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckEngine, StopAbortsEveryTransferAtOnceAndTheFavoritesKeepWhatTheyHad)
{
    for (int i = 0; i < 20; ++i)
        Add(m_server.Url("/hang/" + std::to_string(i)));
    auto pKnown = m_sink.Items()[3];
    pKnown->SetOutcome(StatusValid, "from the last pass");
    auto pSkipped = Add("/no/such/file/here.txt", KindInternetFavorite);
    auto pPass = StartConsolePass(64, 0, 60000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return m_server.RequestsInFlight() == 20; }));
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 20); // the checks under way

    const auto tStop = Clock::now();
    EXPECT_EQ(pPass->Stop(), 0);
    EXPECT_LT(MillisecondsSince(tStop), 1000);
    EXPECT_TRUE(pPass->IsFinished());
    EXPECT_EQ(CheckDoneCount(), 1);
    EXPECT_EQ(pKnown->Status(), StatusValid);
    EXPECT_EQ(pKnown->StatusText(), "from the last pass");
    for (const auto& pItem : m_sink.Items()) {
        if (pItem == pKnown || pItem == pSkipped)
            continue;
        EXPECT_EQ(pItem->Status(), StatusNotChecked) << pItem->m_strUrl;
        EXPECT_EQ(m_sink.NodeImage(pItem->m_hItem), KindInternetFavorite) << pItem->m_strUrl;
    }
    EXPECT_EQ(m_sink.NodeImage(pKnown->m_hItem), ImageFor(KindInternetFavorite, StatusValid));
    // Only the skipped file counts as done: the abandoned links were not checked.
    EXPECT_EQ(m_pState->m_nPassTotal.load(), 21);
    EXPECT_EQ(m_pState->m_nPassDone.load(), 1);
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), 0);
    EXPECT_TRUE(WaitUntil([&] { return m_server.RequestsInFlight() == 0; })); // the connections were closed
}

TEST_F(CheckEngine, EachHostIsLookedUpOnceHoweverManyOfItsLinksStartTogether)
{
    std::mutex mx;
    std::map<std::string, int> lookups;
    TransferEngineOptions engine;
    engine.m_resolve = [&](const std::string& strHost) {
        std::this_thread::sleep_for(50ms); // a name server takes its time
        std::lock_guard lock(mx);
        ++lookups[strHost];
        return strHost == "gone.test" ? std::vector<std::string>{} : std::vector<std::string>{"127.0.0.1"};
    };
    const std::string strPort = std::to_string(m_server.Port());
    const std::vector<std::string> hosts{"a.test", "b.test", "c.test", "d.test", "gone.test"};
    for (int i = 0; i < 8; ++i)
        for (const std::string& strHost : hosts)
            Add("http://" + strHost + ":" + strPort + "/wait/100/ok/" + std::to_string(i));
    // A redirect to another name of the same server: looked up once too.
    Add("http://a.test:" + strPort + "/wait/100/permanent/x");
    auto pPass = StartConsolePass(64, 8, 10000, &engine);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    for (const std::string& strHost : hosts)
        EXPECT_EQ(lookups[strHost], 1) << strHost;
    EXPECT_EQ(lookups.size(), hosts.size());
    for (const auto& pItem : m_sink.Items()) {
        if (pItem->m_strUrl.find("gone.test") != std::string::npos) {
            EXPECT_EQ(pItem->StatusText(), "The hostname could not be resolved (server not found).");
            EXPECT_EQ(pItem->Status(), StatusBroken);
        } else if (pItem->m_strUrl.find("/permanent/") != std::string::npos) {
            EXPECT_EQ(pItem->StatusText(), "Link is valid.");
            EXPECT_EQ(pItem->Redirect().m_strFinalUrl, "http://a.test:" + strPort + "/ok/x");
            EXPECT_TRUE(pItem->Redirect().m_bPermanent);
        } else {
            EXPECT_EQ(pItem->StatusText(), "Link is valid.") << pItem->m_strUrl;
        }
    }
    EXPECT_EQ(m_server.RequestCount(), 32u + 2u); // the redirect and its target
}

TEST_F(CheckEngine, TheWindowsSixteenSlotsHandOutInListOrder)
{
    m_server.SetDelay(300ms);
    for (int i = 0; i < 40; ++i)
        Add(m_server.Url("/ok/" + std::to_string(i)));
    auto pPass = StartPass(16, {}, 10000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return m_server.RequestCount() >= 16; }));
    std::this_thread::sleep_for(100ms); // no seventeenth before one has ended
    EXPECT_EQ(m_server.RequestCount(), 16u);
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 16);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    EXPECT_EQ(m_server.PeakRequestsInFlight(), 16u);
    // The first sixteen requests were the first sixteen links, whatever
    // order they arrived in among themselves.
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 40u);
    std::set<std::string> first;
    for (std::size_t i = 0; i < 16; ++i)
        first.insert(requests[i].m_strPath);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(first.count("/ok/" + std::to_string(i)), 1u) << i;
    for (const auto& pItem : m_sink.Items())
        EXPECT_EQ(pItem->StatusText(), "Link is valid.");
}

TEST_F(CheckEngine, OneSlotChecksTheLinksStrictlyInListOrder)
{
    for (int i = 0; i < 12; ++i)
        Add(m_server.Url("/ok/" + std::to_string(i)));
    auto pPass = StartPass(1, {}, 10000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    EXPECT_EQ(m_server.PeakRequestsInFlight(), 1u);
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 12u);
    for (std::size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].m_strPath, "/ok/" + std::to_string(i));
}
