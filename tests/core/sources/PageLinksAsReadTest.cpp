// Links of pages as a browser or a reader sees them, each from a small page
// shaped like real ones: "&amp;" and the other character references decoded
// in the links of an HTML page but not of a plain-text file; a closing
// parenthesis that balances nothing inside the link (Markdown, running
// text) left out while Wikipedia's "Foo_(bar)" keeps its own; UTF-16 and
// UTF-32 pages, marked or declared, read as text; and the decoder giving
// the same text whatever pieces the page arrives in.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/ManualResetEvent.h"
#include "core/sources/LinkExtractor.h"
#include "core/sources/PageDecoder.h"
#include "core/sources/SourceLinks.h"
#include "support/MemoryTreeSink.h"
#include "support/ScanTestFiles.h"

using Links = std::vector<std::string>;

namespace {

Links Extract(std::string_view strText, bool bHtml = false)
{
    CLinkExtractor extractor;
    extractor.SetHtml(bHtml);
    extractor.Feed(strText);
    extractor.Finish();
    return extractor.Links();
}

// The links SourceLinksThread lists for a file of these bytes.
Links LinksOfFile(const std::string& strName, std::string_view strBytes)
{
    scantest::TempFolder folder;
    const std::string strPath = folder / strName;
    scantest::WriteFile(strPath, strBytes);
    MemoryTreeSink sink;
    ManualResetEvent hStop;
    std::atomic<bool> bClosing{false};
    SourceLinksThread(sink, sink.m_state, hStop, bClosing, strPath);
    Links links;
    for (const auto& pItem : sink.Items())
        links.push_back(pItem->m_strUrl);
    return links;
}

std::string Encode(std::u32string_view text, CPageDecoder::Encoding encoding, bool bMark)
{
    std::string out;
    const auto put16 = [&](char16_t u, bool bBig) {
        out += static_cast<char>(bBig ? u >> 8 : u & 0xFF);
        out += static_cast<char>(bBig ? u & 0xFF : u >> 8);
    };
    const auto put32 = [&](char32_t c, bool bBig) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((c >> (8 * (bBig ? 3 - i : i))) & 0xFF);
    };
    const bool bBig = encoding == CPageDecoder::Encoding::Utf16Be || encoding == CPageDecoder::Encoding::Utf32Be;
    const bool b32 = encoding == CPageDecoder::Encoding::Utf32Le || encoding == CPageDecoder::Encoding::Utf32Be;
    std::u32string all = bMark ? U"\uFEFF" + std::u32string(text) : std::u32string(text);
    for (const char32_t c : all) {
        if (b32) {
            put32(c, bBig);
        } else if (c >= 0x10000) {
            put16(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), bBig);
            put16(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), bBig);
        } else {
            put16(static_cast<char16_t>(c), bBig);
        }
    }
    return out;
}

} // namespace

TEST(PageLinkParentheses, AClosingParenthesisThatBalancesNothingIsNotPartOfTheLink)
{
    EXPECT_EQ(Extract("See [the page](https://x.example/page) for more."), (Links{"https://x.example/page"}));
    EXPECT_EQ(Extract("(see https://x.example/page)"), (Links{"https://x.example/page"}));
    EXPECT_EQ(Extract("(see https://x.example/page)."), (Links{"https://x.example/page"}));
    EXPECT_EQ(Extract("((nested http://x.example/a))"), (Links{"http://x.example/a"}));
    // The link's own parentheses stay, also inside others.
    EXPECT_EQ(Extract("https://en.wikipedia.org/wiki/Foo_(bar)"), (Links{"https://en.wikipedia.org/wiki/Foo_(bar)"}));
    EXPECT_EQ(Extract("(https://en.wikipedia.org/wiki/Foo_(bar))"),
              (Links{"https://en.wikipedia.org/wiki/Foo_(bar)"}));
    EXPECT_EQ(Extract("[Foo](https://en.wikipedia.org/wiki/Foo_(bar))."),
              (Links{"https://en.wikipedia.org/wiki/Foo_(bar)"}));
    // A parenthesis inside the link, not at its end, is the link's.
    EXPECT_EQ(Extract("http://x.example/a)b"), (Links{"http://x.example/a)b"}));
}

