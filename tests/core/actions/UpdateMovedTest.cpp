// Pointing a moved favourite at its new address, on temporary copies only:
// the rewrite changes the one value the scan reads as the URL and keeps
// every other byte (comments, other sections, CR LF, the UTF-7 of the
// Unicode section, UTF-16 files, desktop links); the file keeps its
// permissions; a read-only file, a vanished one, one changed since the
// check and a full disk leave everything as it was; the command's list of
// rows and its outcome sentences.

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/actions/FavoriteFiles.h"
#include "core/actions/UpdateMoved.h"
#include "core/model/FavoriteKind.h"
#include "core/model/LinkStatus.h"
#include "core/platform/AtomicFileSeam.h"
#include "core/shortcuts/ShortcutRewrite.h"
#include "core/shortcuts/ShortcutText.h"
#include "core/shortcuts/TextEncoding.h"
#include "support/ScanTestFiles.h"

using namespace scantest;

namespace {

constexpr std::string_view kOld = "http://old.example/page";
constexpr std::string_view kNew = "https://new.example/home/page?a=1&b=~x";

std::string ReadAll(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

mode_t ModeOf(const std::string& strPath)
{
    struct stat st{};
    ::stat(strPath.c_str(), &st);
    return st.st_mode & 07777;
}

// A .url as Windows writes one: comments, sections before and after, CR LF,
// and the Unicode twin of the URL.
std::string WindowsUrlFile(std::string_view strUrl, std::string_view strUtf7Url)
{
    return "; saved by hand\r\n"
           "[DEFAULT]\r\nBASEURL=" +
           std::string(kOld) +
           "\r\n"
           "[InternetShortcut]\r\n"
           "  URL = " +
           std::string(strUrl) +
           "  \r\n"
           "IDList=\r\nIconIndex=1\r\n"
           "[InternetShortcut.W]\r\n"
           "URL=" +
           std::string(strUtf7Url) +
           "\r\n"
           "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n";
}

std::string Utf16Le(std::string_view strAscii)
{
    std::string out = "\xFF\xFE";
    for (const char c : strAscii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::shared_ptr<FavoriteItem> MovedItem(const std::string& strPath, std::string_view strUrl, std::string_view strTo,
                                        int nKind = KindInternetFavorite, bool bPermanent = true,
                                        std::int32_t nStatus = StatusValid)
{
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strPath = strPath;
    pItem->m_strName = strPath.substr(strPath.rfind('/') + 1);
    pItem->m_strUrl = std::string(strUrl);
    pItem->m_nKind = nKind;
    pItem->SetOutcome(nStatus, "Link is valid.", {std::string(strTo), bPermanent});
    return pItem;
}

} // namespace

TEST(ShortcutRewrite, AnInternetShortcutChangesItsTwoUrlValuesAndNothingElse)
{
    const std::string strOld = WindowsUrlFile(kOld, kOld);
    const std::optional<std::string> strNew = RewriteShortcutUrl(strOld, ShortcutFormat::InternetShortcut, kNew);
    ASSERT_TRUE(strNew);
    // "~" is no direct character of UTF-7; Windows writes it shifted.
    EXPECT_EQ(*strNew, WindowsUrlFile(kNew, "https://new.example/home/page?a=1&b=+AH4-x"));
    EXPECT_EQ(ParseInternetShortcut(*strNew), kNew);
    EXPECT_EQ(FindIniValue(*strNew, "InternetShortcut.W", "URL").m_value, "https://new.example/home/page?a=1&b=+AH4-x");
}

TEST(ShortcutRewrite, OnlyTheValueTheReaderTakesIsReplaced)
{
    // The first URL of the first matching section counts, as Windows reads
    // it; a commented line, another key ending in URL and a later duplicate
    // stay as they are. LF line ends and a missing last line end are kept.
    const std::string strOld = "[internetshortcut]\n;URL=http://commented.example/\nBASEURL=x\nURL=" +
                               std::string(kOld) + "\nURL=http://second.example/\n[Other]\nURL=http://other.example/";
    const auto strNew = RewriteShortcutUrl(strOld, ShortcutFormat::InternetShortcut, kNew);
    ASSERT_TRUE(strNew);
    EXPECT_EQ(*strNew, "[internetshortcut]\n;URL=http://commented.example/\nBASEURL=x\nURL=" + std::string(kNew) +
                           "\nURL=http://second.example/\n[Other]\nURL=http://other.example/");

    // A UTF-8 mark stays in front; a UTF-16 file stays UTF-16, its odd last
    // byte included.
    const auto strMarked =
        RewriteShortcutUrl("\xEF\xBB\xBF[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n",
                           ShortcutFormat::InternetShortcut, kNew);
    ASSERT_TRUE(strMarked);
    EXPECT_EQ(*strMarked, "\xEF\xBB\xBF[InternetShortcut]\r\nURL=" + std::string(kNew) + "\r\n");
    const std::string strWide = Utf16Le("[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n") + "\x01";
    const auto strWideNew = RewriteShortcutUrl(strWide, ShortcutFormat::InternetShortcut, kNew);
    ASSERT_TRUE(strWideNew);
    EXPECT_EQ(*strWideNew, Utf16Le("[InternetShortcut]\r\nURL=" + std::string(kNew) + "\r\n") + "\x01");
}

TEST(ShortcutRewrite, ADesktopLinkChangesItsUrlWithEscapesAndNothingElse)
{
    const std::string strOld = "#!/usr/bin/env xdg-open\n[Desktop Entry]\nName=Old\nURL=" + std::string(kOld) +
                               "\nType=Link\nIcon=text-html\n\n[Other Group]\nURL=http://other.example/\n";
    const auto strNew = RewriteShortcutUrl(strOld, ShortcutFormat::DesktopLink, "http://new.example/a\\b");
    ASSERT_TRUE(strNew);
    EXPECT_EQ(*strNew, "#!/usr/bin/env xdg-open\n[Desktop Entry]\nName=Old\nURL=http://new.example/a\\\\b"
                       "\nType=Link\nIcon=text-html\n\n[Other Group]\nURL=http://other.example/\n");
    EXPECT_EQ(ParseDesktopLink(*strNew), "http://new.example/a\\b");
}

TEST(ShortcutRewrite, NothingIsMadeWithoutAUrlToReplaceOrFromABadAddress)
{
    const std::string strNoUrl = "[InternetShortcut]\r\nIconIndex=1\r\n";
    EXPECT_EQ(RewriteShortcutUrl(strNoUrl, ShortcutFormat::InternetShortcut, kNew), std::nullopt);
    EXPECT_EQ(RewriteShortcutUrl("[Desktop Entry]\nType=Application\nURL=x\n", ShortcutFormat::DesktopLink, kNew),
              std::nullopt);
    const std::string strFile = "[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n";
    // A line end or a NUL would make a new line of the file or cut the URL.
    for (const std::string& strBad : {std::string(), std::string("http://x/\r\nURL=evil"), std::string("http://x/\0y", 11),
                                     std::string("http://x/\xC3")}) {
        EXPECT_EQ(RewriteShortcutUrl(strFile, ShortcutFormat::InternetShortcut, strBad), std::nullopt);
    }
    EXPECT_EQ(ShortcutFormatOf("/f/Example.URL"), ShortcutFormat::InternetShortcut);
    EXPECT_EQ(ShortcutFormatOf("/f.url/Example.Desktop"), ShortcutFormat::DesktopLink);
    EXPECT_EQ(ShortcutFormatOf("/f/Example.lnk"), std::nullopt);
}

TEST(ShortcutRewrite, Utf7RoundTripsAndWritesWhatWindowsWrites)
{
    EXPECT_EQ(EncodeUtf7("Hi Mom -\xE2\x98\xBA-!"), "Hi Mom -+Jjo--!");
    EXPECT_EQ(EncodeUtf7("1 + 1"), "1 +- 1");
    EXPECT_EQ(EncodeUtf7("\xF0\x9F\x98\x80"), "+2D3eAA-");
    EXPECT_EQ(EncodeUtf7("\xC3"), std::nullopt);
    for (const std::string strText : {"http://h/a\\b~c+d", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "++--", ""})
        EXPECT_EQ(DecodeUtf7(*EncodeUtf7(strText)), strText);
}

class RewriteFile : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(RewriteFile, TheFileIsReplacedWholeAndKeepsItsPermissions)
{
    const std::string strPath = m_folder / "News/Example.url";
    WriteFile(strPath, WindowsUrlFile(kOld, kOld));
    ::chmod(strPath.c_str(), 0640);
    ASSERT_EQ(RewriteFavoriteUrl(strPath, kOld, kNew), 0);
    EXPECT_EQ(ReadAll(strPath), WindowsUrlFile(kNew, "https://new.example/home/page?a=1&b=+AH4-x"));
    EXPECT_EQ(ModeOf(strPath), 0640u);
    // Nothing else is left in the folder (no temporary file).
    std::size_t nEntries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_folder / "News"))
        ++nEntries;
    EXPECT_EQ(nEntries, 1u);

    const std::string strDesktop = m_folder / "Link.desktop";
    WriteFile(strDesktop, "[Desktop Entry]\r\nType=Link\r\nURL=" + std::string(kOld) + "\r\n");
    ASSERT_EQ(RewriteFavoriteUrl(strDesktop, kOld, kNew), 0);
    EXPECT_EQ(ReadAll(strDesktop), "[Desktop Entry]\r\nType=Link\r\nURL=" + std::string(kNew) + "\r\n");
}

TEST_F(RewriteFile, ReadOnlyVanishedChangedAndStrangeFilesAreLeftAlone)
{
    const std::string strFile = "[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n";
    const std::string strLocked = m_folder / "Locked.url";
    WriteFile(strLocked, strFile);
    ::chmod(strLocked.c_str(), 0444);
    EXPECT_EQ(RewriteFavoriteUrl(strLocked, kOld, kNew), EACCES);
    const std::string strInLocked = m_folder / "Locked folder/In.url";
    WriteFile(strInLocked, strFile);
    ::chmod((m_folder / "Locked folder").c_str(), 0555);
    EXPECT_EQ(RewriteFavoriteUrl(strInLocked, kOld, kNew), EACCES);
    EXPECT_EQ(RewriteFavoriteUrl(m_folder / "Vanished.url", kOld, kNew), ENOENT);

    // Edited since the check: the user's new URL stays.
    const std::string strEdited = m_folder / "Edited.url";
    WriteFile(strEdited, "[InternetShortcut]\r\nURL=http://edited.example/\r\n");
    EXPECT_EQ(RewriteFavoriteUrl(strEdited, kOld, kNew), kFavoriteChangedError);
    // A symbolic link put in the favourite's place is not followed.
    const std::string strTarget = m_folder / "Elsewhere.url";
    WriteFile(strTarget, strFile);
    const std::string strLink = m_folder / "Link.url";
    ASSERT_EQ(::symlink(strTarget.c_str(), strLink.c_str()), 0);
    EXPECT_EQ(RewriteFavoriteUrl(strLink, kOld, kNew), kFavoriteChangedError);
    // Larger than a favourite is ever read.
    const std::string strHuge = m_folder / "Huge.url";
    WriteFile(strHuge, strFile + std::string(70 * 1024, ';'));
    EXPECT_EQ(RewriteFavoriteUrl(strHuge, kOld, kNew), EFBIG);

    EXPECT_EQ(ReadAll(strLocked), strFile);
    EXPECT_EQ(ReadAll(strInLocked), strFile);
    EXPECT_EQ(ReadAll(strEdited), "[InternetShortcut]\r\nURL=http://edited.example/\r\n");
    EXPECT_EQ(ReadAll(strTarget), strFile);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "Vanished.url"));
    EXPECT_NE(FavoriteFileErrorText(kFavoriteChangedError, strEdited).find("changed"), std::string::npos);
}

