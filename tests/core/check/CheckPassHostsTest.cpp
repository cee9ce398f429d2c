// The console's passes: many workers, a limit per host that holds up no
// other host, retries of "later" answers that hold no worker; and the
// window's passes, which keep 16 slots, the list order and no retries.
// First with checks of the tests' own (what each host sees at once, in what
// order), then with the real checker against our server listening on
// several loopback addresses.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "CheckPassFixture.h"
#include "core/check/HandOutQueue.h"
#include "core/check/WorkerSlotTable.h"
#include "core/net/UrlHost.h"
#include "core/settings/CheckSettings.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

// Checks at once, per host and in all, as the checks themselves see them.
struct HostLoad {
    std::mutex m_mx;
    std::map<std::string, int> m_running;
    std::map<std::string, int> m_peak;
    int m_nRunning = 0;
    int m_nPeak = 0;
    std::vector<std::string> m_order; // URLs in the order their checks began

    void Enter(const std::string& strUrl)
    {
        std::lock_guard lock(m_mx);
        const std::string strHost = CheckHostOf(strUrl);
        m_peak[strHost] = std::max(m_peak[strHost], ++m_running[strHost]);
        m_nPeak = std::max(m_nPeak, ++m_nRunning);
        m_order.push_back(strUrl);
    }
    void Leave(const std::string& strUrl)
    {
        std::lock_guard lock(m_mx);
        --m_running[CheckHostOf(strUrl)];
        --m_nRunning;
    }
    std::size_t Count(const std::string& strUrl)
    {
        std::lock_guard lock(m_mx);
        return static_cast<std::size_t>(std::count(m_order.begin(), m_order.end(), strUrl));
    }
};

} // namespace

class CheckPassHosts : public CheckPassFixture {
protected:
    std::unique_ptr<CCheckPass> StartConsolePass(int nThreads, int nHostLimit, int nRetries,
                                                 CCheckPass::CheckFunction check = {}, int nTimeoutMs = 5000)
    {
        CheckPassOptions options = CheckPassOptions::Console(nTimeoutMs);
        options.m_nThreadCount = nThreads;
        options.m_nHostLimit = nHostLimit;
        options.m_nRetries = nRetries;
        return CCheckPass::Start(m_sink, m_pState, m_sink.List(), m_pTreeLock, m_pStop, options, std::move(check));
    }
};

TEST_F(CheckPassHosts, ABusyHostKeepsToItsLimitAndHoldsUpNoOtherHost)
{
    // A long run of one host first, whose checks do not end until the test
    // says so: its links wait while the later hosts' go.
    for (int i = 0; i < 40; ++i)
        Add("http://a.example/" + std::to_string(i));
    for (int i = 0; i < 15; ++i) {
        Add("http://b.example/" + std::to_string(i));
        Add("http://c.example:8080/" + std::to_string(i));
    }
    HostLoad load;
    ManualResetEvent release;
    std::atomic<int> nOthersDone{0};
    auto pPass = StartConsolePass(16, 3, 0, [&](WorkerSlot& slot) {
        const std::string strUrl = slot.m_pItem->m_strUrl;
        load.Enter(strUrl);
        if (strUrl.starts_with("http://a."))
            release.Wait(20s);
        else
            std::this_thread::sleep_for(1ms);
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        load.Leave(strUrl);
        if (!strUrl.starts_with("http://a."))
            ++nOthersDone;
    });
    ASSERT_NE(pPass, nullptr);
    // Every link of b and c is done while a holds its three checks.
    EXPECT_TRUE(WaitUntil([&] { return nOthersDone.load() == 30; }));
    {
        std::lock_guard lock(load.m_mx);
        EXPECT_EQ(load.m_running["a.example:80"], 3);
        EXPECT_GT(load.m_nPeak, 3); // the others ran beside a
    }
    EXPECT_EQ(m_sink.Items()[3]->Status(), StatusNotChecked); // a's fourth waits for a
    release.Set();
    ASSERT_TRUE(pPass->WaitFinished(30s));

    EXPECT_EQ(load.m_order.size(), 70u); // each once
    EXPECT_EQ(load.m_peak["a.example:80"], 3);
    EXPECT_LE(load.m_peak["b.example:80"], 3);
    EXPECT_LE(load.m_peak["c.example:8080"], 3);
    for (const auto& pItem : m_sink.Items())
        EXPECT_EQ(pItem->Status(), StatusValid);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckPassHosts, ConsolePassesHaveMoreThanSixteenWorkersAndTheWindowsKeepSixteen)
{
    for (int i = 0; i < 40; ++i)
        Add("http://h" + std::to_string(i) + ".example/");
    // The checks hold their workers until the test has seen how many run.
    const auto slotsUsed = [&](int nExpected, auto start) {
        std::mutex mx;
        std::set<const WorkerSlot*> slots;
        std::atomic<int> nRunning{0};
        ManualResetEvent release;
        auto pPass = start([&](WorkerSlot& slot) {
            {
                std::lock_guard lock(mx);
                slots.insert(&slot);
            }
            ++nRunning;
            release.Wait(20s);
            RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        });
        EXPECT_NE(pPass, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return nRunning.load() >= nExpected; }));
        std::this_thread::sleep_for(50ms); // no more start
        EXPECT_EQ(nRunning.load(), nExpected);
        release.Set();
        EXPECT_TRUE(pPass->WaitFinished(30s));
        return slots.size();
    };
    EXPECT_EQ(slotsUsed(40, [&](auto check) { return StartConsolePass(40, 0, 0, check); }), 40u);
    EXPECT_EQ(slotsUsed(16, [&](auto check) { return StartPass(40, check); }), 16u); // the window's 16
    EXPECT_GE(CWorkerSlotTable::Instance().Size(), 40u);
}

