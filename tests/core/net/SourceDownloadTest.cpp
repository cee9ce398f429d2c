// How a web source is fetched: any letter case of the http or https scheme
// is downloaded, with our user agent, redirects followed and gzip decoded;
// an HTTP error status, a redirect off the web, a too large or hanging
// answer fail; the private temporary copy lives in the temporary folder and
// is gone after success and after failure; the proxy comes from the
// environment; a closing view ends a hanging download.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/net/SourceDownload.h"
#include "core/platform/ManualResetEvent.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/SourceLinks.h"
#include "core/sources/SourceTempFile.h"
#include "support/EnvGuard.h"
#include "support/MemoryTreeSink.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> FolderEntries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

// Open descriptors of this process that point into the folder.
std::vector<std::string> OpenFilesIn(const fs::path& dir)
{
    std::vector<std::string> targets;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(entry.path(), ec);
        if (!ec && target.string().starts_with(dir.string() + "/"))
            targets.push_back(target.string());
    }
    return targets;
}

class SourceDownloadTest : public ::testing::Test {
protected:
    // The time-out of every download here.
    static constexpr int kTimeoutMs = 10'000;

    void SetUp() override
    {
        std::string strTemplate = (fs::temp_directory_path() / "zorbel-dl-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_tempDir = strTemplate;
        m_tmpdir.emplace("TMPDIR", m_tempDir.string());
        m_server.Serve("/page.html", m_strPage);
    }
    void TearDown() override
    {
        m_tmpdir.reset();
        std::error_code ec;
        fs::remove_all(m_tempDir, ec);
    }

    void Run(const std::string& strSource)
    {
        SourceLinksThread(m_sink, m_sink.m_state, m_stop, m_bClosing, strSource, kTimeoutMs);
    }

    std::vector<std::string> Urls() const
    {
        std::vector<std::string> urls;
        for (const auto& pItem : m_sink.Items())
            urls.push_back(pItem->m_strUrl);
        return urls;
    }

    const std::string m_strPage =
        "<html><a href=\"http://one.example/\">1</a> <a href='https://two.example/x'>2</a>\n"
        "http://one.example/ ftp://three.example/f</html>";
    const std::vector<std::string> m_pageLinks = {"http://one.example/", "https://two.example/x",
                                                  "ftp://three.example/f"};

    // Requests to 127.0.0.1 never go through a proxy of the machine.
    EnvGuard m_noProxy{"no_proxy", std::string("127.0.0.1,localhost")};
    EnvGuard m_noProxyUpper{"NO_PROXY", std::string("127.0.0.1,localhost")};
    std::optional<EnvGuard> m_tmpdir;
    fs::path m_tempDir;
    CTestHttpServer m_server;
    MemoryTreeSink m_sink;
    ManualResetEvent m_stop;
    std::atomic<bool> m_bClosing{false};
};

} // namespace

TEST_F(SourceDownloadTest, PageFromTheServerIsListedWithItsAddressAsPath)
{
    const std::string strUrl = m_server.Url("/page.html");
    Run(strUrl);
    EXPECT_EQ(Urls(), m_pageLinks);
    for (const auto& pItem : m_sink.Items())
        EXPECT_EQ(pItem->m_strPath, strUrl);
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_TRUE(m_sink.TreeEnabled());
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);

    ASSERT_EQ(m_server.RequestCount(), 1u);
    const CTestHttpServer::CRequest request = m_server.Requests().front();
    EXPECT_EQ(request.m_strMethod, "GET");
    EXPECT_EQ(request.Header("User-Agent"), "Ornamy Zorbel Utility");
}

TEST_F(SourceDownloadTest, SchemeInAnyLetterCaseIsDownloaded)
{
    const std::string strPath = m_server.Url("/page.html").substr(4); // "://127.0.0.1:<port>/page.html"
    for (const std::string strScheme : {"HTTP", "hTtP", "Http"}) {
        MemoryTreeSink sink;
        SourceLinksThread(sink, sink.m_state, m_stop, m_bClosing, strScheme + strPath, kTimeoutMs);
        EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady}) << strScheme;
        EXPECT_EQ(sink.Items().size(), m_pageLinks.size()) << strScheme;
    }
    EXPECT_EQ(m_server.RequestCount(), 3u);
}

TEST_F(SourceDownloadTest, RedirectIsFollowedAndGzipDecoded)
{
    m_server.Serve("/packed.html", m_strPage, "text/html", CTestHttpServer::Gzip);
    m_server.ServeResponse("/old.html", {.m_nStatus = 301, .m_headers = {{"Location", "/packed.html"}}, .m_strBody = {}});
    Run(m_server.Url("/old.html"));
    EXPECT_EQ(Urls(), m_pageLinks);
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
}

TEST_F(SourceDownloadTest, ErrorStatusIsAFailedDownload)
{
    for (const std::string strPath : {"/404", "/500", "/403", "/status/410", "/missing/page"}) {
        MemoryTreeSink sink;
        SourceLinksThread(sink, sink.m_state, m_stop, m_bClosing, m_server.Url(strPath), kTimeoutMs);
        EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << strPath;
        EXPECT_EQ(sink.NodeCount(), 0u) << strPath;
        EXPECT_FALSE(sink.m_state.m_bPopulating);
    }
}

