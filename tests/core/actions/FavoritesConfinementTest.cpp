// The commands on favourites stay inside the Favorites folder, on temporary
// copies only: after a scan, a folder swapped for a symbolic link to another
// folder, or another file put in a favourite's place, makes the rewrite of
// a moved favourite, the rename and the deletes report the favourite as
// changed since the check and touch nothing, here or elsewhere; the same
// swaps made between the read of a favourite and its rewrite (through the
// test seam) are caught as well. An address that would make a favourite
// larger than it is read back is refused and named.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/actions/DeleteBroken.h"
#include "core/actions/FavoriteFiles.h"
#include "core/actions/UpdateMoved.h"
#include "core/model/LinkStatus.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/ManualResetEvent.h"
#include "core/sources/FavoritesScan.h"
#include "support/MemoryTreeSink.h"
#include "support/ScanTestFiles.h"

using namespace scantest;

namespace {

constexpr std::string_view kOld = "http://old.example/page";
constexpr std::string_view kNew = "https://new.example/page";

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool IsSymlink(const std::string& strPath)
{
    struct stat st{};
    return ::lstat(strPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The records the scan makes of the folder, by name.
std::shared_ptr<FavoriteItem> Scanned(const std::string& strRoot, std::string_view strName)
{
    MemoryTreeSink sink;
    ManualResetEvent hStop;
    std::atomic<bool> bClosing{false};
    FavoritesScanThread(sink, sink.m_state, hStop, bClosing, strRoot);
    for (const auto& pItem : sink.Items())
        if (pItem->m_strName == strName)
            return pItem;
    return nullptr;
}

void Moved(FavoriteItem& item) { item.SetOutcome(StatusValid, "Link is valid.", {std::string(kNew), true}); }

// A Favorites folder with News/A.url, and beside it a folder outside the
// Favorites that holds a file of the same name and text.
class Confinement : public ::testing::Test {
public:
    void SetUp() override
    {
        WriteFile(Favorites("News/A.url"), File());
        WriteFile(Outside("A.url"), File());
        WriteFile(Outside("Other.url"), File());
    }
    std::string Favorites(std::string_view strRelative) const { return m_folder / ("Favorites/" + std::string(strRelative)); }
    std::string Outside(std::string_view strRelative) const { return m_folder / ("Outside/" + std::string(strRelative)); }
    static std::string File() { return "[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n"; }

    // The folder News is put aside and a link to the outside folder takes its place.
    void SwapNewsForALink() const
    {
        ASSERT_EQ(::rename(Favorites("News").c_str(), Favorites("News.kept").c_str()), 0);
        ASSERT_EQ(::symlink(Outside("").c_str(), Favorites("News").c_str()), 0);
    }

    TempFolder m_folder;
};

const Confinement* g_pTest = nullptr;

} // namespace

TEST_F(Confinement, TheScanRecordsWhichFileItReadAndWhereTheFavoritesFolderEnds)
{
    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);
    struct stat st{};
    ASSERT_EQ(::stat(Favorites("News/A.url").c_str(), &st), 0);
    EXPECT_EQ(pItem->m_fileId.m_nDevice, static_cast<std::uint64_t>(st.st_dev));
    EXPECT_EQ(pItem->m_fileId.m_nInode, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(pItem->m_strPath.substr(0, pItem->m_fileId.m_nRootLength), m_folder / "Favorites");
}

TEST_F(Confinement, AFolderSwappedForALinkAfterTheCheckIsNeverWrittenThrough)
{
    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);
    Moved(*pItem);
    SwapNewsForALink();

    const BatchOutcome outcome = UpdateMovedFavorites({pItem}, {});
    EXPECT_EQ(outcome.m_nDone, 0);
    EXPECT_EQ(outcome.m_nFailed, 1);
    EXPECT_NE(outcome.m_strErrors.find("changed since the check"), std::string::npos) << outcome.m_strErrors;
    EXPECT_EQ(pItem->m_strUrl, kOld);

    // Rename and both deletes: the same refusal, and nothing moves or goes.
    EXPECT_EQ(RenameFavoriteFile(*pItem, Favorites("News/B.url")), kFavoriteChangedError);
    EXPECT_EQ(DeleteFavorite(*pItem), kFavoriteChangedError);
    pItem->SetOutcome(StatusBroken, "gone");
    const BatchOutcome deleted = DeleteBrokenFavorites({pItem}, {});
    EXPECT_EQ(deleted.m_nDone, 0);
    EXPECT_EQ(deleted.m_nFailed, 1);

    EXPECT_EQ(ReadAll(Outside("A.url")), File());
    EXPECT_FALSE(std::filesystem::exists(Outside("B.url")));
    EXPECT_EQ(ReadAll(Favorites("News.kept/A.url")), File());
}

TEST_F(Confinement, AnotherFileInTheFavoritesPlaceIsNotTheOneThatWasChecked)
{
    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);
    Moved(*pItem);
    // The same text, but another file: someone replaced it since the scan.
    WriteFile(Favorites("News/New.url"), File());
    ASSERT_EQ(::rename(Favorites("News/New.url").c_str(), Favorites("News/A.url").c_str()), 0);

