// The transfer engine on its own: an abort ends every transfer under way at
// once and every one asked for later; requests keep their own time-outs;
// redirects and pages are followed and read as by a request of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/net/HttpClient.h"
#include "core/net/TransferEngine.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

using namespace std::chrono_literals;

TEST(TransferEngine, AnAbortEndsEveryTransferAtOnceAndEveryOneAskedForLater)
{
    CTestHttpServer server;
    auto pEngine = CTransferEngine::Start();
    ASSERT_NE(pEngine, nullptr);
    std::atomic<int> nAborted{0};
    std::atomic<int> nAnswered{0};
    const auto done = [&](HttpCheckResult result, bool bAborted) {
        (bAborted ? nAborted : nAnswered) += 1;
        EXPECT_TRUE(!bAborted || !result.m_nHttpStatus.has_value());
    };
    for (int i = 0; i < 50; ++i)
        pEngine->Submit(server.Url("/hang/" + std::to_string(i)), 60s, nullptr, done);
    ASSERT_TRUE(WaitUntil([&] { return server.RequestsInFlight() == 50; }));
    EXPECT_EQ(pEngine->Pending(), 50u);

    const auto tAbort = std::chrono::steady_clock::now();
    pEngine->AbortAll();
    ASSERT_TRUE(WaitUntil([&] { return nAborted.load() == 50; }, 1s));
    EXPECT_LT(std::chrono::steady_clock::now() - tAbort, 1s);
    EXPECT_EQ(nAnswered.load(), 0);
    EXPECT_TRUE(WaitUntil([&] { return server.RequestsInFlight() == 0; })); // their connections were closed

    // Later requests end at once, unasked.
    pEngine->Submit(server.Url("/ok/late"), 60s, nullptr, done);
    ASSERT_TRUE(WaitUntil([&] { return nAborted.load() == 51; }, 1s));
    const HttpCheckResult waited = CHttpClient(pEngine).Check(server.Url("/ok/waited"), 60s);
    EXPECT_FALSE(waited.m_nHttpStatus.has_value());
    EXPECT_NE(waited.m_dwError, 0u);
    EXPECT_EQ(server.RequestCount(), 50u);
    EXPECT_EQ(pEngine->Pending(), 0u);
}

TEST(TransferEngine, EachRequestKeepsToItsOwnTimeOut)
{
    CTestHttpServer server;
    auto pEngine = CTransferEngine::Start();
    ASSERT_NE(pEngine, nullptr);
    CHttpClient client(pEngine);
    const auto tStart = std::chrono::steady_clock::now();
    const HttpCheckResult hung = client.Check(server.Url("/hang/1"), 300ms);
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, 3s);
    EXPECT_EQ(hung.m_dwError, 12002u); // the time-out
    const HttpCheckResult ok = client.Check(server.Url("/ok/1"), 5s);
    EXPECT_EQ(ok.m_nHttpStatus.value_or(0), 200);
}

TEST(TransferEngine, RedirectsAndPagesAreFollowedAndReadAsByARequestOfItsOwn)
{
    CTestHttpServer server;
    server.Serve("/page.html", "<html><head><title>A page</title></head><body>words</body></html>", "text/html");
    auto pEngine = CTransferEngine::Start();
    ASSERT_NE(pEngine, nullptr);
    CHttpClient engineClient(pEngine);
    CHttpClient ownClient;
    PageReadOptions read;
    for (const char* pszPath : {"/301-308", "/302", "/loop", "/page.html", "/404", "/302-no-location"}) {
        const HttpCheckResult viaEngine = engineClient.Check(server.Url(pszPath), 5s, &read);
        const HttpCheckResult ofItsOwn = ownClient.Check(server.Url(pszPath), 5s, &read);
        EXPECT_EQ(viaEngine.m_dwError, ofItsOwn.m_dwError) << pszPath;
        EXPECT_EQ(viaEngine.m_nHttpStatus, ofItsOwn.m_nHttpStatus) << pszPath;
        EXPECT_EQ(viaEngine.m_strFinalUrl, ofItsOwn.m_strFinalUrl) << pszPath;
        EXPECT_EQ(viaEngine.m_bPermanentRedirects, ofItsOwn.m_bPermanentRedirects) << pszPath;
        EXPECT_EQ(viaEngine.m_redirectChain, ofItsOwn.m_redirectChain) << pszPath;
        EXPECT_EQ(viaEngine.m_strBody, ofItsOwn.m_strBody) << pszPath;
        EXPECT_EQ(viaEngine.m_bBodyRead, ofItsOwn.m_bBodyRead) << pszPath;
    }
    EXPECT_NE(engineClient.Check(server.Url("/page.html"), 5s, &read).m_strBody.find("words"), std::string::npos);
}

TEST(TransferEngine, ANameThatDidNotResolveIsAskedAgainAFewSecondsLater)
{
    CTestHttpServer server;
    std::atomic<int> nLookups{0};
    TransferEngineOptions options;
    // The name server fails once, then answers.
    options.m_resolve = [&](const std::string&) {
        return ++nLookups == 1 ? std::vector<std::string>{} : std::vector<std::string>{"127.0.0.1"};
    };
    auto pEngine = CTransferEngine::Start(options);
    ASSERT_NE(pEngine, nullptr);
    CHttpClient client(pEngine);
    const std::string strUrl = "http://flaky.test:" + std::to_string(server.Port()) + "/ok/1";
    EXPECT_EQ(client.Check(strUrl, 5s).m_dwError, 12007u); // not resolved
    EXPECT_EQ(client.Check(strUrl, 5s).m_dwError, 12007u); // the same answer, not asked again
    EXPECT_EQ(nLookups.load(), 1);
    std::this_thread::sleep_for(5100ms);
    EXPECT_EQ(client.Check(strUrl, 5s).m_nHttpStatus.value_or(0), 200);
    EXPECT_EQ(nLookups.load(), 2);
}
