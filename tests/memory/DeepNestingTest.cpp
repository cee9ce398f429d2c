// Folders nested 20,000 deep in every source: what is read takes memory in
// proportion to the file, not to the square of its depth, a JSON file of
// nothing but "[" is refused before it takes gigabytes, a store beyond the
// depth limit is refused with a message naming it, and the Favorites scan
// holds a bounded number of folder handles however deep it goes. Measured
// by counting every allocation (AllocationCounter.cpp), not by timing.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "core/model/ViewState.h"
#include "core/platform/ManualResetEvent.h"
#include "core/sources/FavoritesScan.h"
#include "core/sources/Population.h"
#include "core/sources/SourceLimits.h"
#include "support/BookmarkStores.h"
#include "support/EnvGuard.h"
#include "support/MemoryTreeSink.h"
#include "support/ScanTestFiles.h"

namespace {

using namespace bookmarkstore;
using scantest::TempFolder;
using scantest::WriteFile;

constexpr int kDepth = 20000;
constexpr std::size_t kMemoryBound = std::size_t(64) << 20;

// The most memory held at once while `run` ran, beyond what was held before.
std::size_t PeakDuring(const std::function<void()>& run)
{
    const std::size_t nBefore = alloccount::LiveBytes();
    alloccount::ResetPeak();
    run();
    return alloccount::PeakBytes() - nBefore;
}

int OpenHandles()
{
    int nCount = 0;
    if (DIR* pDir = ::opendir("/proc/self/fd")) {
        while (::readdir(pDir) != nullptr)
            ++nCount;
        ::closedir(pDir);
    }
    return nCount;
}

class DeepNesting : public ::testing::Test {
protected:
    DeepNesting() { std::filesystem::create_directories(m_strTemp); }

    // The source filled in, and the text of its error.
    std::string Populate(const std::string& strPath, MemoryTreeSink& sink)
    {
        auto pReport = std::make_shared<PopulationReport>();
        std::atomic<bool> bClosing{false};
        StartPopulation(sink, sink.m_state, std::make_shared<ManualResetEvent>(), bClosing,
                        {strPath, m_dir / "NoFavorites", "", pReport})
            .join();
        return pReport->m_strSourceError;
    }

    // A store nested deeper than the limit: refused, naming the limit, with
    // little memory taken on the way.
    void ExpectRefusedWithinBound(const std::string& strPath)
    {
        MemoryTreeSink sink;
        std::string strError;
        const std::size_t nPeak = PeakDuring([&] { strError = Populate(strPath, sink); });
        EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
        EXPECT_NE(strError.find("nested more than " + std::to_string(kMaxFolderDepth) + " deep"), std::string::npos)
            << strError;
        EXPECT_LT(nPeak, kMemoryBound);
        RecordProperty("peak_bytes", std::to_string(nPeak));
    }

    TempFolder m_dir;
    const std::string m_strTemp = m_dir / "tmp";
    EnvGuard m_tmpdir{"TMPDIR", m_strTemp};
};

TEST_F(DeepNesting, AChromiumFileNestedTwentyThousandDeep)
{
    std::string strJson = R"({"checksum": "0", "roots": {"bookmark_bar": {"children": [)";
    for (int i = 0; i < kDepth; ++i)
        strJson += R"({"type": "url", "name": "Site", "url": "http://site.example/"}, {"type": "folder", "name": "Folder", "children": [)";
    for (int i = 0; i < kDepth; ++i)
        strJson += "]}";
    strJson += R"(], "name": "Bookmarks bar", "type": "folder"}}, "version": 1})";
    WriteFile(m_dir / "Bookmarks", strJson);
    strJson = {};
    ExpectRefusedWithinBound(m_dir / "Bookmarks");
}

TEST_F(DeepNesting, AChromiumFileOfNothingButOpeningBracketsIsRefusedEarly)
{
    WriteFile(m_dir / "Bookmarks", "{\"roots\": " + std::string(30 << 20, '['));
    ExpectRefusedWithinBound(m_dir / "Bookmarks");
}

TEST_F(DeepNesting, ANetscapeFileNestedTwentyThousandDeep)
{
    std::string strHtml = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < kDepth; ++i)
        strHtml += "<DT><A HREF=\"http://site.example/\">Site</A>\n<DT><H3>Folder</H3>\n<DL><p>\n";
    WriteFile(m_dir / "bookmarks.html", strHtml);
    strHtml = {};
    ExpectRefusedWithinBound(m_dir / "bookmarks.html");
}

