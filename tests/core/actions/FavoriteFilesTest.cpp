// Renaming and deleting favourites on disk, on temporary copies only: the
// characters a new name may not hold, the new path with its kept extension,
// a rename that never replaces an existing favourite, the read-only rule,
// the channel folder that is checked before anything of it is deleted, a
// symbolic link that is deleted without what it points to, and the system
// texts of the failures.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/actions/FavoriteFiles.h"
#include "support/ScanTestFiles.h"

using namespace scantest;

namespace {

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Exists(const std::string& strPath)
{
    struct stat st{};
    return ::lstat(strPath.c_str(), &st) == 0;
}

} // namespace

TEST(FavoriteNames, ControlCharactersQuotesAnglesBarAndSlashAreRefusedFirstOneFirst)
{
    for (const char c : std::string("\x01\t\n\x1f\"<>|/", 9))
        EXPECT_EQ(FindInvalidNameChar(std::string("Name") + c + "x"), c) << int(c);
    EXPECT_EQ(FindInvalidNameChar("News/Sport"), '/');
    EXPECT_EQ(FindInvalidNameChar("a>b<c"), '>');
    // Wildcards, backslashes, colons and any UTF-8 pass here; the file
    // system decides about them.
    EXPECT_EQ(FindInvalidNameChar("What? *now* C:\\x \xC3\xA9t\xC3\xA9 2.0"), std::nullopt);
    EXPECT_EQ(FindInvalidNameChar(""), std::nullopt);
}

TEST(FavoriteNames, NewPathKeepsTheOldExtensionUnlessTheNameEndsInIt)
{
    EXPECT_EQ(RenamedFavoritePath("/f/Example.url", "Example 2.0"), "/f/Example 2.0.url");
    EXPECT_EQ(RenamedFavoritePath("/f/Example.url", "My Site"), "/f/My Site.url");
    EXPECT_EQ(RenamedFavoritePath("/f/Example.url", "Example.url"), "/f/Example.url");
    EXPECT_EQ(RenamedFavoritePath("/f/Example.url", "Other.URL"), "/f/Other.URL");
    EXPECT_EQ(RenamedFavoritePath("/f/sub dir/Site.lnk", "v1.2 notes"), "/f/sub dir/v1.2 notes.lnk");
    // A dot followed by a space starts no extension; a folder has none.
    EXPECT_EQ(RenamedFavoritePath("/f/Mr. Smith", "Mrs. Smith"), "/f/Mrs. Smith");
    EXPECT_EQ(RenamedFavoritePath("/f.d/Channel", "News"), "/f.d/News");
    // The folder's bytes are kept as they are, valid UTF-8 or not.
    EXPECT_EQ(RenamedFavoritePath("/f/\xFF\xFE/Odd\xE9.url", "Even"), "/f/\xFF\xFE/Even.url");
    EXPECT_EQ(PathExtension("/a.b/c"), "");
    EXPECT_EQ(PathExtension("x.tar.gz"), ".gz");
}

class FavoriteFiles : public ::testing::Test {
protected:
    TempFolder m_dir;
    std::string Put(const std::string& strRelative, std::string_view strBytes = "[InternetShortcut]\r\nURL=http://a/\r\n")
    {
        WriteFile(m_dir / strRelative, strBytes);
        return m_dir / strRelative;
    }
};

TEST_F(FavoriteFiles, RenameNeverReplacesAnExistingFavorite)
{
    const std::string strA = Put("A.url", "the first");
    const std::string strB = Put("B.url", "the second, which must survive");
    EXPECT_EQ(RenameFavoriteFile(strA, RenamedFavoritePath(strA, "B")), EEXIST);
    EXPECT_EQ(ReadAll(strB), "the second, which must survive");
    EXPECT_EQ(ReadAll(strA), "the first");

    // A channel folder onto an existing empty folder: nothing is replaced either.
    MakeFolder(m_dir / "Chan");
    MakeFolder(m_dir / "Empty");
    EXPECT_EQ(RenameFavoriteFile(m_dir / "Chan", m_dir / "Empty"), EEXIST);
    EXPECT_TRUE(Exists(m_dir / "Chan"));
}

TEST_F(FavoriteFiles, RenameFailuresChangeNothing)
{
    const std::string strOld = Put("Keep.url", "kept");
    // A name longer than the file system allows.
    EXPECT_EQ(RenameFavoriteFile(strOld, RenamedFavoritePath(strOld, std::string(300, 'n'))), ENAMETOOLONG);
    // A file that vanished.
    EXPECT_EQ(RenameFavoriteFile(m_dir / "Gone.url", m_dir / "New.url"), ENOENT);
    EXPECT_FALSE(Exists(m_dir / "New.url"));
    // A folder made read-only.
    MakeFolder(m_dir / "ro");
    const std::string strLocked = Put("ro/Locked.url", "locked");
    ::chmod((m_dir / "ro").c_str(), 0555);
    EXPECT_EQ(RenameFavoriteFile(strLocked, m_dir / "ro/Free.url"), EACCES);
    EXPECT_EQ(ReadAll(strLocked), "locked");
    EXPECT_EQ(ReadAll(strOld), "kept");
    EXPECT_EQ(std::filesystem::directory_iterator(m_dir.Path() + "/ro")->path().filename(), "Locked.url");
}

