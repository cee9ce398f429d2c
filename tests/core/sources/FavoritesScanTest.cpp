// Pins the Favorites scan as the view sees it through its tree sink: the
// order of its steps (tree disabled, walk, expansion, tree enabled,
// population flag cleared, list-ready), the nodes and records it makes for
// folders, channels, Internet shortcuts, desktop links and other files, the
// order and hiding of entries, the stop and closing rules, and that bad
// input (unreadable folders, odd names, loops, deep nesting beyond the path
// length limit, vanishing files, folders and files swapped for links or
// pipes while the scan runs) still leaves a correct tree, with every
// problem told.

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <mutex>

#include <gtest/gtest.h>

#include "core/model/FavoriteKind.h"
#include "core/sources/FavoritesScan.h"
#include "support/ScanTestFiles.h"
#include "support/MemoryTreeSink.h"

using namespace scantest;

namespace {

// A memory tree that also logs the order of the scan's calls and what the
// population flag was at each of them.
class RecordingSink : public MemoryTreeSink {
public:
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override
    {
        Log(m_state.m_bPopulating ? "insert(populating)" : "insert");
        const TreeNode node = MemoryTreeSink::InsertNode(parent, strName, nImage, std::move(pItem));
        ++m_nInserts;
        if (m_onInsert)
            m_onInsert(m_nInserts);
        return node;
    }
    void EnableTree(bool bEnable) override
    {
        Log(bEnable ? "enable" : "disable");
        MemoryTreeSink::EnableTree(bEnable);
    }
    void ExpandAllBranches() override
    {
        Log("expand");
        MemoryTreeSink::ExpandAllBranches();
    }
    void EnsureVisible(TreeNode node) override
    {
        Log("visible");
        MemoryTreeSink::EnsureVisible(node);
    }
    void PostToView(ViewEvent message) override
    {
        Log(m_state.m_bPopulating ? "post(populating)" : "post");
        MemoryTreeSink::PostToView(message);
    }

    // The log with repeated inserts folded into one entry.
    std::vector<std::string> Steps() const
    {
        std::vector<std::string> steps;
        for (const auto& s : m_log)
            if (steps.empty() || steps.back() != s)
                steps.push_back(s);
        return steps;
    }

