// The tests' own HTTP server: it serves registered bodies (plain and gzip),
// redirects and chains of redirects as their paths name them, answers HEAD
// without a body, adds headers to every answer on request,
// answers many clients at once, delays answers on request, counts the most
// requests waiting at once, and shuts down
// promptly even while clients wait on answers that never come.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

namespace {

struct FetchResult {
    CURLcode m_nCode = CURLE_OK;
    long m_nStatus = 0;
    std::string m_strBody;
};

size_t Append(char* pData, size_t nSize, size_t nCount, void* pUser)
{
    static_cast<std::string*>(pUser)->append(pData, nSize * nCount);
    return nSize * nCount;
}

FetchResult Fetch(const std::string& strUrl, long nTimeoutMs = 5000, bool bDecode = false)
{
    FetchResult result;
    CURL* pCurl = curl_easy_init();
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str());
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_PROXY, "");
    curl_easy_setopt(pCurl, CURLOPT_TIMEOUT_MS, nTimeoutMs);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &result.m_strBody);
    if (bDecode)
        curl_easy_setopt(pCurl, CURLOPT_ACCEPT_ENCODING, "");
    result.m_nCode = curl_easy_perform(pCurl);
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &result.m_nStatus);
    curl_easy_cleanup(pCurl);
    return result;
}

using Clock = std::chrono::steady_clock;

} // namespace

TEST(TestHttpServer, ServesRegisteredBodiesPlainAndCompressed)
{
    CTestHttpServer server;
    const std::string page = "<html><a href=\"http://127.0.0.1/x\">x</a></html>";
    server.Serve("/page.html", page);
    server.Serve("/page-gz.html", page, "text/html", CTestHttpServer::Gzip);

    const FetchResult plain = Fetch(server.Url("/page.html"));
    EXPECT_EQ(plain.m_nStatus, 200);
    EXPECT_EQ(plain.m_strBody, page);

    const FetchResult raw = Fetch(server.Url("/page-gz.html"));
    EXPECT_NE(raw.m_strBody, page);
    const FetchResult decoded = Fetch(server.Url("/page-gz.html"), 5000, true);
    EXPECT_EQ(decoded.m_nCode, CURLE_OK);
    EXPECT_EQ(decoded.m_strBody, page);
}

TEST(TestHttpServer, BuiltInPathsAndFamiliesAnswerWithTheirStatus)
{
    CTestHttpServer server;
    EXPECT_EQ(Fetch(server.Url("/200")).m_nStatus, 200);
    EXPECT_EQ(Fetch(server.Url("/404")).m_nStatus, 404);
    EXPECT_EQ(Fetch(server.Url("/418")).m_nStatus, 418);
    EXPECT_EQ(Fetch(server.Url("/status/299")).m_nStatus, 299);
    EXPECT_EQ(Fetch(server.Url("/ok/17")).m_nStatus, 200);
    EXPECT_EQ(Fetch(server.Url("/missing/17")).m_nStatus, 404);
    EXPECT_EQ(Fetch(server.Url("/moved/17")).m_nStatus, 302);
    EXPECT_EQ(Fetch(server.Url("/close")).m_nCode, CURLE_GOT_NOTHING);
    EXPECT_EQ(Fetch(server.Url("/hang/3"), 200).m_nCode, CURLE_OPERATION_TIMEDOUT);

    const auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().m_strMethod, "GET");
    EXPECT_EQ(requests.front().m_strPath, "/200");
}

// Follows a path's redirects one hop at a time: the status of each answer,
// ending with the final one, and where the last hop pointed.
struct Hops {
    std::vector<long> m_statuses;
    std::string m_strLastUrl;
};