    EXPECT_EQ(RewriteFavoriteUrl(*pItem, kNew), kFavoriteChangedError);
    EXPECT_EQ(RenameFavoriteFile(*pItem, Favorites("News/B.url")), kFavoriteChangedError);
    EXPECT_EQ(DeleteFavoriteFile(*pItem), kFavoriteChangedError);
    EXPECT_EQ(ReadAll(Favorites("News/A.url")), File());

    // A file put in place by a link to one outside is refused as well.
    ASSERT_EQ(::unlink(Favorites("News/A.url").c_str()), 0);
    ASSERT_EQ(::symlink(Outside("A.url").c_str(), Favorites("News/A.url").c_str()), 0);
    EXPECT_EQ(RewriteFavoriteUrl(*pItem, kNew), kFavoriteChangedError);
    EXPECT_EQ(DeleteFavorite(*pItem), kFavoriteChangedError);
    EXPECT_EQ(ReadAll(Outside("A.url")), File());
    EXPECT_TRUE(IsSymlink(Favorites("News/A.url")));
}

TEST_F(Confinement, TheUntouchedFavoriteIsRewrittenRenamedAndDeletedInItsOwnFolder)
{
    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);
    Moved(*pItem);
    const BatchOutcome outcome = UpdateMovedFavorites({pItem}, {});
    EXPECT_EQ(outcome.m_nDone, 1) << outcome.m_strErrors;
    EXPECT_EQ(ReadAll(Favorites("News/A.url")), "[InternetShortcut]\r\nURL=" + std::string(kNew) + "\r\n");

    // The rewrite made a new file, and the record knows it.
    const auto pAgain = pItem;
    ASSERT_EQ(RenameFavoriteFile(*pAgain, Favorites("News/B.url")), 0);
    pAgain->m_strPath = Favorites("News/B.url");
    EXPECT_EQ(DeleteFavorite(*pAgain), 0);
    EXPECT_FALSE(std::filesystem::exists(Favorites("News/B.url")));
    EXPECT_EQ(ReadAll(Outside("A.url")), File());
}

