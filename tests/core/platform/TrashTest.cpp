// Deleting to the Trash: a favourite lands in the home Trash of a temporary
// XDG_DATA_HOME with a .trashinfo that a file manager can read back (the
// original path, percent-encoded, and the local time); the Trash and the
// data folder are made, private, where the home has none; names never
// collide; a top-level Trash is used only when it is safe; a favourite
// that cannot go keeps its place and leaves no info file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "core/actions/FavoriteFiles.h"
#include "core/platform/Trash.h"
#include "core/platform/UniqueFd.h"
#include "support/EnvGuard.h"
#include "support/ScanTestFiles.h"

using namespace scantest;

namespace {

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Exists(const std::string& strPath)
{
    struct stat st{};
    return ::lstat(strPath.c_str(), &st) == 0;
}

mode_t ModeOf(const std::string& strPath)
{
    struct stat st{};
    return ::lstat(strPath.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The Path and DeletionDate of an info file, checked for the format.
struct TrashInfo {
    std::string m_strPath;
    std::string m_strDate;
};
TrashInfo ParseInfo(const std::string& strText)
{
    std::smatch m;
    static const std::regex kForm("^\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate=([^\n]*)\n$");
    if (!std::regex_match(strText, m, kForm))
        return {};
    return {m[1].str(), m[2].str()};
}

class Trash : public ::testing::Test {
protected:
    TempFolder m_dir;
    std::string Favorites() const { return m_dir / "Favorites"; }
    std::string Put(const std::string& strName, std::string_view strBytes = "[InternetShortcut]\r\nURL=http://a/\r\n")
    {
        std::filesystem::create_directories(Favorites());
        WriteFile(Favorites() + "/" + strName, strBytes);
        return Favorites() + "/" + strName;
    }
};

} // namespace

TEST_F(Trash, FavoriteGoesToTheHomeTrashWithAnInfoFileAFileManagerCanRead)
{
    const EnvGuard data("XDG_DATA_HOME", m_dir / "data");
    const std::string strPath = Put("Odd name 100%.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n");
    const std::time_t tBefore = std::time(nullptr);
    ASSERT_EQ(TrashFavorite(strPath), 0);
    const std::time_t tAfter = std::time(nullptr);

    EXPECT_FALSE(Exists(strPath));
    const std::string strTrash = m_dir / "data/Trash";
    EXPECT_EQ(ReadAll(strTrash + "/files/Odd name 100%.url"), "[InternetShortcut]\r\nURL=http://example.org/\r\n");
    const TrashInfo info = ParseInfo(ReadAll(strTrash + "/info/Odd name 100%.url.trashinfo"));
    // Absolute, with the space and the percent sign escaped.
    EXPECT_EQ(info.m_strPath, Favorites() + "/Odd%20name%20100%25.url");
    // Local time, to the second, without a zone.
    std::tm tm{};
    std::istringstream date(info.m_strDate);
    date >> std::get_time(&tm, "%Y-%m-%dT%H:%M:%S");
    ASSERT_FALSE(date.fail()) << info.m_strDate;
    EXPECT_EQ(info.m_strDate.size(), 19u);
    tm.tm_isdst = -1;
    const std::time_t tDeleted = std::mktime(&tm);
    EXPECT_GE(tDeleted, tBefore - 1);
    EXPECT_LE(tDeleted, tAfter + 1);
    // The Trash is the user's alone.
    EXPECT_EQ(ModeOf(strTrash), 0700u);
    EXPECT_EQ(ModeOf(strTrash + "/files"), 0700u);
    EXPECT_EQ(ModeOf(strTrash + "/info"), 0700u);
}

TEST_F(Trash, AHomeWithoutLocalShareGetsItsTrashMadeThere)
{
    const EnvGuard data("XDG_DATA_HOME", std::nullopt);
    std::filesystem::create_directories(m_dir / "home");
    const EnvGuard home("HOME", m_dir / "home");
    const std::string strPath = Put("Example.url");
    ASSERT_EQ(TrashFavorite(strPath), 0);
    EXPECT_TRUE(Exists(m_dir / "home/.local/share/Trash/files/Example.url"));
    EXPECT_TRUE(Exists(m_dir / "home/.local/share/Trash/info/Example.url.trashinfo"));
    EXPECT_EQ(ModeOf(m_dir / "home/.local/share"), 0700u);
    // Nothing is written beside the program's working folder.
    EXPECT_FALSE(Exists(m_dir / "Favorites/.Trash-" + std::to_string(::getuid())));
}

TEST_F(Trash, ARelativeDataHomeIsIgnoredAsTheBaseDirectoryRulesSay)
{
    const EnvGuard data("XDG_DATA_HOME", "relative/data");
    std::filesystem::create_directories(m_dir / "home");
    const EnvGuard home("HOME", m_dir / "home");
    ASSERT_EQ(TrashFavorite(Put("Example.url")), 0);
    EXPECT_TRUE(Exists(m_dir / "home/.local/share/Trash/files/Example.url"));
}

TEST_F(Trash, NamesAlreadyInTheTrashAreNeverReplaced)
{
    const EnvGuard data("XDG_DATA_HOME", m_dir / "data");
    ASSERT_EQ(TrashFavorite(Put("Same.url", "first")), 0);
    ASSERT_EQ(TrashFavorite(Put("Same.url", "second")), 0);
    // An info file of another program's, without its file, still holds its name.
    {
        std::ofstream(m_dir / "data/Trash/info/Same.url.3.trashinfo") << "[Trash Info]\n";
    }
    ASSERT_EQ(TrashFavorite(Put("Same.url", "third")), 0);
    const std::string strFiles = m_dir / "data/Trash/files";
    EXPECT_EQ(ReadAll(strFiles + "/Same.url"), "first");
    EXPECT_EQ(ReadAll(strFiles + "/Same.url.2"), "second");
    EXPECT_FALSE(Exists(strFiles + "/Same.url.3"));
    EXPECT_EQ(ReadAll(strFiles + "/Same.url.4"), "third");
    EXPECT_EQ(ParseInfo(ReadAll(m_dir / "data/Trash/info/Same.url.4.trashinfo")).m_strPath, Favorites() + "/Same.url");
}

TEST_F(Trash, AChannelFolderGoesWholeAndAReadOnlyFavoriteStays)
{
    const EnvGuard data("XDG_DATA_HOME", m_dir / "data");
    Put("News/desktop.ini", "[Channel]\r\nCDFURL=http://a/\r\n");
    ASSERT_EQ(TrashFavorite(Favorites() + "/News"), 0);
    EXPECT_TRUE(Exists(m_dir / "data/Trash/files/News/desktop.ini"));
    EXPECT_FALSE(Exists(Favorites() + "/News"));

    const std::string strLocked = Put("Locked.url");
    ASSERT_EQ(::chmod(strLocked.c_str(), 0444), 0);
    EXPECT_EQ(TrashFavorite(strLocked), EACCES);
    EXPECT_TRUE(Exists(strLocked));
    EXPECT_FALSE(Exists(m_dir / "data/Trash/info/Locked.url.trashinfo"));
}

TEST_F(Trash, AFailedMoveTakesItsInfoFileBack)
{
    const EnvGuard data("XDG_DATA_HOME", m_dir / "data");
    const std::string strPath = Put("Example.url");
    std::filesystem::create_directories(m_dir / "data/Trash/files");
    std::filesystem::create_directories(m_dir / "data/Trash/info");
    // The files folder cannot take anything.
    ASSERT_EQ(::chmod((m_dir / "data/Trash/files").c_str(), 0500), 0);
    if (::access((m_dir / "data/Trash/files").c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with the power to write anywhere";
    EXPECT_EQ(TrashFavorite(strPath), EACCES);
    EXPECT_TRUE(Exists(strPath));
    EXPECT_FALSE(Exists(m_dir / "data/Trash/info/Example.url.trashinfo"));
}

TEST_F(Trash, AFolderThatHoldsTheTrashItselfStaysWithoutAnInfoFileLeftBehind)
{
    // The rename into a folder's own inside fails whoever runs it.
    const EnvGuard data("XDG_DATA_HOME", m_dir / "Outer/data");
    WriteFile(m_dir / "Outer/desktop.ini", "[Channel]\r\n");
    const CUniqueFd top(::open(m_dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    EXPECT_EQ(MoveToTrash(top.Get(), "Outer"), EINVAL);
    EXPECT_TRUE(Exists(m_dir / "Outer/desktop.ini"));
    EXPECT_FALSE(Exists(m_dir / "Outer/data/Trash/info/Outer.trashinfo"));
    EXPECT_FALSE(Exists(m_dir / "Outer/data/Trash/files/Outer"));
}

TEST_F(Trash, TopFolderTrashIsTheSharedOneOnlyWithItsStickyBitAndNeverThroughALink)
{
    const std::string strUid = std::to_string(::getuid());
    const std::string strTop = m_dir / "top";
    std::filesystem::create_directories(strTop + "/sub");
    const auto putInTop = [&](const std::string& strName) {
        WriteFile(strTop + "/sub/" + strName, "x");
        return CUniqueFd(::open((strTop + "/sub").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    };

    // A .Trash without the sticky bit is not used: .Trash-$uid is made.
    std::filesystem::create_directories(strTop + "/.Trash");
    ASSERT_EQ(::chmod((strTop + "/.Trash").c_str(), 0777), 0);
    {
        const CUniqueFd folder = putInTop("a.url");
        TrashedEntry where;
        ASSERT_EQ(MoveToTopFolderTrash(folder.Get(), "a.url", strTop, &where), 0);
        EXPECT_EQ(where.m_strTrashFolder, strTop + "/.Trash-" + strUid);
        EXPECT_TRUE(Exists(strTop + "/.Trash-" + strUid + "/files/a.url"));
        EXPECT_EQ(ModeOf(strTop + "/.Trash-" + strUid), 0700u);
        EXPECT_FALSE(Exists(strTop + "/.Trash/" + strUid));
    }
    // With the sticky bit: .Trash/$uid.
    ASSERT_EQ(::chmod((strTop + "/.Trash").c_str(), 01777), 0);
    {
        const CUniqueFd folder = putInTop("b.url");
        ASSERT_EQ(MoveToTopFolderTrash(folder.Get(), "b.url", strTop), 0);
        EXPECT_TRUE(Exists(strTop + "/.Trash/" + strUid + "/files/b.url"));
        EXPECT_EQ(ParseInfo(ReadAll(strTop + "/.Trash/" + strUid + "/info/b.url.trashinfo")).m_strPath,
                  strTop + "/sub/b.url");
    }
    // A .Trash that is a link to a sticky folder elsewhere is not followed.
    std::filesystem::remove_all(strTop + "/.Trash");
    std::filesystem::remove_all(strTop + "/.Trash-" + strUid);
    std::filesystem::create_directories(m_dir / "elsewhere");
    ASSERT_EQ(::chmod((m_dir / "elsewhere").c_str(), 01777), 0);
    std::filesystem::create_directory_symlink(m_dir / "elsewhere", strTop + "/.Trash");
    {
        const CUniqueFd folder = putInTop("c.url");
        ASSERT_EQ(MoveToTopFolderTrash(folder.Get(), "c.url", strTop), 0);
        EXPECT_TRUE(Exists(strTop + "/.Trash-" + strUid + "/files/c.url"));
        EXPECT_FALSE(Exists(m_dir / "elsewhere/" + strUid));
    }
    // A .Trash-$uid that is a link is no Trash at all.
    std::filesystem::remove_all(strTop + "/.Trash-" + strUid);
    std::filesystem::create_directory_symlink(m_dir / "elsewhere", strTop + "/.Trash-" + strUid);
    {
        const CUniqueFd folder = putInTop("d.url");
        EXPECT_EQ(MoveToTopFolderTrash(folder.Get(), "d.url", strTop), kNoTrashError);
        EXPECT_TRUE(Exists(strTop + "/sub/d.url"));
    }
}

TEST(TrashText, PathsArePercentEncodedAsAUriPathIs)
{
    EXPECT_EQ(TrashPathEncode("/home/a b/Caf\xC3\xA9 #1?.url"), "/home/a%20b/Caf%C3%A9%20%231%3F.url");
    EXPECT_EQ(TrashPathEncode("/x/a-b_c.d~e!f*g'h(i)"), "/x/a-b_c.d~e!f*g'h(i)");
    EXPECT_EQ(TrashInfoText("/a", 0).rfind("[Trash Info]\nPath=/a\nDeletionDate=", 0), 0u);
}