Hops FollowHops(const CTestHttpServer& server, const std::string& strPath)
{
    Hops hops;
    std::string strUrl = server.Url(strPath);
    for (int n = 0; n < 6; ++n) {
        CURL* pCurl = curl_easy_init();
        std::string strBody;
        curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str());
        curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(pCurl, CURLOPT_PROXY, "");
        curl_easy_setopt(pCurl, CURLOPT_TIMEOUT_MS, 5000L);
        curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &strBody);
        long nStatus = 0;
        char* pszNext = nullptr;
        EXPECT_EQ(curl_easy_perform(pCurl), CURLE_OK) << strUrl;
        curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
        curl_easy_getinfo(pCurl, CURLINFO_REDIRECT_URL, &pszNext);
        hops.m_statuses.push_back(nStatus);
        hops.m_strLastUrl = strUrl;
        const std::string strNext = pszNext ? pszNext : "";
        curl_easy_cleanup(pCurl);
        if (strNext.empty())
            break;
        strUrl = strNext;
    }
    return hops;
}

TEST(TestHttpServer, RedirectsAndChainsHopAsNamed)
{
    CTestHttpServer server;
    const struct {
        const char* m_pszPath;
        std::vector<long> m_statuses;
        const char* m_pszEnd;
    } rows[] = {
        {"/307", {307, 200}, "/200"},
        {"/308", {308, 200}, "/200"},
        {"/301-308", {301, 308, 200}, "/200"},
        {"/301-302", {301, 302, 200}, "/200"},
        {"/301-404", {301, 404}, "/404"},
        {"/permanent/x7", {301, 200}, "/ok/x7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.m_pszPath);
        const Hops hops = FollowHops(server, row.m_pszPath);
        EXPECT_EQ(hops.m_statuses, row.m_statuses);
        EXPECT_EQ(hops.m_strLastUrl, server.Url(row.m_pszEnd));
    }
}

TEST(TestHttpServer, AnswersHeadWithoutBodyAndAddsHeadersToEveryAnswer)
{
    CTestHttpServer server;
    server.Serve("/page.html", "<html>page</html>");
    server.AddHeader("X-Bench", "yes");

    // Two HEAD requests and a GET over one connection: a body after a HEAD
    // answer would be read as the start of the next answer.
    CURL* pCurl = curl_easy_init();
    std::string strHeaders;
    std::string strBody;
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_PROXY, "");
    curl_easy_setopt(pCurl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(pCurl, CURLOPT_HEADERFUNCTION, Append);
    curl_easy_setopt(pCurl, CURLOPT_HEADERDATA, &strHeaders);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &strBody);
    long nStatus = 0;
    for (const char* pszPath : {"/page.html", "/missing/1"}) {
        curl_easy_setopt(pCurl, CURLOPT_URL, server.Url(pszPath).c_str());
        curl_easy_setopt(pCurl, CURLOPT_NOBODY, 1L);
        EXPECT_EQ(curl_easy_perform(pCurl), CURLE_OK) << pszPath;
    }
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    EXPECT_EQ(nStatus, 404);
    EXPECT_TRUE(strBody.empty());
    curl_easy_setopt(pCurl, CURLOPT_URL, server.Url("/page.html").c_str());
    curl_easy_setopt(pCurl, CURLOPT_HTTPGET, 1L);
    EXPECT_EQ(curl_easy_perform(pCurl), CURLE_OK);
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    curl_easy_cleanup(pCurl);

    EXPECT_EQ(nStatus, 200);
    EXPECT_EQ(strBody, "<html>page</html>");
    EXPECT_EQ(server.ConnectionCount(), 1u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].m_strMethod, "HEAD");
    EXPECT_EQ(requests[2].m_strMethod, "GET");
    // Every answer, registered or built-in, carries the added header.
    size_t nFound = 0;
    for (size_t nPos = 0; (nPos = strHeaders.find("X-Bench: yes\r\n", nPos)) != std::string::npos; ++nPos)
        ++nFound;
    EXPECT_EQ(nFound, 3u);
}