TEST_F(CheckPassHosts, TheWindowsPassNeverRetriesAndHandsOutInListOrder)
{
    for (int i = 0; i < 12; ++i)
        Add("http://same.example/" + std::to_string(i));
    HostLoad load;
    RunPass(1, [&](WorkerSlot& slot) {
        load.Enter(slot.m_pItem->m_strUrl);
        slot.m_nHttpStatus = 429;
        slot.m_retryAfter = 0s;
        RecordFakeOutcome(slot, StatusUnverified, "Unexpected HTTP status code 429 was received");
        load.Leave(slot.m_pItem->m_strUrl);
    });
    std::vector<std::string> expected;
    for (const auto& pItem : m_sink.Items())
        expected.push_back(pItem->m_strUrl);
    EXPECT_EQ(load.m_order, expected); // once each, in list order
    EXPECT_EQ(m_sink.Items()[0]->StatusText(), "Unexpected HTTP status code 429 was received");
}

TEST_F(CheckPassHosts, ARetryHoldsNoWorkerAndTheLastAnswerIsTheOutcome)
{
    auto pLater = Add("http://busy.example/page");
    Add("http://other.example/1");
    Add("http://other.example/2");
    auto pUnavailable = Add("http://down.example/");
    HostLoad load;
    const auto tStart = Clock::now();
    std::atomic<Clock::duration> secondTry{};
    auto pPass = StartConsolePass(1, 8, 2, [&](WorkerSlot& slot) {
        const std::string strUrl = slot.m_pItem->m_strUrl;
        load.Enter(strUrl);
        if (strUrl == pLater->m_strUrl && load.Count(strUrl) == 1) {
            slot.m_nHttpStatus = 429;
            slot.m_retryAfter = 1s;
            RecordFakeOutcome(slot, StatusUnverified, "Unexpected HTTP status code 429 was received");
        } else if (strUrl == pUnavailable->m_strUrl) {
            slot.m_nHttpStatus = 503; // no Retry-After: a short backoff
            RecordFakeOutcome(slot, StatusUnverified, "HTTP status code 503 (Server Overloaded or Too Busy) was received.");
        } else {
            if (strUrl == pLater->m_strUrl)
                secondTry = Clock::now() - tStart;
            slot.m_nHttpStatus = 200;
            RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        }
        load.Leave(strUrl);
    });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(30s));

    // One worker: the others were checked while the first link waited.
    ASSERT_GE(load.m_order.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(load.m_order.begin(), load.m_order.begin() + 4),
              (std::vector<std::string>{"http://busy.example/page", "http://other.example/1", "http://other.example/2",
                                        "http://down.example/"}));
    EXPECT_GE(secondTry.load(), 1s); // after what Retry-After asked
    EXPECT_EQ(pLater->Status(), StatusValid);
    EXPECT_EQ(load.Count(pLater->m_strUrl), 2u);
    // Two retries, then the third answer stands.
    EXPECT_EQ(load.Count(pUnavailable->m_strUrl), 3u);
    EXPECT_EQ(pUnavailable->StatusText(), "HTTP status code 503 (Server Overloaded or Too Busy) was received.");
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckPassHosts, ALinkRemovedWhileItWaitsIsNeverChecked)
{
    auto pFirst = Add("http://one.example/1");
    auto pWaiting = Add("http://one.example/2");
    auto pRetried = Add("http://two.example/1");
    ManualResetEvent release;
    HostLoad load;
    auto pPass = StartConsolePass(4, 1, 2, [&](WorkerSlot& slot) {
        const std::string strUrl = slot.m_pItem->m_strUrl;
        load.Enter(strUrl);
        if (strUrl == pFirst->m_strUrl)
            release.Wait(20s);
        if (strUrl == pRetried->m_strUrl) {
            slot.m_nHttpStatus = 503;
            slot.m_retryAfter = 1s;
        }
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        load.Leave(strUrl);
    });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return load.Count(pRetried->m_strUrl) == 1 && load.Count(pFirst->m_strUrl) == 1; }));
    // The user deletes the link waiting for its host and the one waiting
    // for its retry.
    m_sink.RemoveItem(pWaiting);
    m_sink.RemoveItem(pRetried);
    release.Set();
    ASSERT_TRUE(pPass->WaitFinished(30s));
    EXPECT_EQ(load.Count(pWaiting->m_strUrl), 0u);
    EXPECT_EQ(load.Count(pRetried->m_strUrl), 1u);
    EXPECT_EQ(pWaiting->Status(), StatusNotChecked);
}