TEST(PageLinkReferences, CharacterReferencesAreDecodedInAnHtmlPageOnly)
{
    const std::string strPage = "<p><a href=\"http://x.example/q?a=1&amp;b=2\">one</a>\n"
                                "<a href=\"http://x.example/q?a=1&b=2\">the same</a>\n"
                                "<a href='http://y.example/p?x=&#38;&#x26;&quot;z&quot;&lt;&unknown;&amp'>two</a>\n"
                                "<a href=\"http://y.example/&#0;&#x110000;&#32;\">three</a></p>";
    EXPECT_EQ(Extract(strPage, true), (Links{"http://x.example/q?a=1&b=2",
                                             "http://y.example/p?x=&&%22z%22%3C&unknown;&amp",
                                             "http://y.example/\xEF\xBF\xBD\xEF\xBF\xBD%20"}));
    // A plain-text file means what it says.
    EXPECT_EQ(Extract("http://x.example/q?a=1&amp;b=2"), (Links{"http://x.example/q?a=1&amp;b=2"}));

    EXPECT_EQ(LinksOfFile("page.html", "<a href=\"http://x.example/q?a=1&amp;b=2\">x</a>"),
              (Links{"http://x.example/q?a=1&b=2"}));
    EXPECT_EQ(LinksOfFile("saved", "\n  <!DOCTYPE html><a href=\"http://x.example/q?a=1&amp;b=2\">x</a>"),
              (Links{"http://x.example/q?a=1&b=2"}));
    EXPECT_EQ(LinksOfFile("notes.txt", "read http://x.example/q?a=1&amp;b=2 <b>"),
              (Links{"http://x.example/q?a=1&amp;b=2"}));
}

TEST(PageEncodings, Utf16AndUtf32PagesAreReadAsText)
{
    const auto page = [](std::u32string_view charset) {
        return U"<html><head><meta charset=\"" + std::u32string(charset) +
               U"\"></head><body>"
               U"<a href=\"http://x.example/\u00E9t\u00E9\">\U0001F600</a> https://y.example/page"
               U"</body></html>";
    };
    const Links expected{"http://x.example/\xC3\xA9t\xC3\xA9", "https://y.example/page"};
    using E = CPageDecoder::Encoding;
    for (const E encoding : {E::Utf16Le, E::Utf16Be, E::Utf32Le, E::Utf32Be}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        const bool b32 = encoding == E::Utf32Le || encoding == E::Utf32Be;
        const std::u32string strPage = page(b32 ? U"UTF-32" : U"utf-16");
        EXPECT_EQ(LinksOfFile("page.html", Encode(strPage, encoding, true)), expected);
        // No mark: the declared charset, read in the bytes' own form.
        EXPECT_EQ(LinksOfFile("page.html", Encode(strPage, encoding, false)), expected);
    }
    // An XML declaration names it too.
    EXPECT_EQ(LinksOfFile("feed.xml", Encode(U"<?xml version=\"1.0\" encoding=\"UTF-16\"?><link>http://f.example/</link>",
                                             E::Utf16Le, false)),
              (Links{"http://f.example/"}));
    // A UTF-8 page that only speaks of UTF-16 stays UTF-8.
    EXPECT_EQ(LinksOfFile("about.html", "<p>charset=utf-16 is at http://a.example/</p>"),
              (Links{"http://a.example/"}));
}

TEST(PageEncodings, TheDecodedTextDoesNotDependOnThePieces)
{
    const std::string strBytes =
        Encode(U"x http://x.example/\U0001F600 " + std::u32string(3000, U'a') + U" \xD800 http://y.example/",
               CPageDecoder::Encoding::Utf16Le, true);
    std::string strWhole;
    CPageDecoder whole;
    whole.Feed(strBytes, strWhole);
    whole.Finish(strWhole);
    for (const std::size_t nPiece : {1u, 3u, 7u, 1000u}) {
        CPageDecoder pieces;
        std::string strText;
        for (std::size_t i = 0; i < strBytes.size(); i += nPiece)
            pieces.Feed(std::string_view(strBytes).substr(i, nPiece), strText);
        pieces.Finish(strText);
        EXPECT_EQ(strText, strWhole) << nPiece;
    }
    EXPECT_NE(strWhole.find("http://x.example/\xF0\x9F\x98\x80 "), std::string::npos);
    EXPECT_NE(strWhole.find(" \xEF\xBF\xBD http://y.example/"), std::string::npos);
    // A cut last unit is one replacement character.
    CPageDecoder cut;
    std::string strCut;
    cut.Feed(std::string_view("\xFF\xFEh\0t\0x", 7), strCut);
    cut.Finish(strCut);
    EXPECT_EQ(strCut, "ht\xEF\xBF\xBD");
}
