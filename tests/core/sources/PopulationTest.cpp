// Pins the one start of a population for every program: an empty source
// scans the Favorites folder (the one given, else the one the locator
// finds, as an absolute path), any other source lists the links of that
// page or file. And the frame every population runs in: the tree disabled
// and the population flag set while it fills, the flag always cleared
// before the one message (list ready, or source error with the tree left
// disabled), nothing more for a closing view.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/ManualResetEvent.h"
#include "core/sources/Population.h"
#include "core/sources/PopulationFrame.h"
#include "support/ScanTestFiles.h"
#include "support/EnvGuard.h"
#include "support/MemoryTreeSink.h"
#include "support/WorkingDirectory.h"

using namespace scantest;

namespace {

// Logs the frame's calls and the population flag at each of them.
class StepSink : public MemoryTreeSink {
public:
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override
    {
        Log("insert");
        return MemoryTreeSink::InsertNode(parent, strName, nImage, std::move(pItem));
    }
    void EnableTree(bool bEnable) override
    {
        Log(bEnable ? "enable" : "disable");
        MemoryTreeSink::EnableTree(bEnable);
    }
    void PostToView(ViewEvent message) override
    {
        Log(message == ViewEvent::ListReady ? "list-ready" : "source-error");
        MemoryTreeSink::PostToView(message);
    }
    void Log(const std::string& strStep)
    {
        std::lock_guard lock(m_mxLog);
        m_steps.push_back(strStep + (m_state.m_bPopulating ? "(populating)" : ""));
    }
    std::vector<std::string> Steps() const
    {
        std::lock_guard lock(m_mxLog);
        return m_steps;
    }

private:
    mutable std::mutex m_mxLog;
    std::vector<std::string> m_steps;
};

using Steps = std::vector<std::string>;

class Population : public ::testing::Test {
protected:
    void Start(PopulationRequest request)
    {
        StartPopulation(m_sink, m_sink.m_state, std::make_shared<ManualResetEvent>(), m_bClosing, std::move(request))
            .join();
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& pItem : m_sink.Items())
            names.push_back(pItem->m_strName);
        return names;
    }

    TempFolder m_dir;
    StepSink m_sink;
    std::atomic<bool> m_bClosing{false};
};

TEST_F(Population, AnEmptySourceScansTheFavoritesFolderGiven)
{
    WriteFile(m_dir / "Favorites/Debian.url", UrlFile("http://www.debian.org/"));
    Start({"", m_dir / "Favorites"});
    EXPECT_EQ(Names(), std::vector<std::string>{"Debian"});
    EXPECT_EQ(m_sink.Items().front()->m_strUrl, "http://www.debian.org/");
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
}

TEST_F(Population, WithoutAFolderTheLocatedFavoritesFolderIsScanned)
{
    WriteFile(m_dir / "Located/Kernel.url", UrlFile("https://kernel.org/"));
    EnvGuard favorites("ZORBEL_FAVORITES", m_dir / "Located");
    Start({});
    EXPECT_EQ(Names(), std::vector<std::string>{"Kernel"});
    EXPECT_EQ(m_sink.Items().front()->m_strPath, m_dir / "Located/Kernel.url");
}

TEST_F(Population, RecordsOfARelativeFavoritesFolderHaveAbsolutePaths)
{
    WriteFile(m_dir / "work/Favs/Sub/Kernel.url", UrlFile("https://kernel.org/"));
    const std::string strCwd = [&] {
        WorkingDirectory cwd(m_dir / "work");
        return std::filesystem::current_path().string();
    }();
    EnvGuard favorites("ZORBEL_FAVORITES", "Favs");
    {
        WorkingDirectory cwd(m_dir / "work");
        Start({});
    }
    ASSERT_EQ(m_sink.Items().size(), 1u);
    EXPECT_EQ(m_sink.Items().front()->m_strPath, strCwd + "/Favs/Sub/Kernel.url");
}

TEST_F(Population, ASourceListsTheLinksOfThatPageOrFileAndNotTheFavorites)
{
    WriteFile(m_dir / "Favorites/Debian.url", UrlFile("http://www.debian.org/"));
    WriteFile(m_dir / "page.html", "<a href=\"http://one.example/\">one</a>");
    Start({m_dir / "page.html", m_dir / "Favorites"});
    ASSERT_EQ(m_sink.Items().size(), 1u);
    EXPECT_EQ(m_sink.Items().front()->m_strUrl, "http://one.example/");
    EXPECT_EQ(m_sink.Items().front()->m_strPath, m_dir / "page.html");

    StepSink missing;
    StartPopulation(missing, missing.m_state, std::make_shared<ManualResetEvent>(), m_bClosing, {m_dir / "none.html", ""}).join();
    EXPECT_EQ(missing.Steps(), (Steps{"disable", "source-error"}));
}

TEST(PopulationFrame, FillsBetweenDisableAndEnableAndClearsTheFlagBeforeListReady)
{
    StepSink sink;
    std::atomic<bool> bClosing{false};
    RunPopulation(
        sink, sink.m_state, bClosing,
        [&] {
            sink.InsertNode(kTreeRoot, "a", 0, nullptr);
            return PopulationEnd::Filled;
        },
        [&] { sink.Log("arrange"); });
    EXPECT_EQ(sink.Steps(),
              (Steps{"disable", "insert(populating)", "arrange(populating)", "enable(populating)", "list-ready"}));
    EXPECT_FALSE(sink.m_state.m_bPopulating);
}

TEST(PopulationFrame, ASourceErrorLeavesTheTreeDisabledAndPostsItsMessageAfterTheFlag)
{
    StepSink sink;
    std::atomic<bool> bClosing{false};
    RunPopulation(sink, sink.m_state, bClosing, [] { return PopulationEnd::SourceError; }, [&] { sink.Log("arrange"); });
    EXPECT_EQ(sink.Steps(), (Steps{"disable", "source-error"}));
    EXPECT_FALSE(sink.TreeEnabled());
    EXPECT_FALSE(sink.m_state.m_bPopulating);
}

TEST(PopulationFrame, AClosingViewGetsNothingAfterTheFill)
{
    for (const PopulationEnd nEnd : {PopulationEnd::Filled, PopulationEnd::SourceError}) {
        StepSink sink;
        std::atomic<bool> bClosing{false};
        RunPopulation(
            sink, sink.m_state, bClosing,
            [&] {
                bClosing = true;
                return nEnd;
            },
            [&] { sink.Log("arrange"); });
        EXPECT_EQ(sink.Steps(), Steps{"disable"});
        EXPECT_TRUE(sink.Messages().empty());
        EXPECT_FALSE(sink.m_state.m_bPopulating);
    }
}

TEST(PopulationFrame, TheFlagIsClearedWhenTheFillThrows)
{
    StepSink sink;
    std::atomic<bool> bClosing{false};
    EXPECT_THROW(RunPopulation(sink, sink.m_state, bClosing, []() -> PopulationEnd { throw std::runtime_error("gone"); }),
                 std::runtime_error);
    EXPECT_FALSE(sink.m_state.m_bPopulating);
    EXPECT_TRUE(sink.Messages().empty());
}

} // namespace