TEST_F(RewriteFile, AFullDiskOrAFailedRenameLeavesTheOldFileWhole)
{
    const std::string strPath = m_folder / "Example.url";
    const std::string strFile = WindowsUrlFile(kOld, kOld);
    WriteFile(strPath, strFile);
    {
        CFailingDisk disk(CFailingDisk::Call::Write, ENOSPC, 20);
        EXPECT_EQ(RewriteFavoriteUrl(strPath, kOld, kNew), ENOSPC);
    }
    {
        CFailingDisk disk(CFailingDisk::Call::Sync, EIO);
        EXPECT_EQ(RewriteFavoriteUrl(strPath, kOld, kNew), EIO);
    }
    {
        CFailingDisk disk(CFailingDisk::Call::Rename, EXDEV);
        EXPECT_EQ(RewriteFavoriteUrl(strPath, kOld, kNew), EXDEV);
    }
    EXPECT_EQ(ReadAll(strPath), strFile);
    std::size_t nEntries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_folder.Path()))
        ++nEntries;
    EXPECT_EQ(nEntries, 1u);
}

TEST(UpdateMovedList, OnlyPermanentRedirectsToAValidPageAreOffered)
{
    EXPECT_TRUE(IsOfferedForUpdate(*MovedItem("/f/A.url", kOld, kNew)));
    EXPECT_FALSE(IsOfferedForUpdate(*MovedItem("/f/A.url", kOld, kNew, KindInternetFavorite, false)));
    EXPECT_FALSE(IsOfferedForUpdate(
        *MovedItem("/f/A.url", kOld, kNew, KindInternetFavorite, true, StatusPartiallyValid)));
    EXPECT_FALSE(IsOfferedForUpdate(*MovedItem("/f/A.url", kOld, "")));
    EXPECT_FALSE(IsOfferedForUpdate(*MovedItem("/f/A.url", kOld, kOld)));

    // Shell links and channels are listed with the reason they stay.
    EXPECT_TRUE(IsRewritable(*MovedItem("/f/A.url", kOld, kNew)));
    EXPECT_TRUE(IsRewritable(*MovedItem("/f/A.desktop", kOld, kNew)));
    EXPECT_EQ(UpdateMovedNote(*MovedItem("/f/A.lnk", kOld, kNew, KindShortcut)),
              "A shell link is not rewritten");
    EXPECT_EQ(UpdateMovedNote(*MovedItem("/f/Chan", kOld, kNew, KindChannelLink)),
              "A channel is not rewritten");
}