    std::function<void(int)> m_onInsert;
    int m_nInserts = 0;

private:
    void Log(std::string s) { m_log.push_back(std::move(s)); }
    std::vector<std::string> m_log;
};

// Problems the scan tells, as "path: errno" lines.
class ProblemLog {
public:
    ScanProblemFunction Function()
    {
        return [this](const ScanProblem& problem) {
            std::lock_guard lock(m_mx);
            m_problems.push_back(problem);
        };
    }
    std::vector<ScanProblem> Problems() const
    {
        std::lock_guard lock(m_mx);
        return m_problems;
    }

private:
    mutable std::mutex m_mx;
    std::vector<ScanProblem> m_problems;
};

// A chain of folders far deeper than a path may be long, made and removed
// from folder handle to folder handle; the file named goes at its bottom.
void MakeDeepChain(const std::string& strRoot, int nLevels, const std::string& strName, const std::string& strFile,
                   std::string_view strBytes)
{
    int hFolder = ::open(strRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(hFolder, 0);
    for (int i = 0; i < nLevels; ++i) {
        ASSERT_EQ(::mkdirat(hFolder, strName.c_str(), 0700), 0) << "level " << i;
        const int hChild = ::openat(hFolder, strName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(hFolder);
        ASSERT_GE(hChild, 0);
        hFolder = hChild;
    }
    const int hFile = ::openat(hFolder, strFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(hFile, 0);
    ASSERT_EQ(::write(hFile, strBytes.data(), strBytes.size()), static_cast<ssize_t>(strBytes.size()));
    ::close(hFile);
    ::close(hFolder);
}

void RemoveTreeAt(int hFolder)
{
    std::vector<std::pair<std::string, bool>> entries;
    if (DIR* pDir = ::fdopendir(::fcntl(hFolder, F_DUPFD_CLOEXEC, 0))) {
        while (const dirent* pEntry = ::readdir(pDir))
            if (std::string_view(pEntry->d_name) != "." && std::string_view(pEntry->d_name) != "..")
                entries.emplace_back(pEntry->d_name, pEntry->d_type == DT_DIR);
        ::closedir(pDir);
    }
    for (const auto& [strName, bFolder] : entries) {
        if (bFolder) {
            const int hChild = ::openat(hFolder, strName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (hChild >= 0) {
                RemoveTreeAt(hChild);
                ::close(hChild);
            }
        }
        ::unlinkat(hFolder, strName.c_str(), bFolder ? AT_REMOVEDIR : 0);
    }
}

// How often a file of the folder was opened while `run` ran.
int OpensOf(const std::string& strFolder, const std::string& strName, const std::function<void()>& run)
{
    const int hNotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Closes are watched too, so that two opens in a row are not merged
    // into one event.
    if (hNotify < 0 || ::inotify_add_watch(hNotify, strFolder.c_str(), IN_OPEN | IN_CLOSE) < 0)
        return -1;
    run();
    int nOpens = 0;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = ::read(hNotify, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* pEvent = reinterpret_cast<const inotify_event*>(p);
            if ((pEvent->mask & IN_OPEN) != 0 && pEvent->len > 0 && strName == pEvent->name)
                ++nOpens;
            p += sizeof(inotify_event) + pEvent->len;
        }
    }
    ::close(hNotify);
    return nOpens;
}

class FavoritesScan : public ::testing::Test {
protected:
    void Scan(const std::string& strRoot)
    {
        FavoritesScanThread(m_sink, m_sink.m_state, m_hStop, m_bClosing, strRoot, m_problems.Function());
    }
    void Scan() { Scan(m_dir.Path()); }

    std::shared_ptr<FavoriteItem> ItemNamed(std::string_view strName) const
    {
        for (const auto& p : m_sink.Items())
            if (p->m_strName == strName)
                return p;
        return nullptr;
    }

    std::vector<std::string> TopLevelNames() const
    {
        std::vector<std::string> names;
        for (TreeNode n : m_sink.Children(kTreeRoot))
            names.push_back(m_sink.NodeAt(n).m_strName);
        return names;
    }

    TempFolder m_dir;
    ProblemLog m_problems;
    RecordingSink m_sink;
    ManualResetEvent m_hStop;
    std::atomic<bool> m_bClosing{false};
};

using Steps = std::vector<std::string>;

TEST_F(FavoritesScan, RunsItsStepsInOrderAndClearsThePopulationFlagBeforeListReady)
{
    WriteFile(m_dir / "a.url", UrlFile("http://a.example/"));
    Scan();
    EXPECT_EQ(m_sink.Steps(), (Steps{"disable", "insert(populating)", "expand", "visible", "enable", "post"}));
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(m_sink.VisibleNode(), m_sink.Children(kTreeRoot).front());
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}

TEST_F(FavoritesScan, EmptyFolderStillEnablesTheTreeAndPostsListReady)
{
    Scan();
    EXPECT_EQ(m_sink.Steps(), (Steps{"disable", "enable", "post"}));
    EXPECT_EQ(m_sink.NodeCount(), 0u);
    EXPECT_TRUE(m_sink.TreeEnabled());
}

TEST_F(FavoritesScan, MissingFolderEndsQuietlyWithoutListReady)
{
    Scan(m_dir / "no-such-folder");
    Scan("");
    WriteFile(m_dir / "file", "x");
    Scan(m_dir / "file");
    EXPECT_TRUE(m_sink.Steps().empty());
    EXPECT_TRUE(m_sink.TreeEnabled());
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
    // Each folder that could not be scanned is told, as the folder itself.
    const auto problems = m_problems.Problems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].m_strPath, m_dir / "no-such-folder");
    EXPECT_EQ(problems[0].m_nError, ENOENT);
    EXPECT_TRUE(problems[0].m_bRoot);
    EXPECT_EQ(problems[1].m_strPath, m_dir / "file");
    EXPECT_EQ(problems[1].m_nError, ENOTDIR);
}

TEST_F(FavoritesScan, AFolderThatCannotBeListedEndsQuietlyToo)
{
    // The view keeps an empty tree and starts no automatic check.
    if (::geteuid() == 0)
        GTEST_SKIP() << "the super-user lists every folder";
    WriteFile(m_dir / "Favs/a.url", UrlFile("http://a/"));
    ::chmod((m_dir / "Favs").c_str(), 0);
    Scan(m_dir / "Favs");
    EXPECT_TRUE(m_sink.Steps().empty());
    EXPECT_TRUE(m_sink.Messages().empty());
    ASSERT_EQ(m_problems.Problems().size(), 1u);
    EXPECT_EQ(m_problems.Problems()[0].m_nError, EACCES);
    EXPECT_TRUE(m_problems.Problems()[0].m_bRoot);
}

TEST_F(FavoritesScan, MakesRecordsOfEveryKindWithNamesUrlsAndPaths)
{
    WriteFile(m_dir / "Debian.url", UrlFile("https://www.debian.org/"));
    WriteFile(m_dir / "News/desktop.ini", "[Channel]\r\nCDFURL=http://news.example/channel.cdf\r\n");
    WriteFile(m_dir / "News/inside.url", UrlFile("http://never-listed/"));
    WriteFile(m_dir / "Kernel.desktop", "[Desktop Entry]\nType=Link\nURL=https://kernel.org/\n");
    WriteFile(m_dir / "Tool.desktop", "[Desktop Entry]\nType=Application\nExec=tool\n");
    WriteFile(m_dir / "notes.txt", "plain text\n");
    Scan();

    EXPECT_EQ(m_sink.Outline(), "Debian\nKernel\nNews\nnotes.txt\nTool\n");
    const auto pDebian = ItemNamed("Debian");
    ASSERT_TRUE(pDebian);
    EXPECT_EQ(pDebian->m_nKind, KindInternetFavorite);
    EXPECT_EQ(pDebian->m_strUrl, "https://www.debian.org/");
    EXPECT_EQ(pDebian->m_strPath, m_dir / "Debian.url");
    EXPECT_EQ(pDebian->m_strFolder, "");
    EXPECT_EQ(pDebian->m_nDepth, 0);
    EXPECT_EQ(pDebian->Status(), 0);
    EXPECT_EQ(m_sink.NodeAt(pDebian->m_hItem).m_nImage, KindInternetFavorite);

    const auto pNews = ItemNamed("News"); // a channel is a leaf, never walked
    ASSERT_TRUE(pNews);
    EXPECT_EQ(pNews->m_nKind, KindChannelLink);
    EXPECT_EQ(pNews->m_strUrl, "http://news.example/channel.cdf");
    EXPECT_EQ(pNews->m_strPath, m_dir / "News");
    EXPECT_TRUE(m_sink.Children(pNews->m_hItem).empty());
    EXPECT_EQ(m_sink.NodeAt(pNews->m_hItem).m_nImage, KindChannelLink);

    EXPECT_EQ(ItemNamed("Kernel")->m_nKind, KindInternetFavorite);
    EXPECT_EQ(ItemNamed("Kernel")->m_strUrl, "https://kernel.org/");
    EXPECT_EQ(ItemNamed("Tool")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("Tool")->m_strUrl, "");
    EXPECT_EQ(ItemNamed("notes.txt")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("notes.txt")->m_strUrl, "");
    EXPECT_EQ(m_sink.Items().size(), 5u);
}

TEST_F(FavoritesScan, GivesFolderPathAndDepthOfNestedFavourites)
{
    WriteFile(m_dir / "A/B/deep.url", UrlFile("http://deep/"));
    WriteFile(m_dir / "A/mid.url", UrlFile("http://mid/"));
    MakeFolder(m_dir / "Empty");
    Scan();
    EXPECT_EQ(m_sink.Outline(), "A\n  B\n    deep\n  mid\nEmpty\n");
    EXPECT_EQ(ItemNamed("deep")->m_strFolder, "A/B");
    EXPECT_EQ(ItemNamed("deep")->m_nDepth, 2);
    EXPECT_EQ(ItemNamed("mid")->m_strFolder, "A");
    EXPECT_EQ(ItemNamed("mid")->m_nDepth, 1);
    // Folders are nodes of image 1 without a record; records in scan order.
    EXPECT_EQ(m_sink.NodeAt(m_sink.Children(kTreeRoot)[1]).m_nImage, KindFolder);
    EXPECT_FALSE(m_sink.NodeAt(m_sink.Children(kTreeRoot)[1]).m_pItem);
    ASSERT_EQ(m_sink.Items().size(), 2u);
    EXPECT_EQ(m_sink.Items()[0]->m_strName, "deep");
    EXPECT_EQ(m_sink.ExpandCount(), 1);
}

TEST_F(FavoritesScan, ListsEntriesByNameWithoutRegardToCaseFoldersAmongFiles)
{
    for (const char* name : {"b.url", "_under.url", "C.url", "a.url", "Zeta.url", "\xC3\xA9t\xC3\xA9.url", "10.url"})
        WriteFile(m_dir / name, UrlFile("http://x/"));
    MakeFolder(m_dir / "A folder");
    MakeFolder(m_dir / "bb");
    Scan();
    // Upper-case order: digits, letters, then "_" (after "Z") and "é" (after both).
    EXPECT_EQ(TopLevelNames(), (std::vector<std::string>{"10", "A folder", "a", "b", "bb", "C", "Zeta", "_under",
                                                         "\xC3\xA9t\xC3\xA9"}));
}

TEST_F(FavoritesScan, LeavesOutHiddenEntriesAndDesktopIni)
{
    WriteFile(m_dir / ".hidden.url", UrlFile("http://hidden/"));
    WriteFile(m_dir / ".git/config", "x");
    WriteFile(m_dir / "desktop.ini", "[.ShellClassInfo]\n");
    WriteFile(m_dir / "Sub/DESKTOP.INI", "[.ShellClassInfo]\nIconFile=x\n");
    WriteFile(m_dir / "Sub/seen.url", UrlFile("http://seen/"));
    Scan();
    EXPECT_EQ(m_sink.Outline(), "Sub\n  seen\n"); // a desktop.ini without [Channel] keeps a folder a folder
}

TEST_F(FavoritesScan, ReadsAChannelWhoseDesktopIniIsUtf16)
{
    const std::string_view text = "[Channel]\r\nCDFURL=http://w/\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    WriteFile(m_dir / "Chan/Desktop.ini", utf16);
    Scan();
    ASSERT_TRUE(ItemNamed("Chan"));
    EXPECT_EQ(ItemNamed("Chan")->m_nKind, KindChannelLink);
    EXPECT_EQ(ItemNamed("Chan")->m_strUrl, "http://w/");
}

TEST_F(FavoritesScan, ShowsNamesThatAreNotUtf8WithReplacementsButKeepsTheirPaths)
{
    WriteFile(m_dir / "caf\xE9/men\xFC.url", UrlFile("http://menu/"));
    Scan();
    const auto p = ItemNamed("men\xEF\xBF\xBD");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->m_strFolder, "caf\xEF\xBF\xBD");
    EXPECT_EQ(p->m_strPath, m_dir / "caf\xE9/men\xFC.url");
    EXPECT_EQ(p->m_strUrl, "http://menu/");
}

TEST_F(FavoritesScan, NeverWalksSymbolicLinksSoLoopsEnd)
{
    WriteFile(m_dir / "Real/in.url", UrlFile("http://in/"));
    ASSERT_EQ(::symlink("..", (m_dir / "Real/up").c_str()), 0);
    ASSERT_EQ(::symlink("self", (m_dir / "self").c_str()), 0);
    ASSERT_EQ(::symlink("Real", (m_dir / "Alias").c_str()), 0);
    Scan();
    EXPECT_EQ(m_sink.Outline(), "Alias\nReal\n  in\n  up\nself\n");
    EXPECT_EQ(ItemNamed("Alias")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("Alias")->m_strUrl, std::filesystem::canonical(m_dir / "Real").string());
    EXPECT_EQ(ItemNamed("self")->m_strUrl, "");
}

TEST_F(FavoritesScan, WalksDeeperThanAPathMayBeLong)
{
    // 120 levels of 40-byte names make paths of about 4,900 bytes, beyond
    // what one path given to the system may hold.
    const std::string strName(40, 'n');
    MakeDeepChain(m_dir.Path(), 120, strName, "bottom.url", UrlFile("http://bottom/"));
    Scan();
    const auto p = ItemNamed("bottom");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->m_nDepth, 120);
    EXPECT_EQ(p->m_strUrl, "http://bottom/");
    EXPECT_GT(p->m_strPath.size(), 4096u);
    EXPECT_TRUE(p->m_strPath.ends_with("/" + strName + "/bottom.url"));
    EXPECT_TRUE(m_problems.Problems().empty());
    const int hRoot = ::open(m_dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    RemoveTreeAt(hRoot);
    ::close(hRoot);
}

TEST_F(FavoritesScan, AFolderSwappedForASymbolicLinkWhileTheScanRunsIsNotWalked)
{
    TempFolder outside;
    WriteFile(outside / "private.url", UrlFile("http://private/"));
    WriteFile(outside / "Deeper/more.url", UrlFile("http://more/"));
    WriteFile(m_dir / "a.url", UrlFile("http://a/"));
    WriteFile(m_dir / "b/in.url", UrlFile("http://in/"));
    WriteFile(m_dir / "c.url", UrlFile("http://c/"));
    m_sink.m_onInsert = [&](int n) {
        if (n == 1) { // "b" was listed as a folder; now it is a link elsewhere
            std::filesystem::rename(m_dir / "b", m_dir / "b-moved");
            std::filesystem::create_directory_symlink(outside.Path(), m_dir / "b");
        }
    };
    Scan();
    EXPECT_EQ(m_sink.Outline(), "a\nb\nc\n");
    EXPECT_EQ(m_sink.Items().size(), 2u);
    const auto problems = m_problems.Problems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].m_strPath, m_dir / "b");
    EXPECT_TRUE(problems[0].m_nError == ELOOP || problems[0].m_nError == ENOTDIR) << problems[0].m_nError;
    EXPECT_FALSE(problems[0].m_bRoot);
}

