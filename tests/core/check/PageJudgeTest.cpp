// The page judge on its own: the table covers every sign in English,
// German, French and Spanish; a title only counts when the sign fills a part
// of it; a redirect chain or an embedded script through a parking service
// tells; the addresses that count as a site's home page; and two answers of
// one "not found" template stay the same page when their dates, ids,
// tokens and echoed addresses change, while two articles of one template
// do not.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/check/PageFacts.h"
#include "core/check/PageFingerprint.h"
#include "core/check/PageJudge.h"
#include "core/check/PageSignals.h"
#include "core/check/SiteAddress.h"

namespace {

PageVerdict Judge(const std::string& strHtml, std::vector<std::string> chain = {"http://a.example/x/y.html"})
{
    return JudgePage(ReadPageFacts(strHtml), chain);
}

} // namespace

TEST(PageJudge, EverySignHasRowsInEachOfTheFourLanguages)
{
    for (const PageSign nSign : {PageSign::Parked, PageSign::HostingGone, PageSign::NotFound}) {
        std::set<std::string_view> languages;
        for (const auto& row : PageSignalTable())
            if (row.m_nSign == nSign && row.m_nWeight > 0)
                languages.insert(row.m_strLanguage);
        for (const char* pszLanguage : {"en", "de", "fr", "es"})
            EXPECT_TRUE(languages.contains(pszLanguage)) << pszLanguage << " sign " << static_cast<int>(nSign);
    }
    // Phrases are written as the judge compares them.
    for (const auto& row : PageSignalTable())
        if (row.m_nPlace == SignalPlace::Headline || row.m_nPlace == SignalPlace::ShortText) {
            EXPECT_EQ(NormalizedPhraseText(row.m_strPhrase), row.m_strPhrase);
        }
}

TEST(PageJudge, ATitleCountsOnlyWhenTheSignFillsAPartOfIt)
{
    EXPECT_EQ(Judge("<title>404 - Page Not Found</title>").m_nKind, PageVerdictKind::NotFound);
    EXPECT_EQ(Judge("<title>Error 404 (Not Found)!!1</title>").m_nKind, PageVerdictKind::NotFound);
    EXPECT_EQ(Judge("<title>Shop</title><h1>¡Página no encontrada!</h1>").m_nKind, PageVerdictKind::NotFound);
    EXPECT_EQ(Judge("<title>How to fix 404 not found errors</title>").m_nKind, PageVerdictKind::None);
    EXPECT_EQ(Judge("<title>Song Not Found | Lyrics</title>").m_nKind, PageVerdictKind::None);
    EXPECT_EQ(Judge("<title>Why was my account suspended?</title>").m_nKind, PageVerdictKind::None);
    // The evidence names where it was seen, without the server's control characters.
    const PageVerdict verdict = Judge("<title>Page not found\x1b[2J - Shop</title>");
    EXPECT_EQ(verdict.m_nKind, PageVerdictKind::NotFound);
    EXPECT_TRUE(verdict.m_strEvidence.starts_with("title \"Page not found")) << verdict.m_strEvidence;
    EXPECT_EQ(verdict.m_strEvidence.find('\x1b'), std::string::npos);
    EXPECT_EQ(PageVerdictText(verdict).rfind("The page answers, but says it was not found: title \"", 0), 0u);
}

TEST(PageJudge, WeakEvidenceLeavesThePageStanding)
{
    // A used car "for sale, make an offer" is no parked domain.
    EXPECT_EQ(Judge("<title>Bike</title><p>This bike is for sale. Make an offer!</p>").m_nKind,
              PageVerdictKind::None);
    // Sponsored searches and a sale together are.
    EXPECT_EQ(Judge("<p>Related searches</p><p>Sponsored listings</p>").m_nKind, PageVerdictKind::Parked);
    EXPECT_EQ(Judge("").m_nKind, PageVerdictKind::None);
    EXPECT_EQ(Judge("\x00\xff<<<>>>").m_nKind, PageVerdictKind::None);
}

TEST(PageJudge, ParkingServicesTellThroughTheRedirectChainAndEmbeddedSources)
{
    const PageVerdict chained =
        Judge("<title>x</title>", {"http://old-site.example/a/b.html", "https://www.dan.com/buy-domain/old-site.example"});
    EXPECT_EQ(chained.m_nKind, PageVerdictKind::Parked);
    EXPECT_NE(chained.m_strEvidence.find("dan.com"), std::string::npos);
    EXPECT_EQ(Judge("<iframe src=\"//ww1.parkingcrew.net/frame\"></iframe>").m_nKind, PageVerdictKind::Parked);
    // A domain that only ends like one is not one.
    EXPECT_EQ(Judge("<script src=\"https://jordan.com/app.js\"></script>").m_nKind, PageVerdictKind::None);
    // A link to a marketplace is no embedding.
    EXPECT_EQ(Judge("<a href=\"https://sedo.com/\">We sold our old domain on Sedo</a>").m_nKind,
              PageVerdictKind::None);
}

