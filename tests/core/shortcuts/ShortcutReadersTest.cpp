// Pins how the URL behind each kind of favourite file is read: Internet
// Shortcuts in ANSI, UTF-8 and with their UTF-7 Unicode section, channel
// desktop.ini files, desktop link files, shell links made with liblnk's
// format and symbolic links, and that junk, huge, truncated or special files
// give an empty result instead of a crash or a hang.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/shortcuts/ShortcutReaders.h"
#include "core/shortcuts/ShortcutText.h"
#include "support/ScanTestFiles.h"

using namespace scantest;

namespace {

TEST(ShortcutReadersUrl, ReadsUrlOfAnAnsiShortcutAsUtf8)
{
    TempFolder dir;
    // "Café" in Windows-1252, as an old shortcut stores it.
    WriteFile(dir / "a.url", "[InternetShortcut]\r\nURL=http://example.com/caf\xE9\r\n");
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "a.url"), "http://example.com/caf\xC3\xA9");
}

TEST(ShortcutReadersUrl, KeepsUtf8TextAsItIs)
{
    TempFolder dir;
    WriteFile(dir / "a.url", "[InternetShortcut]\nURL=http://example.com/\xC3\xBC" "ber\n");
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "a.url"), "http://example.com/\xC3\xBC" "ber");
}

TEST(ShortcutReadersUrl, PrefersTheDecodedUnicodeSection)
{
    TempFolder dir;
    // The ANSI section holds "?" where the code page has no character; the
    // Unicode section holds the UTF-7 form of U+65E5 U+672C.
    WriteFile(dir / "a.url",
              "[InternetShortcut]\r\nURL=http://example.jp/??\r\n"
              "[InternetShortcut.W]\r\nURL=http://example.jp/+ZeVnLA-\r\n");
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "a.url"), "http://example.jp/\xE6\x97\xA5\xE6\x9C\xAC");
}

TEST(ShortcutReadersUrl, FallsBackToTheAnsiValueWhenUtf7IsBroken)
{
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut]\nURL=http://a/\n[InternetShortcut.W]\nURL=http://a/+2D3-\n"),
              "http://a/"); // a lone high surrogate
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut]\nURL=http://a/\n[InternetShortcut.W]\nURL=http://\xC3\xA4/\n"),
              "http://a/"); // not 7-bit
}

TEST(ShortcutReadersUrl, MatchesNamesWithoutCaseAndIgnoresBlanksAndComments)
{
    EXPECT_EQ(ParseInternetShortcut("; comment\n  [ internetshortcut ]  \n  url  =  http://x.org/  \n"), "http://x.org/");
    EXPECT_EQ(ParseInternetShortcut("[Other]\nURL=http://wrong/\n[InternetShortcut]\nIconIndex=0\nURL=http://right/"),
              "http://right/");
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut]\r\nURL=http://first/\r\nURL=http://second/\r\n"),
              "http://first/");
}

TEST(ShortcutReadersUrl, ReadsUtf16FilesWithByteOrderMark)
{
    const std::string_view text = "[InternetShortcut]\r\nURL=http://w.org/\r\n";
    std::string le = "\xFF\xFE";
    for (char c : text) {
        le += c;
        le += '\0';
    }
    EXPECT_EQ(ParseInternetShortcut(le), "http://w.org/");
    EXPECT_EQ(ParseInternetShortcut("\xEF\xBB\xBF" + std::string(text)), "http://w.org/");
}

TEST(ShortcutReadersUrl, GivesEmptyUrlWithoutSectionOrKey)
{
    EXPECT_EQ(ParseInternetShortcut(""), "");
    EXPECT_EQ(ParseInternetShortcut("URL=http://outside/\n"), "");
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut]\nIconFile=x\n"), "");
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut\nURL"), "");
}