TEST_F(FavoritesScan, EachFileIsOpenedOnceAndNeverWaitedOn)
{
    WriteFile(m_dir / "Target.txt", "t");
    WriteFile(m_dir / "Plan.lnk", ShellLinkBytes(m_dir / "Target.txt"));
    WriteFile(m_dir / "Site.url", UrlFile("http://site/"));
    WriteFile(m_dir / "Swapped.lnk", ShellLinkBytes(m_dir / "Target.txt"));
    WriteFile(m_dir / "Swapped.url", UrlFile("http://swapped/"));
    MakeFolder(m_dir / "zz");
    // Once "Plan" is in, two files become pipes nobody writes to.
    m_sink.m_onInsert = [&](int n) {
        if (n == 1) {
            for (const char* pszName : {"Swapped.lnk", "Swapped.url"}) {
                std::filesystem::remove(m_dir / pszName);
                ::mkfifo((m_dir / pszName).c_str(), 0600);
            }
        }
    };
    int nLinkOpens = 0;
    const int nUrlOpens = OpensOf(m_dir.Path(), "Site.url", [&] {
        nLinkOpens = OpensOf(m_dir.Path(), "Plan.lnk", [&] {
            auto scan = std::async(std::launch::async, [&] { Scan(); });
            if (scan.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
                for (const char* pszName : {"Swapped.lnk", "Swapped.url"}) {
                    const int hWriter = ::open((m_dir / pszName).c_str(), O_WRONLY | O_NONBLOCK);
                    if (hWriter >= 0)
                        ::close(hWriter);
                }
                scan.wait();
                ADD_FAILURE() << "the scan waited on a pipe";
            }
        });
    });
    ASSERT_GE(nLinkOpens, 0) << "no inotify here";
    EXPECT_EQ(nLinkOpens, 1); // liblnk reads the bytes already read, not the file by its path
    EXPECT_EQ(nUrlOpens, 1);
    EXPECT_EQ(ItemNamed("Plan")->m_strUrl, std::filesystem::canonical(m_dir / "Target.txt").string());
    EXPECT_EQ(ItemNamed("Swapped")->m_strUrl, "");
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
}

