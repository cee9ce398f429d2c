// A whole pass through the real checker against our own server on
// 127.0.0.1: outcomes, icons and the broken count of a mixed list, and a
// stop while every check waits on a server that never answers, which ends
// once the checks reach their own time-out, well within the stop's limit.
#include <thread>

#include "CheckPassFixture.h"
#include "core/settings/CheckSettings.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

class CheckPassEndToEnd : public CheckPassFixture {
protected:
    CTestHttpServer m_server;
};

TEST_F(CheckPassEndToEnd, MixedListGetsEveryOutcomeIconAndTheBrokenCount)
{
    auto pValid = Add(m_server.Url("/200"));
    auto pMissing = Add(m_server.Url("/404"), KindChannelLink);
    auto pMoved = Add(m_server.Url("/302-no-location"));
    auto pServerError = Add(m_server.Url("/500"));
    auto pLocal = Add("/no/such/file.txt", KindShortcut);

    auto pPass = StartPass(3, {}, 5000); // the real CheckOneFavorite
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(30s));

    EXPECT_EQ(pValid->Status(), StatusValid);
    EXPECT_EQ(pValid->StatusText(), "Link is valid.");
    EXPECT_EQ(m_sink.NodeImage(pValid->m_hItem), 8);
    EXPECT_EQ(pMissing->Status(), StatusPartiallyValid);
    EXPECT_EQ(m_sink.NodeImage(pMissing->m_hItem), 32 + KindChannelLink);
    EXPECT_EQ(pMoved->Status(), StatusMoved);
    EXPECT_EQ(m_sink.NodeImage(pMoved->m_hItem), 28);
    EXPECT_EQ(pServerError->Status(), StatusUnverified);
    EXPECT_EQ(pLocal->Status(), StatusSkipped);
    EXPECT_EQ(m_sink.NodeImage(pLocal->m_hItem), 27);
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), 1);
    // Every checked node showed the checking icon before its outcome.
    EXPECT_EQ(m_sink.NodeAt(pValid->m_hItem).m_imageHistory, (std::vector<int>{0, 16, 8}));
    EXPECT_EQ(m_server.RequestCount(), 4u);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckPassEndToEnd, StopWhileServersNeverAnswerAbandonsTheChecksAtOnce)
{
    constexpr int kTimeoutMs = 1500;
    for (int i = 0; i < 10; ++i)
        Add(m_server.Url("/hang/" + std::to_string(i)));

    auto pPass = StartPass(4, {}, kTimeoutMs);
    ASSERT_NE(pPass, nullptr);
    WaitUntil([&] { return m_server.RequestCount() >= 4; }, 10s);
    ASSERT_EQ(m_server.RequestCount(), 4u);

    const auto tStop = std::chrono::steady_clock::now();
    EXPECT_EQ(pPass->Stop([] {}), 0); // nothing left running to count out
    const auto waited = std::chrono::steady_clock::now() - tStop;
    EXPECT_LT(waited, std::chrono::milliseconds(1000)); // not the checks' own time-out

    // The checks under way were abandoned: their favourites are as they
    // were before the pass, like those never reached.
    const auto items = m_sink.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->Status(), StatusNotChecked);
        EXPECT_EQ(m_sink.NodeImage(items[i]->m_hItem), KindInternetFavorite);
    }
    EXPECT_EQ(m_server.RequestCount(), 4u);
    EXPECT_EQ(CheckDoneCount(), 1);
}