TEST(PageJudge, ErrorAddressesCountOnlyAfterARedirect)
{
    EXPECT_EQ(Judge("<p>Oops</p>", {"http://a.example/x.html", "http://a.example/errors/404.html"}).m_nKind,
              PageVerdictKind::ErrorAddress);
    EXPECT_EQ(Judge("<p>Oops</p>", {"http://a.example/x.html", "http://a.example/?error=404"}).m_nKind,
              PageVerdictKind::ErrorAddress);
    EXPECT_EQ(Judge("<p>Oops</p>", {"http://a.example/errors/404.html"}).m_nKind, PageVerdictKind::None);
    EXPECT_EQ(Judge("<p>Oops</p>", {"http://a.example/x.html", "http://a.example/products/4040"}).m_nKind,
              PageVerdictKind::None);
}

TEST(SiteAddress, ADeepLinkSentToItsSitesHomeIsTold)
{
    EXPECT_TRUE(IsRedirectToHome("http://a.example/2019/05/great-article.html", "https://a.example/"));
    EXPECT_TRUE(IsRedirectToHome("http://a.example/docs/page", "http://www.a.example/en/"));
    EXPECT_TRUE(IsRedirectToHome("http://a.example/docs/page", "http://a.example/index.php"));
    EXPECT_TRUE(IsRedirectToHome("http://a.example/docs/page", "http://a.example/pt-br/index.html"));
    EXPECT_TRUE(IsRedirectToHome("http://a.example/docs/page", "http://a.example"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/", "http://a.example/en/"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/index.html", "http://a.example/"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/old/page", "http://a.example/new/page"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/old/page", "http://b.example/"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/old/page", "http://a.example/?p=12"));
    EXPECT_FALSE(IsRedirectToHome("not a link", "http://a.example/"));
    EXPECT_FALSE(IsRedirectToHome("http://a.example/old/page", ""));
}

TEST(PageFingerprint, OneTemplateStaysTheSamePageWhateverChangesInIt)
{
    auto missing = [](const std::string& strPath, const std::string& strDate, const std::string& strToken) {
        return "Home Shop About Contact. Sorry, we could not find " + strPath +
               ". It may have been moved or removed, or the address may be mistyped. Please use the search"
               " box above or browse the categories below: garden tools, seeds, pots and planters, outdoor"
               " furniture. Served " +
               strDate + " request " + strToken +
               ". Copyright Greenleaf Garden Supplies. All rights reserved. Privacy and cookies.";
    };
    const std::vector<std::string> addresses{"http://shop.example/articles/old-piece-on-tulips",
                                             "http://shop.example/articles/qwhzkdlrpmxnvbtc"};
    const std::string a = PageWords(missing("/articles/old-piece-on-tulips", "2026-12-08 10:14:07",
                                            "a8f3c2e19b7d4e6f8a0b1c2d3e4f5a6b"));
    const std::string b = PageWords(missing("/articles/qwhzkdlrpmxnvbtc", "2026-12-09 23:59:59",
                                            "ffee00112233445566778899aabbccdd"));
    EXPECT_GE(PageSimilarity(a, b, addresses), kSamePageSimilarity);

    // Two articles in the same frame are different pages.
    const std::string frame = "Home Shop About Contact. Copyright Greenleaf Garden Supplies. All rights reserved.";
    const std::string article1 = PageWords(frame + " Roses need a sunny place, deep soil rich in compost and"
                                                   " water at the roots in the morning; prune them in early spring"
                                                   " just above an outward facing bud and feed them after flowering.");
    const std::string article2 = PageWords(frame + " Tulip bulbs go into the ground in late autumn, three times"
                                                   " as deep as the bulb is tall, pointed end up, in a spot that"
                                                   " drains well so that they do not rot during the winter rains.");
    EXPECT_LT(PageSimilarity(article1, article2, addresses), kSamePageSimilarity);

    // Too little text to tell: never the same.
    EXPECT_EQ(PageSimilarity(PageWords("Loading"), PageWords("Loading"), addresses), 0);
}