TEST_F(FavoritesScan, WalksFiveHundredLevelsWithoutRecursion)
{
    std::string strPath = m_dir.Path();
    std::string strFolder;
    for (int i = 0; i < 500; ++i) {
        strPath += "/d";
        strFolder += strFolder.empty() ? "d" : "/d";
    }
    WriteFile(strPath + "/bottom.url", UrlFile("http://bottom/"));
    Scan();
    const auto p = ItemNamed("bottom");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->m_nDepth, 500);
    EXPECT_EQ(p->m_strFolder, strFolder);
    EXPECT_EQ(m_sink.NodeCount(), 501u);
}

TEST_F(FavoritesScan, KeepsUnreadableFoldersAsEmptyNodesAndUnreadableFilesWithoutUrl)
{
    WriteFile(m_dir / "Locked/secret.url", UrlFile("http://secret/"));
    WriteFile(m_dir / "shut.url", UrlFile("http://shut/"));
    WriteFile(m_dir / "open.url", UrlFile("http://open/"));
    ::chmod((m_dir / "shut.url").c_str(), 0);
    ::chmod((m_dir / "Locked").c_str(), 0);
    Scan();
    EXPECT_EQ(ItemNamed("open")->m_strUrl, "http://open/");
    ASSERT_TRUE(ItemNamed("shut"));
    EXPECT_EQ(ItemNamed("shut")->m_nKind, KindInternetFavorite);
    if (::geteuid() != 0) { // root reads everything
        EXPECT_EQ(m_sink.Outline(), "Locked\nopen\nshut\n");
        EXPECT_EQ(ItemNamed("shut")->m_strUrl, "");
        // Both are told, with the reason.
        const auto problems = m_problems.Problems();
        ASSERT_EQ(problems.size(), 2u);
        EXPECT_EQ(problems[0].m_strPath, m_dir / "Locked");
        EXPECT_EQ(problems[0].m_nError, EACCES);
        EXPECT_EQ(problems[1].m_strPath, m_dir / "shut.url");
        EXPECT_EQ(problems[1].m_nError, EACCES);
    }
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
}

