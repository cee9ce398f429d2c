// Reading the page of a check: only a 200 answer that is HTML (or says
// nothing of its type) is read, decoded and cut at the limit counted after
// decoding, so a small compressed body that unpacks to many megabytes costs
// no more than the limit; a page that only sends its reader on is followed
// as one more hop within the redirect limit; nothing is read when no page
// was asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/check/ContentCheck.h"
#include "core/net/HttpClient.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;

namespace {

HttpCheckResult Read(const std::string& strUrl, std::size_t nLimit = 256 * 1024)
{
    PageFacts facts;
    PageReadOptions read = ContentReadOptions(facts);
    read.m_nMaxBytes = nLimit;
    return CHttpClient::ForThisThread().Check(strUrl, 10s, &read);
}

} // namespace

class PageRead : public ::testing::Test {
protected:
    CTestHttpServer m_server;
};

TEST_F(PageRead, OnlyAPageOfA200IsReadAndOnlyWhenAsked)
{
    m_server.Serve("/page.html", "<title>Hello</title><p>Body text</p>");
    m_server.Serve("/report.pdf", "%PDF-1.4 not a page", "application/pdf");
    m_server.ServeResponse("/untyped", {.m_nStatus = 200, .m_headers = {}, .m_strBody = "<p>untyped</p>"});
    m_server.ServeResponse("/gone", {.m_nStatus = 404, .m_headers = {{"Content-Type", "text/html"}},
                                     .m_strBody = "<h1>Not here</h1>"});

    HttpCheckResult page = Read(m_server.Url("/page.html"));
    EXPECT_TRUE(page.m_bBodyRead);
    EXPECT_EQ(page.m_strBody, "<title>Hello</title><p>Body text</p>");
    EXPECT_EQ(page.m_strContentType, "text/html");
    EXPECT_EQ(page.m_redirectChain, std::vector<std::string>{m_server.Url("/page.html")});

    const HttpCheckResult untyped = Read(m_server.Url("/untyped"));
    EXPECT_TRUE(untyped.m_bBodyRead);
    EXPECT_EQ(untyped.m_strBody, "<p>untyped</p>");

    for (const char* pszPath : {"/report.pdf", "/gone"}) {
        SCOPED_TRACE(pszPath);
        const HttpCheckResult other = Read(m_server.Url(pszPath));
        EXPECT_FALSE(other.m_bBodyRead);
        EXPECT_TRUE(other.m_strBody.empty());
    }
    // The status is what it was without reading.
    EXPECT_EQ(Read(m_server.Url("/gone")).m_nHttpStatus, 404);

    const HttpCheckResult plain = CHttpClient::ForThisThread().Check(m_server.Url("/page.html"), 10s);
    EXPECT_FALSE(plain.m_bBodyRead);
    EXPECT_TRUE(plain.m_strBody.empty());
    EXPECT_TRUE(plain.m_redirectChain.empty());
}

TEST_F(PageRead, TheLimitIsCountedAfterDecodingAndAGzipBombStopsThere)
{
    // 64 MiB of one letter: about 64 KiB on the wire.
    const std::string strBomb(64u * 1024 * 1024, 'a');
    m_server.Serve("/bomb.html", strBomb, "text/html", CTestHttpServer::Gzip);
    const auto start = std::chrono::steady_clock::now();
    const HttpCheckResult bomb = Read(m_server.Url("/bomb.html"));
    EXPECT_EQ(bomb.m_nHttpStatus, 200);
    EXPECT_TRUE(bomb.m_bBodyRead);
    EXPECT_EQ(bomb.m_strBody.size(), 256u * 1024);
    EXPECT_EQ(bomb.m_strBody.find_first_not_of('a'), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // A small page comes whole and decoded; a large plain one stops at the limit.
    m_server.Serve("/small.gz.html", "<p>compressed page</p>", "text/html", CTestHttpServer::Gzip);
    EXPECT_EQ(Read(m_server.Url("/small.gz.html")).m_strBody, "<p>compressed page</p>");
    m_server.Serve("/long.html", std::string(100000, 'b'));
    EXPECT_EQ(Read(m_server.Url("/long.html"), 1000).m_strBody.size(), 1000u);
    // The request asked for the encodings it can decode.
    bool bAsked = false;
    for (const auto& request : m_server.Requests())
        bAsked |= request.m_strPath == "/bomb.html" && request.Header("Accept-Encoding").find("gzip") != std::string::npos;
    EXPECT_TRUE(bAsked);
}

TEST_F(PageRead, ALanderIsFollowedAsATemporaryHopWithinTheRedirectLimit)
{
    m_server.Serve("/lander.html", "<script>location.replace('/final.html')</script>");
    m_server.Serve("/final.html", "<title>Final</title>");
    m_server.ServeResponse("/moved-to-lander", {.m_nStatus = 301, .m_headers = {{"Location", "/lander.html"}}, .m_strBody = {}});
    const HttpCheckResult result = Read(m_server.Url("/moved-to-lander"));
    EXPECT_EQ(result.m_nHttpStatus, 200);
    EXPECT_EQ(result.m_strFinalUrl, m_server.Url("/final.html"));
    EXPECT_FALSE(result.m_bPermanentRedirects); // a lander is no permanent move
    EXPECT_EQ(result.m_redirectChain,
              (std::vector<std::string>{m_server.Url("/moved-to-lander"), m_server.Url("/lander.html"),
                                        m_server.Url("/final.html")}));

    // Refreshes for ever: the hops stop at the limit and the answer stands.
    for (int i = 0; i <= 20; ++i)
        m_server.Serve("/r" + std::to_string(i),
                       "<meta http-equiv=refresh content=\"0;url=/r" + std::to_string(i + 1) + "\">");
    const HttpCheckResult endless = Read(m_server.Url("/r0"));
    EXPECT_EQ(endless.m_dwError, 0u);
    EXPECT_EQ(endless.m_nHttpStatus, 200);
    EXPECT_EQ(endless.m_strFinalUrl, m_server.Url("/r" + std::to_string(kMaxRedirects)));

    // A refresh that waits long, and a script in a page with much to read,
    // send nobody anywhere.
    m_server.Serve("/slow-refresh", "<meta http-equiv=refresh content=\"300;url=/final.html\">");
    EXPECT_TRUE(Read(m_server.Url("/slow-refresh")).m_strFinalUrl.empty());
    std::string strArticle = "<script>if (old) window.location = '/final.html';</script><p>";
    for (int i = 0; i < 100; ++i)
        strArticle += "word ";
    m_server.Serve("/article", strArticle + "</p>");
    EXPECT_TRUE(Read(m_server.Url("/article")).m_strFinalUrl.empty());
}
