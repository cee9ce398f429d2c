// Pins where the Favorites folder is looked for ($ZORBEL_FAVORITES when it
// is set, and then no other; else ~/Favorites, then the Wine prefix's user
// folder, the first that exists),
// that the folder found is an absolute path also when it was named
// relative to the working directory, and how the Wine prefix around a
// folder is recognised.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "core/sources/FavoritesFolder.h"
#include "support/ScanTestFiles.h"
#include "support/WorkingDirectory.h"

using namespace scantest;

namespace {

TEST(FavoritesLocator, TakesTheFirstCandidateThatExists)
{
    TempFolder home;
    FavoritesEnvironment env{"", home.Path(), home / "prefix", "bob"};
    EXPECT_EQ(LocateFavoritesFolder(env), "");

    MakeFolder(home / "prefix/drive_c/users/bob/Favorites");
    EXPECT_EQ(LocateFavoritesFolder(env), home / "prefix/drive_c/users/bob/Favorites");
    MakeFolder(home / "Favorites");
    EXPECT_EQ(LocateFavoritesFolder(env), home / "Favorites");
    EXPECT_FALSE(FindFavoritesFolder(env).m_bNamed);
}

TEST(FavoritesLocator, ANamedFolderIsUsedOrRefusedButNeverReplaced)
{
    // $ZORBEL_FAVORITES names the folder to check; when that is missing or
    // no folder, the other candidates are not looked at.
    TempFolder home;
    MakeFolder(home / "prefix/drive_c/users/bob/Favorites");
    MakeFolder(home / "Favorites");
    FavoritesEnvironment env{home / "own", home.Path(), home / "prefix", "bob"};
    FavoritesLocation location = FindFavoritesFolder(env);
    EXPECT_TRUE(location.m_bNamed);
    EXPECT_EQ(location.m_strFolder, "");
    EXPECT_EQ(location.m_nError, ENOENT);
    EXPECT_EQ(LocateFavoritesFolder(env), "");

    WriteFile(home / "own", "a file, not a folder");
    location = FindFavoritesFolder(env);
    EXPECT_EQ(location.m_strFolder, "");
    EXPECT_EQ(location.m_nError, ENOTDIR);

    std::filesystem::remove(home / "own");
    MakeFolder(home / "own");
    location = FindFavoritesFolder(env);
    EXPECT_EQ(location.m_strFolder, home / "own");
    EXPECT_EQ(location.m_nError, 0);
}

TEST(FavoritesLocator, ARelativeFolderIsFoundAsAnAbsolutePath)
{
    // Every record's path is made from the folder, so the folder must not
    // depend on the working directory of the moment.
    TempFolder home;
    MakeFolder(home / "work/Favs");
    WorkingDirectory cwd(home / "work");
    const std::string strExpected = std::filesystem::current_path().string() + "/Favs";
    for (const std::string strGiven : {"Favs", "./Favs", "Favs/"}) {
        FavoritesEnvironment env{strGiven, home.Path(), "", "bob"};
        EXPECT_EQ(LocateFavoritesFolder(env), strExpected) << strGiven;
    }
    FavoritesEnvironment env{"", ".", "", "bob"};
    MakeFolder(home / "work/Favorites");
    EXPECT_EQ(LocateFavoritesFolder(env), std::filesystem::current_path().string() + "/Favorites");
}

TEST(FavoritesLocator, UsesDotWineWhenNoPrefixIsSetAndIgnoresFiles)
{
    TempFolder home;
    MakeFolder(home / ".wine/drive_c/users/ann/Favorites");
    WriteFile(home / "Favorites", "a file, not a folder");
    FavoritesEnvironment env{"", home.Path(), "", "ann"};
    EXPECT_EQ(LocateFavoritesFolder(env), home / ".wine/drive_c/users/ann/Favorites");
    env.m_strLogin.clear();
    EXPECT_EQ(LocateFavoritesFolder(env), "");
}

TEST(FavoritesLocator, FindsTheWinePrefixAroundAFolder)
{
    TempFolder root;
    MakeFolder(root / "pfx/dosdevices");
    MakeFolder(root / "pfx/drive_c/users/bob/Favorites");
    MakeFolder(root / "plain/Favorites");
    EXPECT_EQ(FindWinePrefix(root / "pfx/drive_c/users/bob/Favorites/"), root / "pfx");
    EXPECT_EQ(FindWinePrefix(root / "plain/Favorites"), "");
    EXPECT_EQ(FindWinePrefix(""), "");
}

TEST(FavoritesLocator, ShowsNamesWithoutTheShortcutExtensions)
{
    EXPECT_EQ(DisplayNameOf("Debian.url", false), "Debian");
    EXPECT_EQ(DisplayNameOf("Debian.URL", false), "Debian");
    EXPECT_EQ(DisplayNameOf("Tool.Lnk", false), "Tool");
    EXPECT_EQ(DisplayNameOf("Kernel.desktop", false), "Kernel");
    EXPECT_EQ(DisplayNameOf("notes.txt", false), "notes.txt");
    EXPECT_EQ(DisplayNameOf("Folder.url", true), "Folder.url");
    EXPECT_EQ(DisplayNameOf("a.b.url", false), "a.b");
    EXPECT_EQ(DisplayNameOf("bad\xFF.url", false), "bad\xEF\xBF\xBD");
}

TEST(FavoritesLocator, ComparesNamesAsTheWindowsFileSystemOrdersThem)
{
    EXPECT_EQ(CompareNamesNoCase("abc", "ABC") != 0, true); // a fixed order even for equal names
    EXPECT_TRUE(NamesEqualNoCase("Stra\xC3\x9F" "e", "STRA\xC3\x9F" "E"));
    EXPECT_TRUE(NamesEqualNoCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89")); // été / ÉTÉ
    EXPECT_TRUE(NamesEqualNoCase("\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\x98\xD0\xA0")); // мир / МИР
    EXPECT_TRUE(NamesEqualNoCase("DESKTOP.INI", "desktop.ini"));
    EXPECT_LT(CompareNamesNoCase("apple", "Banana"), 0);
    EXPECT_LT(CompareNamesNoCase("Zebra", "_x"), 0);
    EXPECT_LT(CompareNamesNoCase("a", "a b"), 0);
    EXPECT_LT(CompareNamesNoCase("\xC3\xA9", "\xFF"), 0); // bytes that are not UTF-8 sort last
}

} // namespace