class CheckPassHostsServed : public CheckPassHosts {
protected:
    CTestHttpServer m_server{std::vector<std::string>{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}};
};

TEST_F(CheckPassHostsServed, TheServerNeverSeesMoreThanTheLimitFromOneHost)
{
    for (int i = 0; i < 12; ++i)
        for (const std::string& strAddress : m_server.Addresses())
            Add(m_server.UrlOn(strAddress, "/wait/" + std::to_string(200 + 20 * (i % 4)) + "/ok/" + std::to_string(i)));
    auto pPass = StartConsolePass(32, 3, 2, {}, 10000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    for (const std::string& strAddress : m_server.Addresses()) {
        EXPECT_EQ(m_server.PeakRequestsInFlight(strAddress), 3u) << strAddress;
        EXPECT_EQ(m_server.RequestCount(strAddress), 12u) << strAddress;
    }
    EXPECT_GT(m_server.PeakRequestsInFlight(), 3u); // the hosts were served side by side
    for (const auto& pItem : m_sink.Items())
        EXPECT_EQ(pItem->StatusText(), "Link is valid.") << pItem->m_strUrl;
}

TEST_F(CheckPassHostsServed, ARefusalWithRetryAfterOneSecondEndsValid)
{
    m_server.SetBusyLimit("127.0.0.2", 2, "1");
    for (int i = 0; i < 3; ++i)
        Add(m_server.UrlOn("127.0.0.2", "/wait/800/ok/" + std::to_string(i)));
    auto pPass = StartConsolePass(8, 8, 2, {}, 10000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    // The third was refused (and, on a slow machine, maybe its retry too).
    EXPECT_GE(m_server.BusyRefusalCount(), 1u);
    EXPECT_LE(m_server.BusyRefusalCount(), 2u);
    EXPECT_EQ(m_server.RequestCount("127.0.0.2"), 3u + m_server.BusyRefusalCount());
    for (const auto& pItem : m_sink.Items()) {
        EXPECT_EQ(pItem->Status(), StatusValid);
        EXPECT_EQ(pItem->StatusText(), "Link is valid.");
    }
}

TEST_F(CheckPassHostsServed, ARetryAfterOfAnHourGivesTheAnswerAtOnce)
{
    m_server.SetBusyLimit("127.0.0.3", 1, "3600");
    auto pFirst = Add(m_server.UrlOn("127.0.0.3", "/wait/1500/ok/1"));
    auto pSecond = Add(m_server.UrlOn("127.0.0.3", "/wait/1500/ok/2"));
    const auto tStart = Clock::now();
    auto pPass = StartConsolePass(8, 8, 2, {}, 10000);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));
    EXPECT_LT(Clock::now() - tStart, 30s); // nobody waited for the hour
    EXPECT_EQ(m_server.BusyRefusalCount(), 1u);
    EXPECT_EQ(m_server.RequestCount("127.0.0.3"), 2u);
    const auto& pRefused = pFirst->Status() == StatusValid ? pSecond : pFirst;
    EXPECT_EQ(pRefused->Status(), StatusUnverified);
    EXPECT_EQ(pRefused->StatusText(), "Unexpected HTTP status code 429 was received");
}