TEST(UpdateMovedList, EachFavoriteIsRewrittenOrReportedAndTheRecordFollows)
{
    TempFolder folder;
    const std::string strFile = "[InternetShortcut]\r\nURL=" + std::string(kOld) + "\r\n";
    WriteFile(folder / "A.url", strFile);
    WriteFile(folder / "B.url", strFile);
    ::chmod((folder / "B.url").c_str(), 0444);
    WriteFile(folder / "C.url", strFile);
    auto pA = MovedItem(folder / "A.url", kOld, kNew);
    auto pB = MovedItem(folder / "B.url", kOld, kNew);
    auto pC = MovedItem(folder / "C.url", kOld, "http://temporary.example/", KindInternetFavorite, false);
    auto pLink = MovedItem(folder / "D.lnk", kOld, kNew, KindShortcut);
    auto pGone = MovedItem(folder / "E.url", kOld, kNew);

    std::vector<std::string> updated;
    const BatchOutcome outcome =
        UpdateMovedFavorites({pA, nullptr, pB, pC, pLink, pGone}, [&](const FavoriteItem& item, const std::string& strOld) {
            updated.push_back(item.m_strName + " " + strOld + " " + item.m_strUrl);
        });
    EXPECT_EQ(outcome.m_nDone, 1);
    EXPECT_EQ(outcome.m_nFailed, 2);
    EXPECT_EQ(updated, (std::vector<std::string>{"A.url " + std::string(kOld) + " " + std::string(kNew)}));
    EXPECT_EQ(outcome.m_strErrors, "Could not update \"B.url\": " + FavoriteFileErrorText(EACCES, folder / "B.url") +
                                       "\r\nCould not update \"E.url\": " +
                                       FavoriteFileErrorText(ENOENT, folder / "E.url"));
    // The updated record points where it moved and is offered no more; the
    // others are as they were.
    EXPECT_EQ(pA->m_strUrl, kNew);
    EXPECT_EQ(pA->Redirect(), FavoriteRedirect{});
    EXPECT_EQ(pA->Status(), StatusValid);
    EXPECT_FALSE(IsOfferedForUpdate(*pA));
    EXPECT_EQ(pB->m_strUrl, kOld);
    EXPECT_TRUE(IsOfferedForUpdate(*pB));
    EXPECT_EQ(ReadAll(folder / "B.url"), strFile);
    EXPECT_EQ(ReadAll(folder / "C.url"), strFile);
    EXPECT_EQ(pLink->m_strUrl, kOld);

    EXPECT_EQ(UpdateMovedSummary(1, 2), "1 of the moved favorites were updated successfully.  Below are the errors "
                                        "for the 2 that could not be updated.");
    EXPECT_EQ(UpdateMovedSummary(0, 1), "None of the moved favorites were updated successfully.  Below is the error "
                                        "for the 1 that could not be updated.");
}