TEST_F(FavoritesScan, CopesWithEntriesThatVanishWhileTheyAreRead)
{
    WriteFile(m_dir / "a.url", UrlFile("http://a/"));
    WriteFile(m_dir / "b.url", UrlFile("http://b/"));
    WriteFile(m_dir / "c/x.url", UrlFile("http://x/"));
    WriteFile(m_dir / "d.url", UrlFile("http://d/"));
    m_sink.m_onInsert = [&](int n) {
        if (n == 1) {
            std::filesystem::remove(m_dir / "b.url");
            std::filesystem::remove_all(m_dir / "c");
        }
    };
    Scan();
    EXPECT_EQ(m_sink.Outline(), "a\nb\nc\nd\n");
    EXPECT_EQ(ItemNamed("b")->m_strUrl, "");
    EXPECT_EQ(ItemNamed("d")->m_strUrl, "http://d/");
    EXPECT_TRUE(m_problems.Problems().empty()); // what is gone is no problem of reading
}

TEST_F(FavoritesScan, ResolvesShellLinksInsideAWinePrefix)
{
    const std::string strFavorites = m_dir / "drive_c/users/bob/Favorites";
    MakeFolder(m_dir / "dosdevices");
    ASSERT_EQ(::symlink("../drive_c", (m_dir / "dosdevices/c:").c_str()), 0);
    WriteFile(m_dir / "drive_c/users/bob/Documents/Plan.txt", "p");
    WriteFile(strFavorites + "/Plan.lnk", ShellLinkBytes("C:\\users\\bob\\Documents\\Plan.txt"));
    WriteFile(strFavorites + "/Broken.lnk", std::string("L\0\0\0 not really a link", 23));
    Scan(strFavorites);
    ASSERT_TRUE(ItemNamed("Plan"));
    EXPECT_EQ(ItemNamed("Plan")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("Plan")->m_strUrl,
              std::filesystem::canonical(m_dir / "drive_c/users/bob/Documents/Plan.txt").string());
    EXPECT_EQ(ItemNamed("Broken")->m_strUrl, "");
}