TEST_F(DeepNesting, APlacesStoreNestedTwentyThousandDeep)
{
    const std::string strPath = m_dir / "places.sqlite";
    {
        CPlacesDatabase db(strPath);
        db.Exec("BEGIN");
        db.Exec("WITH RECURSIVE chain(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM chain WHERE n < " +
                std::to_string(kDepth - 1) +
                ") INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) "
                "SELECT 100 + n, 2, CASE n WHEN 0 THEN 2 ELSE 99 + n END, 0, 'Folder', 'deep' || n FROM chain");
        db.Exec("INSERT INTO moz_places (id, url, title) VALUES (1, 'http://site.example/', 'Site')");
        db.Exec("INSERT INTO moz_bookmarks (type, fk, parent, position, title, guid) SELECT 1, 1, id, 1, 'Site', "
                "'site' || id FROM moz_bookmarks WHERE id >= 100");
        db.Exec("COMMIT");
    }
    ExpectRefusedWithinBound(strPath);
}

TEST_F(DeepNesting, AStoreAtTheLimitIsReadWholeWithinTheBound)
{
    std::string strHtml = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < kMaxFolderDepth; ++i)
        strHtml += "<DT><A HREF=\"http://site.example/\">Site</A>\n<DT><H3>Folder</H3>\n<DL><p>\n";
    WriteFile(m_dir / "bookmarks.html", strHtml);
    MemoryTreeSink sink;
    std::string strError;
    const std::size_t nPeak = PeakDuring([&] { strError = Populate(m_dir / "bookmarks.html", sink); });
    EXPECT_EQ(sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady}) << strError;
    ASSERT_EQ(sink.Items().size(), std::size_t(kMaxFolderDepth));
    EXPECT_EQ(sink.Items().back()->m_nDepth, kMaxFolderDepth - 1);
    EXPECT_LT(nPeak, kMemoryBound);
    RecordProperty("peak_bytes", std::to_string(nPeak));
}

TEST_F(DeepNesting, TheFavoritesScanTwentyThousandDeepHoldsFewHandlesAndLittleMemory)
{
    // A favourite at every level, 20-byte folder names.
    const std::string strName(20, 'n');
    std::filesystem::create_directories(m_dir / "Favorites");
    const std::string strUrlFile = "[InternetShortcut]\r\nURL=http://site.example/\r\n";
    ASSERT_TRUE(scantest::MakeFolderChain(m_dir / "Favorites", kDepth, strName, [&](int hFolder, int nLevel) {
        if (nLevel > kMaxFolderDepth + 1) // never read: spared the making
            return;
        const int hFile = ::openat(hFolder, "site.url", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(hFile, 0);
        ASSERT_EQ(::write(hFile, strUrlFile.data(), strUrlFile.size()), ssize_t(strUrlFile.size()));
        ::close(hFile);
    }));

    // Handles are counted at every node the scan makes.
    class CountingSink : public MemoryTreeSink {
    public:
        TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                            std::shared_ptr<FavoriteItem> pItem) override
        {
            m_nMostHandles = std::max(m_nMostHandles, OpenHandles());
            return MemoryTreeSink::InsertNode(parent, strName, nImage, std::move(pItem));
        }
        int m_nMostHandles = 0;
    } sink;
    std::vector<ScanProblem> problems;
    ManualResetEvent hStop;
    std::atomic<bool> bClosing{false};
    const int nHandlesBefore = OpenHandles();
    const std::size_t nPeak = PeakDuring([&] {
        CViewState state;
        FavoritesScanThread(sink, state, hStop, bClosing, m_dir / "Favorites",
                            [&](const ScanProblem& problem) { problems.push_back(problem); });
    });
    EXPECT_LT(nPeak, kMemoryBound);
    RecordProperty("peak_bytes", std::to_string(nPeak));
    RecordProperty("most_handles_added", std::to_string(sink.m_nMostHandles - nHandlesBefore));
    EXPECT_LE(sink.m_nMostHandles - nHandlesBefore, 20);
    // Read down to the limit; the folder at the limit is told of, naming it.
    EXPECT_EQ(sink.Items().size(), std::size_t(kMaxFolderDepth));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].m_strText, "folders deeper than 1000 levels are not read");
    EXPECT_EQ(problems[0].m_nError, 0);
    scantest::EmptyDeepFolder(m_dir.Path());
}

} // namespace
