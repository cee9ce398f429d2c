// Which links a text yields: the five prefixes searched case-sensitively and
// one after the other, the characters and the quote rule that end a link,
// the 4096 cut, the end of the text at a NUL byte, exact duplicates kept
// once, and the same result however the text is cut into pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sources/LinkExtractor.h"

namespace {

using Links = std::vector<std::string>;

Links Extract(std::string_view strText)
{
    CLinkExtractor extractor;
    extractor.Feed(strText);
    extractor.Finish();
    return extractor.Links();
}

Links ExtractInPieces(std::string_view strText, size_t nPiece)
{
    CLinkExtractor extractor;
    for (size_t i = 0; i < strText.size(); i += nPiece)
        if (!extractor.Feed(strText.substr(i, nPiece)))
            break;
    extractor.Finish();
    return extractor.Links();
}

} // namespace

TEST(LinkExtractionPrefixes, EachPrefixIsFoundAndListedInPrefixOrder)
{
    const std::string strText = "ftp://f.example/ HTTPS://D.EXAMPLE/ HTTP://C.EXAMPLE/ "
                                "https://b.example/ http://a.example/ http://a2.example/";
    EXPECT_EQ(Extract(strText), (Links{"http://a.example/", "http://a2.example/", "https://b.example/",
                                       "HTTP://C.EXAMPLE/", "HTTPS://D.EXAMPLE/", "ftp://f.example/"}));
}

TEST(LinkExtractionPrefixes, MixedCaseSchemesAndOtherSchemesAreNotFound)
{
    EXPECT_TRUE(Extract("Http://a.example/ Https://b.example/ hTTP://c/ Ftp://d/ FTP://e/ "
                        "mailto:x@example.com file:///etc/passwd www.example.com")
                    .empty());
}

TEST(LinkExtractionPrefixes, TheTwoCasesOfTheSchemeGiveTwoLinks)
{
    EXPECT_EQ(Extract("http://example.com/a HTTP://example.com/a"),
              (Links{"http://example.com/a", "HTTP://example.com/a"}));
}

TEST(LinkExtractionPrefixes, ExactDuplicatesAreListedOnceInFirstFoundOrder)
{
    EXPECT_EQ(Extract("http://b/ http://a/ http://b/ http://B/ http://a/ http://b/x"),
              (Links{"http://b/", "http://a/", "http://B/", "http://b/x"}));
}

TEST(LinkExtractionPrefixes, SearchGoesOnWhereTheLinkEnded)
{
    // The second "http://" lies inside the first link, so that prefix's own
    // search never sees it; "https://" is searched separately from the start.
    EXPECT_EQ(Extract("http://a/?u=http://b/ x https://c/?u=https://d/"),
              (Links{"http://a/?u=http://b/", "https://c/?u=https://d/"}));
    // A bare prefix is a link of its own.
    EXPECT_EQ(Extract("http://"), (Links{"http://"}));
}

TEST(LinkExtractionEnds, EachEndingCharacterEndsTheLink)
{
    for (const char c : std::string("\n\r \t<>")) {
        const std::string strText = std::string("http://a.example/p") + c + "rest";
        EXPECT_EQ(Extract(strText), (Links{"http://a.example/p"})) << int(c);
    }
    // Other control and punctuation characters are part of the link.
    EXPECT_EQ(Extract("http://a/\f\v,;)]}|x y"), (Links{"http://a/\f\v,;)]}|x"}));
}

TEST(LinkExtractionEnds, HtmlAttributesAndTextGiveTheBareLink)
{
    EXPECT_EQ(Extract("<a href=\"http://example.com/page\">http://example.com/text</a>"
                      "<img src='https://example.com/i.png'>"),
              (Links{"http://example.com/page", "http://example.com/text",
                     "https://example.com/i.png"}));
}