TEST(ShortcutReadersUrl, ReadsOnlyTheFirst64KiB)
{
    TempFolder dir;
    std::string strBig = "[InternetShortcut]\r\nURL=http://early/\r\n" + std::string(5 * 1024 * 1024, 'x');
    WriteFile(dir / "early.url", strBig);
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "early.url"), "http://early/");

    std::string strLate = std::string(kShortcutReadLimit, '\n') + "[InternetShortcut]\r\nURL=http://late/\r\n";
    WriteFile(dir / "late.url", strLate);
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "late.url"), "");
}

TEST(ShortcutReadersUrl, SurvivesBinaryJunk)
{
    std::string strJunk;
    std::uint32_t n = 12345;
    for (int i = 0; i < 70000; ++i) {
        n = n * 1103515245 + 12345;
        strJunk += static_cast<char>(n >> 16);
    }
    EXPECT_NO_THROW(ParseInternetShortcut(strJunk));
    EXPECT_EQ(ParseInternetShortcut(std::string_view("[InternetShortcut]\nURL=http://a/\0junk\n", 36)), "http://a/");
}

TEST(ShortcutReadersUrl, FailsQuietlyOnMissingFoldersPipesAndUnreadableFiles)
{
    TempFolder dir;
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "gone.url"), "");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.Path()), "");
    ASSERT_EQ(::mkfifo((dir / "pipe.url").c_str(), 0600), 0);
    EXPECT_EQ(ReadInternetShortcutUrl(dir / "pipe.url"), ""); // must not block
    WriteFile(dir / "locked.url", UrlFile("http://locked/"));
    ::chmod((dir / "locked.url").c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(ReadInternetShortcutUrl(dir / "locked.url"), "");
    }
}

TEST(ShortcutReadersChannel, ReadsCdfUrlOfTheChannelSection)
{
    TempFolder dir;
    WriteFile(dir / "desktop.ini", "[.ShellClassInfo]\r\nIconFile=x.ico\r\n[Channel]\r\nCDFURL=http://ch.example/news.cdf\r\n");
    EXPECT_EQ(ReadChannelTarget(dir / "desktop.ini"), "http://ch.example/news.cdf");
    EXPECT_EQ(ParseChannelTarget("[channel]\nOther=1\n"), "");
    EXPECT_EQ(ParseChannelTarget("[.ShellClassInfo]\nCDFURL=http://no/\n"), std::nullopt);
    EXPECT_EQ(ReadChannelTarget(dir / "missing.ini"), std::nullopt);
}

TEST(ShortcutReadersDesktop, ReadsUrlOfALinkEntry)
{
    TempFolder dir;
    WriteFile(dir / "a.desktop",
              "#comment\n[Desktop Entry]\nEncoding=UTF-8\nName=Debian\nType=Link\nURL=https://www.debian.org/\\sx\n"
              "Icon=text-html\n[Desktop Action Open]\nURL=https://wrong/\n");
    EXPECT_EQ(ReadDesktopLinkUrl(dir / "a.desktop"), "https://www.debian.org/ x");
}

TEST(ShortcutReadersDesktop, RefusesEverythingButALinkEntry)
{
    EXPECT_EQ(ParseDesktopLink("[Desktop Entry]\nType=Application\nExec=rm -rf /\n"), std::nullopt);
    EXPECT_EQ(ParseDesktopLink("[Desktop Entry]\ntype=Link\nURL=http://a/\n"), std::nullopt);
    EXPECT_EQ(ParseDesktopLink("[desktop entry]\nType=Link\nURL=http://a/\n"), std::nullopt);
    EXPECT_EQ(ParseDesktopLink("[Other]\nType=Link\nURL=http://a/\n"), std::nullopt);
    EXPECT_EQ(ParseDesktopLink("[Desktop Entry]\nType=Link\n"), "");
    EXPECT_EQ(ParseDesktopLink("[Desktop Entry]\r\nURL = http://a/\r\nType = Link\r\n"), "http://a/");
}