// A stop set while the walk runs ends it before the next entry.
TEST_F(FavoritesScan, StopInTheMiddleOfALargeScanEndsAtTheNextEntry)
{
    for (int f = 0; f < 20; ++f)
        for (int i = 0; i < 50; ++i)
            WriteFile(m_dir / ("F" + std::to_string(f) + "/" + std::to_string(i) + ".url"), UrlFile("http://x/"));
    m_sink.m_onInsert = [&](int n) {
        if (n == 137)
            m_hStop.Set();
    };
    Scan();
    EXPECT_EQ(m_sink.NodeCount(), 137u);
    // Not closing: the partial tree is still handed over.
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_TRUE(m_sink.TreeEnabled());
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}

TEST_F(FavoritesScan, ClosingViewGetsNoListReadyButThePopulationFlagIsCleared)
{
    for (int i = 0; i < 30; ++i)
        WriteFile(m_dir / (std::to_string(i) + ".url"), UrlFile("http://x/"));
    m_sink.m_onInsert = [&](int n) {
        if (n == 5) {
            m_bClosing = true;
            m_hStop.Set();
        }
    };
    Scan();
    EXPECT_EQ(m_sink.NodeCount(), 5u);
    EXPECT_EQ(m_sink.Steps(), (Steps{"disable", "insert(populating)"}));
    EXPECT_TRUE(m_sink.Messages().empty());
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}