TEST_F(SourceDownloadTest, ErrorPageWithLinksIsNotListed)
{
    m_server.ServeResponse("/gone.html", {.m_nStatus = 404, .m_headers = {}, .m_strBody = m_strPage});
    Run(m_server.Url("/gone.html"));
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_EQ(m_sink.NodeCount(), 0u);
}

TEST_F(SourceDownloadTest, UnusableAnswersAreFailedDownloads)
{
    m_server.ServeResponse("/to-file", {.m_nStatus = 302, .m_headers = {{"Location", "file:///etc/hostname"}}, .m_strBody = {}});
    m_server.Serve("/empty.html", "");
    for (const std::string strPath :
         {"/to-file", "/302-unfollowable", "/loop", "/close", "/reset", "/not-http", "/empty.html"}) {
        MemoryTreeSink sink;
        SourceLinksThread(sink, sink.m_state, m_stop, m_bClosing, m_server.Url(strPath), kTimeoutMs);
        EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError}) << strPath;
    }
    // Nothing listening at all.
    MemoryTreeSink sink;
    SourceLinksThread(sink, sink.m_state, m_stop, m_bClosing, "http://127.0.0.1:1/page.html", kTimeoutMs);
    EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
}

TEST_F(SourceDownloadTest, TemporaryCopyIsInTheTemporaryFolderAndGoneAfterwards)
{
    // While the answer is delayed, the copy is open and already nameless.
    m_server.SetDelay(400ms);
    std::vector<std::string> seenDuringDownload;
    std::thread worker([&] { Run(m_server.Url("/page.html")); });
    WaitUntil(
        [&] {
            seenDuringDownload = OpenFilesIn(m_tempDir);
            return !seenDuringDownload.empty();
        },
        1s);
    worker.join();
    ASSERT_EQ(seenDuringDownload.size(), 1u);
    EXPECT_TRUE(seenDuringDownload[0].starts_with((m_tempDir / "ZRB").string()));
    EXPECT_TRUE(seenDuringDownload[0].ends_with(" (deleted)"));

    EXPECT_EQ(Urls(), m_pageLinks);
    EXPECT_TRUE(FolderEntries(m_tempDir).empty());
    EXPECT_TRUE(OpenFilesIn(m_tempDir).empty());

    m_server.SetDelay(0ms);
    MemoryTreeSink failed;
    SourceLinksThread(failed, failed.m_state, m_stop, m_bClosing, m_server.Url("/404"), kTimeoutMs);
    EXPECT_EQ(failed.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_TRUE(FolderEntries(m_tempDir).empty());
    EXPECT_TRUE(OpenFilesIn(m_tempDir).empty());
}

TEST_F(SourceDownloadTest, MissingTemporaryFolderIsASourceError)
{
    EnvGuard badTmp("TMPDIR", (m_tempDir / "no-such-folder").string());
    Run(m_server.Url("/page.html"));
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
}

TEST_F(SourceDownloadTest, ProxyIsTakenFromTheEnvironment)
{
    // The server answers absolute-form requests by their path, so it can
    // stand in for a proxy; the host name itself resolves nowhere.
    EnvGuard proxy("http_proxy", m_server.Url(""));
    EnvGuard noProxy("no_proxy", std::nullopt);
    EnvGuard noProxyUpper("NO_PROXY", std::nullopt);
    Run("http://zorbel-proxy-test.invalid/page.html");
    EXPECT_EQ(Urls(), m_pageLinks);
    ASSERT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(m_server.Requests().front().m_strTarget, "http://zorbel-proxy-test.invalid/page.html");
}

TEST_F(SourceDownloadTest, AnswerLargerThanTheLimitIsRefused)
{
    const std::string strBody(64 * 1024, 'x');
    m_server.Serve("/big.html", strBody);
    m_server.Serve("/big-packed.html", strBody, "text/html", CTestHttpServer::Gzip);
    for (const std::string strPath : {"/big.html", "/big-packed.html"}) {
        CSourceTempFile file;
        ASSERT_TRUE(file.IsOpen());
        const SourceDownloadResult result = DownloadSource(m_server.Url(strPath), file.Handle(), 10'000, 16 * 1024);
        EXPECT_FALSE(result.m_bOk) << strPath;
        EXPECT_TRUE(result.m_bTooLarge) << strPath;
        EXPECT_LE(result.m_nBytes, 16u * 1024) << strPath;
    }
    CSourceTempFile file;
    const SourceDownloadResult result = DownloadSource(m_server.Url("/big.html"), file.Handle(), 10'000, 64 * 1024);
    EXPECT_TRUE(result.m_bOk);
    EXPECT_EQ(result.m_nBytes, 64u * 1024);
}

TEST_F(SourceDownloadTest, HangingServerIsBoundedByTheTimeOut)
{
    CSourceTempFile file;
    const SourceDownloadResult result = DownloadSource(m_server.Url("/hang"), file.Handle(), 300);
    EXPECT_FALSE(result.m_bOk);
    EXPECT_FALSE(result.m_bAborted);
}

TEST_F(SourceDownloadTest, ClosingViewEndsAHangingDownloadWithoutMessage)
{
    std::thread worker([&] { Run(m_server.Url("/hang")); });
    EXPECT_TRUE(WaitUntil([&] { return m_server.RequestCount() > 0; }));
    m_bClosing = true;
    worker.join(); // with the 10 s time-out this would take that long without the abort
    EXPECT_TRUE(m_sink.Messages().empty());
    EXPECT_EQ(m_sink.NodeCount(), 0u);
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}
