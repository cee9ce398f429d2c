// A favourite deleted or renamed by the user while the real checker checks
// it against our own server: the file goes (or gets its new name) at once,
// the worker finishes with a record that stays alive until it lets go, the
// pass passes by a deleted favourite still to come and ends as usual. Run
// under ThreadSanitizer too.
#include <sys/stat.h>

#include <thread>

#include "support/ScanTestFiles.h"
#include "CheckPassFixture.h"
#include "core/actions/FavoriteFiles.h"
#include "core/settings/CheckSettings.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

class CheckPassFileOps : public CheckPassFixture {
protected:
    CTestHttpServer m_server;
    scantest::TempFolder m_dir;

    std::shared_ptr<FavoriteItem> AddFile(const std::string& strFile, const std::string& strPath)
    {
        auto pItem = Add(m_server.Url(strPath));
        pItem->m_strPath = m_dir / strFile;
        pItem->m_strName = strFile;
        scantest::WriteFile(pItem->m_strPath, scantest::UrlFile(pItem->m_strUrl));
        return pItem;
    }
};

TEST_F(CheckPassFileOps, DeleteAndRenameWhileTheirChecksRun)
{
    m_server.SetDelay(std::chrono::milliseconds(300));
    auto pDeleted = AddFile("Deleted.url", "/ok/deleted");
    auto pRenamed = AddFile("Renamed.url", "/ok/renamed");
    auto pLater = AddFile("Later.url", "/ok/later");
    auto pLast = AddFile("Last.url", "/ok/last");
    const std::weak_ptr<FavoriteItem> pWatched = pDeleted;

    auto pPass = StartPass(2, {}, 5000); // the real CheckOneFavorite
    ASSERT_NE(pPass, nullptr);
    WaitUntil([&] { return pDeleted->Status() == StatusChecking && pRenamed->Status() == StatusChecking; }, 10s);
    ASSERT_EQ(pDeleted->Status(), StatusChecking);

    // What the GUI thread does meanwhile.
    ASSERT_EQ(DeleteFavorite(pDeleted->m_strPath), 0);
    m_sink.RemoveItem(pDeleted);
    ASSERT_EQ(DeleteFavorite(pLater->m_strPath), 0);
    m_sink.RemoveItem(pLater);
    const std::string strNewPath = RenamedFavoritePath(pRenamed->m_strPath, "Renamed 2.0");
    ASSERT_EQ(RenameFavoriteFile(pRenamed->m_strPath, strNewPath), 0);
    pRenamed->m_strPath = strNewPath;
    pDeleted.reset();

    ASSERT_TRUE(pPass->WaitFinished(20s));
    EXPECT_EQ(pRenamed->Status(), StatusValid);
    EXPECT_EQ(pLast->Status(), StatusValid);
    EXPECT_EQ(pLater->Status(), StatusNotChecked);
    for (const auto& request : m_server.Requests())
        EXPECT_NE(request.m_strPath, "/ok/later");
    struct stat st{};
    EXPECT_EQ(::stat((m_dir / "Renamed 2.0.url").c_str(), &st), 0);
    EXPECT_NE(::stat((m_dir / "Deleted.url").c_str(), &st), 0);
    EXPECT_EQ(CheckDoneCount(), 1);
    pPass.reset();
    EXPECT_TRUE(pWatched.expired());
}