TEST_F(FavoritesScan, AViewClosedBeforeTheStartGetsNoWalk)
{
    WriteFile(m_dir / "a.url", UrlFile("http://a/"));
    m_bClosing = true;
    Scan();
    EXPECT_EQ(m_sink.Steps(), (Steps{"disable"}));
    EXPECT_FALSE(m_sink.m_state.m_bPopulating);
}

TEST_F(FavoritesScan, RunsOnItsOwnThreadAgainstTheSink)
{
    for (int i = 0; i < 40; ++i)
        WriteFile(m_dir / ("F" + std::to_string(i % 4) + "/" + std::to_string(i) + ".url"), UrlFile("http://x/"));
    std::thread scan([&] { Scan(); });
    while (m_sink.Messages().empty())
        std::this_thread::yield();
    scan.join();
    EXPECT_EQ(m_sink.Items().size(), 40u);
    for (const auto& p : m_sink.Items())
        EXPECT_EQ(m_sink.NodeAt(p->m_hItem).m_pItem, p);
}

} // namespace

namespace {

// The sample folder shipped with the program reads as its files say.
TEST_F(FavoritesScan, ReadsTheSampleFavoritesFolder)
{
    const std::string strSample = std::string(ZORBEL_TEST_DATA) + "/../../examples/Favorites";
    Scan(strSample);
    EXPECT_EQ(m_sink.Outline(), "Debian\n"
                                "Development\n"
                                "  cppreference\n"
                                "  Libraries\n"
                                "    curl\n"
                                "    GoogleTest\n"
                                "  Qt\n"
                                "GNU Project\n"
                                "Japanese Wikipedia\n"
                                "Kernel Releases\n"
                                "News\n"
                                "  BBC News\n"
                                "  Reuters\n"
                                "Read Me link\n"
                                "Read Me.txt\n"
                                "Wikipedia\n");
    EXPECT_EQ(ItemNamed("curl")->m_strUrl, "https://curl.se/");
    EXPECT_EQ(ItemNamed("curl")->m_strFolder, "Development/Libraries");
    EXPECT_EQ(ItemNamed("Japanese Wikipedia")->m_strUrl,
              "https://ja.wikipedia.org/wiki/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    EXPECT_EQ(ItemNamed("GNU Project")->m_nKind, KindInternetFavorite);
    EXPECT_EQ(ItemNamed("GNU Project")->m_strUrl, "https://www.gnu.org/");
    EXPECT_EQ(ItemNamed("Kernel Releases")->m_nKind, KindChannelLink);
    EXPECT_EQ(ItemNamed("Kernel Releases")->m_strUrl, "https://www.kernel.org/feeds/kdist.xml");
    EXPECT_EQ(ItemNamed("Read Me link")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("Read Me link")->m_strUrl,
              std::filesystem::canonical(strSample + "/Read Me.txt").string());
    EXPECT_EQ(ItemNamed("Read Me.txt")->m_nKind, KindShortcut);
    EXPECT_EQ(ItemNamed("Read Me.txt")->m_strUrl, "");
}

} // namespace