TEST_F(FavoriteFiles, RenameUsesTheRealBytesOfANameThatIsNotUtf8)
{
    const std::string strOld = Put("Caf\xE9.url", "latin-1 name");
    ASSERT_EQ(RenameFavoriteFile(strOld, RenamedFavoritePath(strOld, "Caf\xC3\xA9")), 0);
    EXPECT_EQ(ReadAll(m_dir / "Caf\xC3\xA9.url"), "latin-1 name");
}

TEST_F(FavoriteFiles, DeleteRefusesAReadOnlyFileOrFolderAndReportsAMissingOne)
{
    const std::string strFile = Put("ReadOnly.url", "read-only");
    ::chmod(strFile.c_str(), 0444);
    EXPECT_EQ(DeleteFavorite(strFile), EACCES);
    EXPECT_EQ(DeleteFavoriteFile(strFile), EACCES);
    EXPECT_EQ(ReadAll(strFile), "read-only");

    MakeFolder(m_dir / "locked");
    const std::string strInside = Put("locked/Inside.url", "inside");
    ::chmod((m_dir / "locked").c_str(), 0555);
    EXPECT_EQ(DeleteFavorite(strInside), EACCES);
    EXPECT_EQ(ReadAll(strInside), "inside");

    EXPECT_EQ(DeleteFavorite(m_dir / "Gone.url"), ENOENT);
    EXPECT_EQ(FavoriteFileErrorText(ENOENT, m_dir / "Gone.url"), "No such file or directory");
}

TEST_F(FavoriteFiles, ChannelFolderGoesWholeOnlyWhenItHoldsNothingButItsDesktopIni)
{
    Put("Bare/Desktop.Ini", "[Channel]\r\nCDFURL=http://c/\r\n");
    EXPECT_EQ(DeleteFavorite(m_dir / "Bare"), 0);
    EXPECT_FALSE(Exists(m_dir / "Bare"));

    Put("Chan/desktop.ini", "[Channel]\r\n");
    Put("Chan/other.txt", "other");
    EXPECT_EQ(DeleteFavorite(m_dir / "Chan"), ENOTEMPTY);
    EXPECT_EQ(ReadAll(m_dir / "Chan/desktop.ini"), "[Channel]\r\n");
    EXPECT_EQ(ReadAll(m_dir / "Chan/other.txt"), "other");

    // A hidden file, or a second desktop.ini in another case, counts too.
    Put("Hidden/DESKTOP.INI", "[Channel]\r\n");
    Put("Hidden/.cache", "");
    EXPECT_EQ(DeleteFavorite(m_dir / "Hidden"), ENOTEMPTY);
    EXPECT_TRUE(Exists(m_dir / "Hidden/DESKTOP.INI"));
    Put("Twice/desktop.ini", "a");
    Put("Twice/Desktop.ini", "b");
    EXPECT_EQ(DeleteFavorite(m_dir / "Twice"), ENOTEMPTY);
    EXPECT_TRUE(Exists(m_dir / "Twice/desktop.ini") && Exists(m_dir / "Twice/Desktop.ini"));
}

TEST_F(FavoriteFiles, ChannelFolderThatCannotGoKeepsItsDesktopIni)
{
    // Its desktop.ini read-only, or the folder above it read-only: nothing goes.
    const std::string strIni = Put("Chan/desktop.ini", "[Channel]\r\n");
    ::chmod(strIni.c_str(), 0444);
    EXPECT_EQ(DeleteFavorite(m_dir / "Chan"), EACCES);
    EXPECT_TRUE(Exists(strIni));

    MakeFolder(m_dir / "parent");
    const std::string strInner = Put("parent/Chan/desktop.ini", "[Channel]\r\n");
    ::chmod((m_dir / "parent").c_str(), 0555);
    EXPECT_EQ(DeleteFavorite(m_dir / "parent/Chan"), EACCES);
    EXPECT_TRUE(Exists(strInner));

    // A folder without a desktop.ini has nothing to delete first; the plain
    // deletion of Delete All Broken never takes a folder.
    MakeFolder(m_dir / "Plain");
    EXPECT_EQ(DeleteFavorite(m_dir / "Plain"), ENOENT);
    EXPECT_EQ(DeleteFavoriteFile(m_dir / "Plain"), EISDIR);
    EXPECT_TRUE(Exists(m_dir / "Plain"));
}

TEST_F(FavoriteFiles, SymbolicLinkIsDeletedWithoutWhatItPointsTo)
{
    const std::string strTargetFile = Put("target/keep.txt", "keep");
    ASSERT_EQ(::symlink((m_dir / "target").c_str(), (m_dir / "ToFolder").c_str()), 0);
    ASSERT_EQ(::symlink(strTargetFile.c_str(), (m_dir / "ToFile").c_str()), 0);
    // Put a desktop.ini into the target, so that following the link would
    // have taken it for a channel.
    Put("target/desktop.ini", "[Channel]\r\n");
    EXPECT_EQ(DeleteFavorite(m_dir / "ToFolder"), 0);
    EXPECT_EQ(DeleteFavorite(m_dir / "ToFile"), 0);
    EXPECT_FALSE(Exists(m_dir / "ToFolder"));
    EXPECT_FALSE(Exists(m_dir / "ToFile"));
    EXPECT_EQ(ReadAll(strTargetFile), "keep");
    EXPECT_TRUE(Exists(m_dir / "target/desktop.ini"));
}
