// What the extraction thread makes of a local source: one top-level record
// per distinct link with the fixed name, kind and path; the tree disabled
// during the work and enabled with ViewEvent::ListReady at the end; every source
// that cannot be read (missing, directory, empty, pipe) reported with
// ViewEvent::SourceError and no node; a relative name opened against the current
// directory; a closing view told nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"
#include "core/platform/ManualResetEvent.h"
#include "core/sources/SourceLinks.h"
#include "support/MemoryTreeSink.h"

namespace fs = std::filesystem;

namespace {

// Notes the state of the population at each message and tree switch.
class RecordingSink : public MemoryTreeSink {
public:
    void EnableTree(bool bEnable) override
    {
        m_enableLog.push_back(bEnable);
        MemoryTreeSink::EnableTree(bEnable);
    }
    void PostToView(ViewEvent message) override
    {
        m_bPopulatingAtPost = m_state.m_bPopulating.load();
        m_nNodesAtPost = NodeCount();
        MemoryTreeSink::PostToView(message);
    }
    std::vector<bool> m_enableLog;
    bool m_bPopulatingAtPost = true;
    size_t m_nNodesAtPost = 0;
};

class SourceLinksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string strTemplate = (fs::temp_directory_path() / "zorbel-links-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_dir = strTemplate;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string WriteFile(const std::string& strName, std::string_view strContent)
    {
        const fs::path path = m_dir / strName;
        std::ofstream out(path, std::ios::binary);
        out.write(strContent.data(), static_cast<std::streamsize>(strContent.size()));
        return path.string();
    }

    void Run(const std::string& strSource)
    {
        SourceLinksThread(m_sink, m_sink.m_state, m_stop, m_bClosing, strSource);
    }

    std::vector<std::string> Urls() const
    {
        std::vector<std::string> urls;
        for (const auto& pItem : m_sink.Items())
            urls.push_back(pItem->m_strUrl);
        return urls;
    }

    void ExpectSourceError()
    {
        EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
        EXPECT_EQ(m_sink.NodeCount(), 0u);
        EXPECT_TRUE(m_sink.Items().empty());
        EXPECT_EQ(m_sink.m_enableLog, std::vector<bool>{false});
        EXPECT_FALSE(m_sink.m_state.m_bPopulating);
        EXPECT_FALSE(m_sink.m_bPopulatingAtPost);
    }

    fs::path m_dir;
    RecordingSink m_sink;
    ManualResetEvent m_stop;
    std::atomic<bool> m_bClosing{false};
};

} // namespace

TEST_F(SourceLinksTest, EveryDistinctLinkBecomesATopLevelRecord)
{
    const std::string strPath = WriteFile(
        "page.html", "<a href=\"http://b.example/\">x</a> <a href='HTTP://b.example/'>\n"
                     "ftp://files.example/f.zip http://b.example/ https://a.example/s?x=1\r\n");
    Run(strPath);

    EXPECT_EQ(Urls(), (std::vector<std::string>{"http://b.example/", "https://a.example/s?x=1",
                                                "HTTP://b.example/", "ftp://files.example/f.zip"}));
    for (const auto& pItem : m_sink.Items()) {
        EXPECT_EQ(pItem->m_strName, "<N/A>");
        EXPECT_EQ(pItem->m_strPath, strPath);
        EXPECT_EQ(pItem->m_nKind, KindInternetFavorite);
        EXPECT_EQ(pItem->m_nDepth, 0);
        EXPECT_TRUE(pItem->m_strFolder.empty());
        EXPECT_EQ(pItem->Status(), StatusNotChecked);
        const MemoryTreeSink::Node node = m_sink.NodeAt(pItem->m_hItem);
        EXPECT_EQ(node.m_parent, kTreeRoot);
        EXPECT_EQ(node.m_strName, pItem->m_strUrl);
        EXPECT_EQ(node.m_nImage, 0);
    }
}

TEST_F(SourceLinksTest, ListReadyComesLastWithTheTreeEnabledAndPopulationOver)
{
    Run(WriteFile("page.html", "http://a/ http://b/"));
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(m_sink.m_nNodesAtPost, 2u);
    EXPECT_EQ(m_sink.m_enableLog, (std::vector<bool>{false, true}));
    EXPECT_TRUE(m_sink.TreeEnabled());
    EXPECT_FALSE(m_sink.m_bPopulatingAtPost);
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}