TEST(TestHttpServer, AnswersManyClientsAtOnceEachAfterTheDelay)
{
    CTestHttpServer server;
    server.SetDelay(std::chrono::milliseconds(300));
    constexpr int kClients = 24;
    std::vector<long> statuses(kClients);
    const auto start = Clock::now();
    {
        std::vector<std::jthread> clients;
        for (int i = 0; i < kClients; ++i)
            clients.emplace_back([&, i] {
                statuses[i] = Fetch(server.Url("/ok/" + std::to_string(i))).m_nStatus;
            });
    }
    const auto elapsed = Clock::now() - start;
    for (long nStatus : statuses)
        EXPECT_EQ(nStatus, 200);
    // Served side by side: far less than 24 delays one after the other.
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 * kClients / 2));
}

TEST(TestHttpServer, CountsTheMostRequestsWaitingAtOnceAndForgetsClientsThatGaveUp)
{
    CTestHttpServer server;
    // Clients that time out on a path that never answers and close: they no
    // longer wait, so they do not add to what comes after.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Fetch(server.Url("/hang/" + std::to_string(i)), 100).m_nCode, CURLE_OPERATION_TIMEDOUT);
        WaitUntil([&] { return server.RequestsInFlight() == 0; }, std::chrono::seconds(10));
        ASSERT_EQ(server.RequestsInFlight(), 0u);
    }
    EXPECT_EQ(server.PeakRequestsInFlight(), 1u);

    // Long enough for every client to be waiting at once, even on a busy machine.
    server.SetDelay(std::chrono::milliseconds(1500));
    constexpr int kClients = 4;
    {
        std::vector<std::jthread> clients;
        for (int i = 0; i < kClients; ++i)
            clients.emplace_back([&, i] { Fetch(server.Url("/ok/" + std::to_string(i))); });
    }
    EXPECT_EQ(server.PeakRequestsInFlight(), static_cast<size_t>(kClients));
}

TEST(TestHttpServer, ShutsDownWhileClientsWaitOnAnswersThatNeverCome)
{
    std::optional<CTestHttpServer> server(std::in_place);
    std::vector<CURLcode> codes(8, CURLE_OK);
    std::vector<std::jthread> clients;
    for (size_t i = 0; i < codes.size(); ++i)
        clients.emplace_back([&, i, strUrl = server->Url(i % 2 ? "/hang" : "/large")] {
            codes[i] = Fetch(strUrl, 20000).m_nCode;
        });
    ASSERT_TRUE(WaitUntil([&] { return server->RequestCount() >= codes.size(); }));

    const auto start = Clock::now();
    server.reset();
    const auto stopTime = Clock::now() - start;
    clients.clear();
    EXPECT_LT(stopTime, std::chrono::seconds(2));
    for (CURLcode nCode : codes)
        EXPECT_NE(nCode, CURLE_OPERATION_TIMEDOUT);
}

namespace {

// The Retry-After of an answer, and its status.
std::pair<long, std::string> FetchRetryAfter(const std::string& strUrl)
{
    std::string strHeaders;
    CURL* pCurl = curl_easy_init();
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str());
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_PROXY, "");
    curl_easy_setopt(pCurl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(pCurl, CURLOPT_HEADERFUNCTION, Append);
    curl_easy_setopt(pCurl, CURLOPT_HEADERDATA, &strHeaders);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, +[](char*, size_t n, size_t m, void*) { return n * m; });
    curl_easy_perform(pCurl);
    long nStatus = 0;
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    curl_easy_cleanup(pCurl);
    const auto nAt = strHeaders.find("Retry-After: ");
    return {nStatus, nAt == std::string::npos ? "" : strHeaders.substr(nAt + 13, strHeaders.find('\r', nAt) - nAt - 13)};
}

} // namespace