TEST(LinkExtractionEnds, QuoteAmongTheFirstNineCharactersBelongsToTheLink)
{
    // Characters 8 and 9 (indexes 7 and 8) may be quotes; the tenth ends.
    EXPECT_EQ(Extract("http://\"x"), (Links{"http://\"x"}));
    EXPECT_EQ(Extract("http://'x"), (Links{"http://'x"}));
    EXPECT_EQ(Extract("http://a\"bc"), (Links{"http://a\"bc"}));
    EXPECT_EQ(Extract("http://ab\"c"), (Links{"http://ab"}));
    EXPECT_EQ(Extract("http://ab'c"), (Links{"http://ab"}));
    EXPECT_EQ(Extract("http://\"\"\"x"), (Links{"http://\"\""}));
    // The nine characters are counted from the start of the link, prefix
    // included, so for "https://" only the ninth may be a quote.
    EXPECT_EQ(Extract("https://\"x\"y"), (Links{"https://\"x"}));
    EXPECT_EQ(Extract("ftp://a\"\"b"), (Links{"ftp://a\"\"b"}));
}

TEST(LinkExtractionEnds, LinkAtTheVeryEndOfTheTextEndsThere)
{
    EXPECT_EQ(Extract("see http://example.com/last"), (Links{"http://example.com/last"}));
}

TEST(LinkExtractionEnds, LongLinkIsCutAt4096AndTheRestSearchedOn)
{
    const std::string strTail(100'000 - 7, 'x');
    const Links links = Extract("http://" + strTail + " https://after/");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0], "http://" + std::string(4096 - 7, 'x'));
    EXPECT_EQ(links[1], "https://after/");

    // The piece after a cut is searched for the prefix again.
    const std::string strFirst = "http://" + std::string(4096 - 7, 'a');
    EXPECT_EQ(Extract(strFirst + "http://b/"), (Links{strFirst, "http://b/"}));
}

TEST(LinkExtractionEnds, TextEndsAtTheFirstNulByte)
{
    using namespace std::string_literals;
    EXPECT_EQ(Extract("http://a/\0http://b/"s), (Links{"http://a/"}));
    EXPECT_EQ(Extract("http://abc\0def"s), (Links{"http://abc"}));
    EXPECT_TRUE(Extract("\0http://a/"s).empty());

    CLinkExtractor extractor;
    EXPECT_TRUE(extractor.Feed("http://a/ "));
    EXPECT_FALSE(extractor.Feed("http://b\0/"s));
    EXPECT_FALSE(extractor.Feed("http://c/"));
    extractor.Finish();
    EXPECT_EQ(extractor.Links(), (Links{"http://a/", "http://b"}));
}

TEST(LinkExtractionPieces, AnyCutOfTheTextGivesTheSameLinks)
{
    std::string strText;
    for (int i = 0; i < 40; ++i) {
        strText += "<a href=\"http://site" + std::to_string(i % 13) + ".example/p?q=" +
                   std::to_string(i) + "\">HTTPS://S/" + std::to_string(i % 5) + "</a> ftp://f/'" +
                   std::to_string(i) + "' https://x/\"\t";
    }
    strText += "http://" + std::string(5000, 'z') + "HTTP://end";
    const Links whole = Extract(strText);
    ASSERT_GT(whole.size(), 40u);
    for (size_t nPiece : {1u, 2u, 3u, 5u, 7u, 8u, 9u, 64u, 4095u, 4096u, 4097u})
        EXPECT_EQ(ExtractInPieces(strText, nPiece), whole) << "pieces of " << nPiece;
}

TEST(LinkExtractionPieces, PrefixSplitOverTwoPiecesIsFound)
{
    CLinkExtractor extractor;
    extractor.Feed("xx htt");
    extractor.Feed("ps");
    extractor.Feed(":/");
    extractor.Feed("/a.example/ ftp:");
    extractor.Feed("//b/");
    extractor.Finish();
    EXPECT_EQ(extractor.Links(), (Links{"https://a.example/", "ftp://b/"}));
}