TEST_F(SourceLinksTest, FileWithoutLinksOrStartingWithNulGivesAnEmptyReadyList)
{
    Run(WriteFile("plain.txt", "no links here, only www.example.com"));
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(m_sink.NodeCount(), 0u);

    RecordingSink sink2;
    using namespace std::string_literals;
    SourceLinksThread(sink2, sink2.m_state, m_stop, m_bClosing, WriteFile("nul.bin", "\0http://a/"s));
    EXPECT_EQ(sink2.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(sink2.NodeCount(), 0u);
}

TEST_F(SourceLinksTest, LinkAtTheEndOfAFileWithoutLineEnd)
{
    Run(WriteFile("end.txt", "first http://a.example/\nlast http://z.example/end"));
    EXPECT_EQ(Urls(), (std::vector<std::string>{"http://a.example/", "http://z.example/end"}));
}

TEST_F(SourceLinksTest, SourcesThatCannotBeReadAreSourceErrors)
{
    fs::create_directory(m_dir / "folder.html");
    ASSERT_EQ(mkfifo((m_dir / "pipe").c_str(), 0600), 0); // refused without waiting for a writer
    const std::string sources[] = {(m_dir / "missing.html").string(), WriteFile("empty.html", ""),
                                   (m_dir / "folder.html").string(), (m_dir / "pipe").string(), ""};
    for (const std::string& strSource : sources) {
        SCOPED_TRACE(strSource);
        RecordingSink fresh;
        SourceLinksThread(fresh, fresh.m_state, m_stop, m_bClosing, strSource);
        EXPECT_EQ(fresh.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
        EXPECT_EQ(fresh.NodeCount(), 0u);
        EXPECT_EQ(fresh.m_enableLog, std::vector<bool>{false});
        EXPECT_FALSE(fresh.m_bPopulatingAtPost);
        EXPECT_FALSE(fresh.m_state.m_bPopulating);
    }
}

TEST_F(SourceLinksTest, UnreadableFileIsASourceError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string strPath = WriteFile("locked.html", "http://a/");
    ASSERT_EQ(chmod(strPath.c_str(), 0), 0);
    Run(strPath);
    ExpectSourceError();
}

TEST_F(SourceLinksTest, RelativeNameIsOpenedFromTheCurrentDirectoryAndKeptAsGiven)
{
    WriteFile("rel.html", "http://relative.example/");
    const fs::path oldCwd = fs::current_path();
    fs::current_path(m_dir);
    Run("rel.html");
    fs::current_path(oldCwd);

    ASSERT_EQ(Urls(), std::vector<std::string>{"http://relative.example/"});
    EXPECT_EQ(m_sink.Items()[0]->m_strPath, "rel.html");
}

TEST_F(SourceLinksTest, LongLinesAndBinaryDataGiveCutLinks)
{
    std::string strContent = "\x89PNG\r\n\x1a\xff\xfe";
    strContent += "http://" + std::string(3 * 1024 * 1024, 'y');
    strContent += "\nhttps://tail.example/";
    Run(WriteFile("big.bin", strContent));
    const std::vector<std::string> urls = Urls();
    ASSERT_FALSE(urls.empty());
    EXPECT_EQ(urls.front(), "http://" + std::string(4096 - 7, 'y'));
    EXPECT_EQ(urls.back(), "https://tail.example/");
    for (const std::string& strUrl : urls)
        EXPECT_LE(strUrl.size(), 4096u);
}

TEST_F(SourceLinksTest, ClosingViewGetsNoMessageAndNoNodes)
{
    m_bClosing = true;
    Run(WriteFile("page.html", "http://a/ http://b/"));
    EXPECT_TRUE(m_sink.Messages().empty());
    EXPECT_EQ(m_sink.NodeCount(), 0u);
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);

    RecordingSink sink2;
    SourceLinksThread(sink2, sink2.m_state, m_stop, m_bClosing, (m_dir / "missing").string());
    EXPECT_TRUE(sink2.Messages().empty());
    EXPECT_FALSE(sink2.m_state.m_bPopulating);
}

TEST_F(SourceLinksTest, RunsOnItsOwnThreadAndRefreshRepeatsTheList)
{
    const std::string strPath = WriteFile("page.html", "http://a/ http://b/ http://a/");
    for (int nRun = 0; nRun < 2; ++nRun) {
        m_sink.DeleteAllNodes();
        std::thread worker(SourceLinksThread, std::ref(m_sink), std::ref(m_sink.m_state), std::cref(m_stop),
                           std::cref(m_bClosing), strPath, 0);
        worker.join();
        EXPECT_EQ(Urls(), (std::vector<std::string>{"http://a/", "http://b/"}));
    }
    EXPECT_EQ(m_sink.Messages(), (std::vector<ViewEvent>{ViewEvent::ListReady, ViewEvent::ListReady}));
}

TEST(SourceErrorMessage, NamesTheSourceInTheFixedSentence)
{
    EXPECT_EQ(FormatSourceErrorMessage("http://example.com/missing"),
              "The specified URL/File: http://example.com/missing\ncannot be downloaded or opened.");
    EXPECT_EQ(kSourceErrorCaption, "URL/File Error");
}

TEST(SourceErrorMessage, LongSourceIsShortenedAtACharacterBorder)
{
    std::string strSource(967, 'a');
    strSource += "\xc3\xa9\xc3\xa9\xc3\xa9"; // "ééé" across the cut
    const std::string strMessage = FormatSourceErrorMessage(strSource);
    EXPECT_LE(strMessage.size(), kMaxSourceErrorMessage);
    EXPECT_TRUE(strMessage.starts_with("The specified URL/File: aaa"));
    EXPECT_TRUE(strMessage.ends_with("a\ncannot be downloaded or opened."));
}