TEST_F(Confinement, SwapsBetweenTheReadAndTheWriteAreCaught)
{
    g_pTest = this;
    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);

    // The folder becomes a link to the outside folder while the file is read.
    CFavoriteFileSeam::s_pfnBeforeWrite = [](const std::string&) { g_pTest->SwapNewsForALink(); };
    EXPECT_EQ(RewriteFavoriteUrl(*pItem, kNew), kFavoriteChangedError);
    CFavoriteFileSeam::s_pfnBeforeWrite = nullptr;
    EXPECT_EQ(ReadAll(Outside("A.url")), File());
    EXPECT_EQ(ReadAll(Favorites("News.kept/A.url")), File());
    ASSERT_EQ(::unlink(Favorites("News").c_str()), 0);
    ASSERT_EQ(::rename(Favorites("News.kept").c_str(), Favorites("News").c_str()), 0);

    // The file becomes a link to a file outside while it is read.
    CFavoriteFileSeam::s_pfnBeforeWrite = [](const std::string& strPath) {
        ::unlink(strPath.c_str());
        [[maybe_unused]] const int n = ::symlink(g_pTest->Outside("Other.url").c_str(), strPath.c_str());
    };
    EXPECT_EQ(RewriteFavoriteUrl(*pItem, kNew), kFavoriteChangedError);
    CFavoriteFileSeam::s_pfnBeforeWrite = nullptr;
    EXPECT_EQ(ReadAll(Outside("Other.url")), File());
    EXPECT_TRUE(IsSymlink(Favorites("News/A.url")));
    g_pTest = nullptr;
}

TEST_F(Confinement, TheWriterRefusesALinkInTheFilesPlaceAndWritesInsideItsFolderHandle)
{
    const int hFolder = ::open(Favorites("News").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(hFolder, 0);
    ASSERT_EQ(::symlink(Outside("A.url").c_str(), Favorites("News/Link.url").c_str()), 0);
    CAtomicFile file;
    EXPECT_EQ(file.OpenInFolder(hFolder, "Link.url"), ELOOP);
    EXPECT_EQ(file.OpenInFolder(hFolder, "../A.url"), EINVAL);

    // Opened, then the folder's path is swapped for a link: the new file
    // still lands in the folder that was opened.
    ASSERT_EQ(file.OpenInFolder(hFolder, "A.url"), 0);
    EXPECT_TRUE(file.TargetExists());
    SwapNewsForALink();
    ASSERT_EQ(file.Write("new"), 0);
    ASSERT_EQ(file.Commit(), 0);
    ::close(hFolder);
    EXPECT_EQ(ReadAll(Favorites("News.kept/A.url")), "new");
    EXPECT_EQ(ReadAll(Outside("A.url")), File());
}

TEST_F(Confinement, AnAddressTooLongToBeReadBackIsRefusedAndNamed)
{
    const std::string strLong = "http://long.example/" + std::string(100000, 'a');
    EXPECT_EQ(RewriteFavoriteUrl(Favorites("News/A.url"), kOld, strLong), kFavoriteAddressTooLongError);
    EXPECT_EQ(ReadAll(Favorites("News/A.url")), File());
    const std::string strDesktop = "[Desktop Entry]\nType=Link\nURL=" + std::string(kOld) + "\n";
    WriteFile(Favorites("Link.desktop"), strDesktop);
    EXPECT_EQ(RewriteFavoriteUrl(Favorites("Link.desktop"), kOld, strLong), kFavoriteAddressTooLongError);
    EXPECT_EQ(ReadAll(Favorites("Link.desktop")), strDesktop);

    const auto pItem = Scanned(m_folder / "Favorites", "A");
    ASSERT_NE(pItem, nullptr);
    pItem->SetOutcome(StatusValid, "Link is valid.", {strLong, true});
    const BatchOutcome outcome = UpdateMovedFavorites({pItem}, {});
    EXPECT_EQ(outcome.m_nFailed, 1);
    EXPECT_NE(outcome.m_strErrors.find("address is too long"), std::string::npos) << outcome.m_strErrors;
    EXPECT_EQ(pItem->m_strUrl, kOld);
    // Just short enough is written and read back whole.
    const std::string strFits = "http://long.example/" + std::string(60000, 'a');
    EXPECT_EQ(RewriteFavoriteUrl(Favorites("News/A.url"), kOld, strFits), 0);
}