TEST(ShortcutReadersShellLink, ResolvesALocalPathThatExists)
{
    TempFolder dir;
    WriteFile(dir / "target.txt", "hello");
    WriteFile(dir / "to-target.lnk", ShellLinkBytes(dir / "target.txt"));
    WriteFile(dir / "to-nothing.lnk", ShellLinkBytes(dir / "missing.txt"));
    EXPECT_EQ(ReadShellLinkTarget(dir / "to-target.lnk"), dir / "target.txt");
    EXPECT_EQ(ReadShellLinkTarget(dir / "to-nothing.lnk"), "");
}

TEST(ShortcutReadersShellLink, LooksUpDrivePathsThroughTheWinePrefix)
{
    TempFolder prefix;
    MakeFolder(prefix / "dosdevices");
    WriteFile(prefix / "drive_c/users/bob/Documents/Report.txt", "r");
    ASSERT_EQ(::symlink("../drive_c", (prefix / "dosdevices/c:").c_str()), 0);
    const std::string strLink = prefix / "drive_c/users/bob/Favorites/Report.lnk";
    WriteFile(strLink, ShellLinkBytes("C:\\Users\\Bob\\DOCUMENTS\\report.TXT"));

    EXPECT_EQ(ReadShellLinkTarget(strLink, prefix.Path()), prefix / "drive_c/users/bob/Documents/Report.txt");
    EXPECT_EQ(ReadShellLinkTarget(strLink), ""); // no prefix: a drive path does not resolve
    EXPECT_EQ(ResolveWindowsPath("D:\\Users", prefix.Path()), "");
    EXPECT_EQ(ResolveWindowsPath("C:relative", prefix.Path()), "");
}

TEST(ShortcutReadersShellLink, GivesNothingForFilesLiblnkCannotParse)
{
    TempFolder dir;
    WriteFile(dir / "notes.txt", "just text\n");
    std::string strCut = ShellLinkBytes("C:\\x.txt").substr(0, 90);
    WriteFile(dir / "cut.lnk", strCut);
    std::string strBad = ShellLinkBytes("C:\\x.txt");
    strBad[0x4C] = '\xFF'; // LinkInfo size far beyond the file
    strBad[0x4F] = '\x7F';
    WriteFile(dir / "bad.lnk", strBad);
    WriteFile(dir / "empty.lnk", "");
    for (const char* name : {"notes.txt", "cut.lnk", "bad.lnk", "empty.lnk", "missing.lnk"})
        EXPECT_EQ(ReadShellLinkTarget(dir / name), "") << name;
}

TEST(ShortcutReadersShellLink, ParsesFromTheBytesInMemoryAndSurvivesEveryCut)
{
    // liblnk is given the bytes already read; a link cut anywhere, or one
    // that claims more than it holds, gives nothing and reads nothing past
    // its end.
    const std::string strLink = ShellLinkBytes("C:\\Users\\Bob\\Plan.txt");
    EXPECT_EQ(LocalPathOfShellLink(strLink), "C:\\Users\\Bob\\Plan.txt");
    for (std::size_t n = 0; n < strLink.size(); ++n) {
        const std::string strCut = strLink.substr(0, n);
        const std::string strLocal = LocalPathOfShellLink(strCut);
        EXPECT_TRUE(strLocal.empty() || strLocal == "C:\\Users\\Bob\\Plan.txt") << n;
    }
    std::string strHuge = strLink;
    strHuge[0x4C] = '\xFF'; // LinkInfo size far beyond the bytes
    strHuge[0x4F] = '\x7F';
    EXPECT_EQ(LocalPathOfShellLink(strHuge), "");
}

TEST(ShortcutReadersShellLink, FollowsSymbolicLinksOnlyToTargetsThatExist)
{
    TempFolder dir;
    WriteFile(dir / "real.txt", "x");
    ASSERT_EQ(::symlink("real.txt", (dir / "good").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
    ASSERT_EQ(::symlink("loop", (dir / "loop").c_str()), 0);
    EXPECT_EQ(ReadShellLinkTarget(dir / "good"), dir / "real.txt");
    EXPECT_EQ(ReadShellLinkTarget(dir / "dangling"), "");
    EXPECT_EQ(ReadShellLinkTarget(dir / "loop"), "");
}

} // namespace
