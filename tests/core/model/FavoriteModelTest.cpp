// The icon rule ties kind and status to an image and back, and the command
// line's "zorbel:" prefix and the web-source test follow their exact rules.
#include <gtest/gtest.h>

#include <memory>

#include "core/model/FavoriteItem.h"
#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/sources/SourceLocation.h"

TEST(IconRule, ImageIsStatusOffsetPlusKind)
{
    EXPECT_EQ(ImageFor(KindInternetFavorite, StatusNotChecked), 0);
    EXPECT_EQ(ImageFor(KindFolder, StatusNotChecked), 1);
    EXPECT_EQ(ImageFor(KindShortcut, StatusSkipped), 27);
    EXPECT_EQ(ImageFor(KindChannelLink, StatusChecking), 18);
    EXPECT_EQ(ImageFor(KindInternetFavorite, StatusPartiallyValid), 32);
    EXPECT_EQ(ImageFor(KindShortcut, StatusPartiallyValid), 35);
    EXPECT_EQ(ImageFor(KindInternetFavorite, StatusAuthRequired), 20);
    EXPECT_EQ(ImageFor(KindInternetFavorite, StatusMoved), 28);
}

TEST(IconRule, KindComesBackFromEveryImage)
{
    for (const LinkStatusInfo& info : LinkStatusTable())
        for (int nKind = 0; nKind < 4; ++nKind)
            EXPECT_EQ(KindFromImage(ImageFor(nKind, info.m_nStatus)), nKind);
    EXPECT_EQ(KindFromImage(27), 3);
    EXPECT_EQ(KindFromImage(2), 2);
}

TEST(IconRule, EveryImageOfTheStripIsReachedOnce)
{
    std::vector<int> seen(kStatusImageCount, 0);
    for (const LinkStatusInfo& info : LinkStatusTable())
        for (int nKind = 0; nKind < 4; ++nKind)
            ++seen.at(ImageFor(nKind, info.m_nStatus));
    for (int n : seen)
        EXPECT_EQ(n, 1);
}

TEST(LinkStatusTable, ListsTheStatusesInTheUsersOrderWithTheirTexts)
{
    const auto table = LinkStatusTable();
    ASSERT_EQ(table.size(), 9u);
    const LinkStatus order[] = {StatusNotChecked, StatusChecking, StatusValid,
                                StatusPartiallyValid, StatusBroken, StatusUnverified,
                                StatusAuthRequired, StatusSkipped, StatusMoved};
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].m_nStatus, order[i]);
    EXPECT_EQ(LinkStatusInfoFor(StatusMoved).m_strDetailsText, "Link Has Been Moved/Redirected");
    EXPECT_TRUE(LinkStatusInfoFor(StatusBroken).m_bIsBroken);
    EXPECT_TRUE(LinkStatusInfoFor(StatusPartiallyValid).m_bIsBroken);
    EXPECT_FALSE(LinkStatusInfoFor(StatusAuthRequired).m_bIsBroken);
    EXPECT_EQ(LinkStatusInfoFor(StatusAuthRequired).m_nReportBucket, ReportBucket::Unverified);
    EXPECT_EQ(LinkStatusInfoFor(12345).m_nStatus, StatusNotChecked);
}

TEST(FavoriteItem, AFreshRecordIsEmptyAndUnset)
{
    auto pItem = std::make_shared<FavoriteItem>();
    EXPECT_EQ(pItem->m_hItem, kNoTreeNode);
    EXPECT_EQ(pItem->m_nKind, -1);
    EXPECT_EQ(pItem->Status(), StatusNotChecked);
    EXPECT_TRUE(pItem->StatusText().empty());
    pItem->SetOutcome(StatusValid, "Link is valid.");
    EXPECT_EQ(pItem->Status(), StatusValid);
    EXPECT_EQ(pItem->StatusText(), "Link is valid.");
}

TEST(SourceLocation, ThePrefixIsRemovedOnlyAtTheStartExactlyOnce)
{
    EXPECT_EQ(RemoveZorbelPrefix("zorbel:http://example.com/"), "http://example.com/");
    EXPECT_EQ(RemoveZorbelPrefix("http://example.com/"), "http://example.com/");
    EXPECT_EQ(RemoveZorbelPrefix("zorbel:"), "");
    EXPECT_EQ(RemoveZorbelPrefix("ZORBEL:http://x/"), "ZORBEL:http://x/");
    EXPECT_EQ(RemoveZorbelPrefix("zorbel:zorbel:a"), "zorbel:a");
    EXPECT_EQ(RemoveZorbelPrefix("a zorbel:b"), "a zorbel:b");
    EXPECT_EQ(RemoveZorbelPrefix("pages/list.html"), "pages/list.html");
}

TEST(SourceLocation, WebSourcesAreHttpOrHttpsInAnyCase)
{
    EXPECT_TRUE(IsWebSource("http://a/"));
    EXPECT_TRUE(IsWebSource("HTTPS://a/"));
    EXPECT_TRUE(IsWebSource("HtTp://a/"));
    EXPECT_FALSE(IsWebSource("ftp://a/"));
    EXPECT_FALSE(IsWebSource("http:/a"));
    EXPECT_FALSE(IsWebSource("index.html"));
    EXPECT_FALSE(IsWebSource(""));
}
