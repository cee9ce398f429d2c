// HTTPS through the transfer engine: a server whose certificate comes from
// a private CA is trusted with that CA's file (the system's CAs stay
// trusted beside it) and refused without it; the transfers of one engine
// keep their connections and resume their TLS sessions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "core/net/HttpCheckResult.h"
#include "core/net/TransferEngine.h"
#include "support/TestHttpServer.h"
#include "support/TestTlsFront.h"
#include "support/WaitUntil.h"

using namespace std::chrono_literals;

TEST(TransferEngineTls, APrivateCaFileMakesItsServerTrustedAndNothingElseDoes)
{
    CTestHttpServer server;
    CTestTlsFront tls(server);

    TransferEngineOptions withCa;
    withCa.m_strCaFile = CTestTlsFront::CaFile();
    auto pTrusting = CTransferEngine::Start(withCa);
    ASSERT_NE(pTrusting, nullptr);
    const HttpCheckResult trusted = pTrusting->CheckAndWait(tls.Url("/ok/1"), 10s, nullptr);
    EXPECT_EQ(trusted.m_dwError, 0u);
    EXPECT_EQ(trusted.m_nHttpStatus.value_or(0), 200);
    const HttpCheckResult missing = pTrusting->CheckAndWait(tls.Url("/missing/1"), 10s, nullptr);
    EXPECT_EQ(missing.m_nHttpStatus.value_or(0), 404);

    auto pPlain = CTransferEngine::Start();
    ASSERT_NE(pPlain, nullptr);
    const HttpCheckResult refused = pPlain->CheckAndWait(tls.Url("/ok/2"), 10s, nullptr);
    EXPECT_NE(refused.m_dwError, 0u); // the certificate is not one the system trusts
    EXPECT_FALSE(refused.m_nHttpStatus.has_value());
    EXPECT_EQ(server.RequestCount(), 2u); // the refused one never got through
}

TEST(TransferEngineTls, TransfersToOneHostKeepTheirConnectionsAndResumeTheirSessions)
{
    CTestHttpServer server;
    server.SetDelay(100ms);
    CTestTlsFront tls(server);
    TransferEngineOptions options;
    options.m_strCaFile = CTestTlsFront::CaFile();
    auto pEngine = CTransferEngine::Start(options);
    ASSERT_NE(pEngine, nullptr);

    // One first, so that its session is known to the others.
    EXPECT_EQ(pEngine->CheckAndWait(tls.Url("/ok/first"), 10s, nullptr).m_nHttpStatus.value_or(0), 200);
    EXPECT_EQ(tls.HandshakeCount(), 1u);

    std::atomic<int> nValid{0};
    std::atomic<int> nDone{0};
    for (int nRound = 0; nRound < 5; ++nRound) {
        const int nBefore = nDone.load();
        for (int i = 0; i < 8; ++i)
            pEngine->Submit(tls.Url("/ok/" + std::to_string(nRound) + "-" + std::to_string(i)), 10s, nullptr,
                            [&](HttpCheckResult result, bool bAborted) {
                                nValid += !bAborted && result.m_nHttpStatus.value_or(0) == 200;
                                ++nDone;
                            });
        ASSERT_TRUE(WaitUntil([&] { return nDone.load() == nBefore + 8; }, 30s));
    }
    EXPECT_EQ(nValid.load(), 40);
    // Eight at once need eight connections; the rounds after the first use
    // them again (most of them: a connection the server has just closed is
    // opened anew).
    EXPECT_LT(tls.HandshakeCount(), 20u) << tls.ResumedCount();
    // The connections opened beside the first resumed its session.
    EXPECT_GE(tls.ResumedCount(), 1u);
    EXPECT_EQ(server.RequestCount(), 41u);
}