TEST(TestHttpServer, ListensOnSeveralLoopbackAddressesAndCountsEachApart)
{
    CTestHttpServer server({"127.0.0.1", "127.0.0.5", "127.0.0.6"});
    EXPECT_EQ(server.UrlOn("127.0.0.5", "/ok/1"), "http://127.0.0.5:" + std::to_string(server.Port()) + "/ok/1");
    EXPECT_EQ(server.Url("/x"), server.UrlOn("127.0.0.1", "/x"));
    {
        // Three at once to .5, one to .6: each address has its own peak.
        std::vector<std::jthread> clients;
        for (int i = 0; i < 3; ++i)
            clients.emplace_back([&, i] {
                EXPECT_EQ(Fetch(server.UrlOn("127.0.0.5", "/wait/1500/ok/" + std::to_string(i))).m_nStatus, 200);
            });
        clients.emplace_back([&] { EXPECT_EQ(Fetch(server.UrlOn("127.0.0.6", "/wait/1500/404")).m_nStatus, 404); });
    }
    EXPECT_EQ(server.RequestCount("127.0.0.5"), 3u);
    EXPECT_EQ(server.PeakRequestsInFlight("127.0.0.5"), 3u);
    EXPECT_EQ(server.PeakRequestsInFlight("127.0.0.6"), 1u);
    EXPECT_EQ(server.RequestCount("127.0.0.1"), 0u);
    EXPECT_EQ(server.PeakRequestsInFlight(), 4u);
    EXPECT_EQ(server.PeakRequestsInFlight("127.0.0.9"), 0u); // not one of its addresses
    // An address it does not listen on refuses the connection.
    EXPECT_EQ(Fetch("http://127.0.0.7:" + std::to_string(server.Port()) + "/ok/1").m_nCode, CURLE_COULDNT_CONNECT);
    EXPECT_THROW(CTestHttpServer({"not-an-address"}), std::runtime_error);
}

TEST(TestHttpServer, WaitPathsTakeTheirOwnTimeThenAnswerAsTheRest)
{
    CTestHttpServer server;
    auto start = Clock::now();
    EXPECT_EQ(Fetch(server.Url("/wait/300/moved/7")).m_nStatus, 302);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    start = Clock::now();
    EXPECT_EQ(Fetch(server.Url("/wait/0/404")).m_nStatus, 404);
    EXPECT_EQ(Fetch(server.Url("/wait/x/ok")).m_nStatus, 404); // not a number: an unknown path
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(TestHttpServer, ABusyLimitRefusesRequestsBeyondItWith429AndRetryAfter)
{
    CTestHttpServer server({"127.0.0.1", "127.0.0.2"});
    server.SetBusyLimit("127.0.0.2", 2, "1");
    std::vector<long> statuses(5, 0);
    {
        std::vector<std::jthread> clients;
        for (int i = 0; i < 2; ++i)
            clients.emplace_back(
                [&, i] { statuses[i] = Fetch(server.UrlOn("127.0.0.2", "/wait/1500/ok/" + std::to_string(i))).m_nStatus; });
        ASSERT_TRUE(WaitUntil([&] { return server.RequestsInFlight() >= 2; }));
        // Two are being answered: a third is refused at once, with the wait
        // to come back after; another address is not limited.
        const auto [nStatus, strRetryAfter] = FetchRetryAfter(server.UrlOn("127.0.0.2", "/ok/x"));
        EXPECT_EQ(nStatus, 429);
        EXPECT_EQ(strRetryAfter, "1");
        statuses[2] = nStatus;
        statuses[3] = Fetch(server.UrlOn("127.0.0.1", "/ok/y")).m_nStatus;
    }
    // Once they are answered the host serves again.
    statuses[4] = Fetch(server.UrlOn("127.0.0.2", "/ok/z")).m_nStatus;
    EXPECT_EQ(statuses, (std::vector<long>{200, 200, 429, 200, 200}));
    EXPECT_EQ(server.BusyRefusalCount(), 1u);
    EXPECT_EQ(server.PeakRequestsInFlight("127.0.0.2"), 3u); // the refused one was there too, briefly

    server.SetBusyLimit("127.0.0.2", 0);
    EXPECT_THROW(server.SetBusyLimit("127.0.0.9", 1), std::invalid_argument);
}
