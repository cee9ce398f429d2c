// A check and a page download make their requests alike: both name Zorbel's
// user agent and both go through the proxy that the environment names. The
// set-up of the network library may be asked for any number of times, from
// several threads at once.
#include <gtest/gtest.h>


#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/check/CheckClassification.h"
#include "core/net/HttpClient.h"
#include "core/net/HttpSession.h"
#include "core/net/SourceDownload.h"
#include "core/sources/SourceTempFile.h"
#include "support/EnvGuard.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;

namespace {

class HttpSession : public ::testing::Test {
protected:
    // Both kinds of request, to a host that resolves nowhere: only the
    // proxy can answer them.
    void CheckAndDownload()
    {
        const HttpCheckResult check =
            CHttpClient::ForThisThread().Check("http://zorbel-proxy-test.invalid/200", 5s);
        EXPECT_EQ(ClassifyCheck(check).m_nStatus, StatusValid);
        CSourceTempFile file;
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(DownloadSource("http://zorbel-proxy-test.invalid/page.html", file.Handle(), 5000).m_bOk);
    }

    CTestHttpServer m_server;
};

TEST_F(HttpSession, CheckAndDownloadNameTheUserAgentAndGoThroughTheEnvironmentsProxy)
{
    m_server.Serve("/page.html", "<html>no links</html>");
    // The server answers absolute-form requests by their path, so it can
    // stand in for the proxy.
    EnvGuard proxy("http_proxy", m_server.Url(""));
    EnvGuard noProxy("no_proxy", std::nullopt);
    EnvGuard noProxyUpper("NO_PROXY", std::nullopt);
    CheckAndDownload();

    const std::vector<CTestHttpServer::CRequest> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].m_strTarget, "http://zorbel-proxy-test.invalid/200");
    EXPECT_EQ(requests[1].m_strTarget, "http://zorbel-proxy-test.invalid/page.html");
    for (const CTestHttpServer::CRequest& request : requests)
        EXPECT_EQ(request.Header("User-Agent"), kZorbelUserAgent);
}

TEST(HttpGlobal, SetUpMayBeAskedForAgainAndFromSeveralThreadsAtOnce)
{
    std::vector<int> results(8, 0);
    {
        std::vector<std::jthread> threads;
        for (int& nResult : results)
            threads.emplace_back([&nResult] { nResult = HttpGlobalInit() ? 1 : 0; });
    }
    for (const int nResult : results)
        EXPECT_EQ(nResult, 1);
    EXPECT_TRUE(HttpGlobalInit());
    EXPECT_NE(NewHttpHandle(), nullptr);
}

} // namespace
