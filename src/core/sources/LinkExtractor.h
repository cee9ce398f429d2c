#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Finds the links of a page or file in a text that arrives in pieces of any
// size, so that a file of any length is searched with bounded memory.
//
// Every link begins with one of five prefixes, each searched on its own from
// the start of the text, case-sensitively: "http://", "https://", "HTTP://",
// "HTTPS://", "ftp://". A link ends before a line feed, carriage return,
// blank, tab, "<" or ">", before a double quote or apostrophe once 9
// characters have been taken (a quote among the first 9 belongs to the link),
// at the end of the text, or after 4096 characters; the search for the same
// prefix goes on where taking stopped. The text ends at its first NUL byte.
// Each distinct link (byte-wise, case-sensitive) is kept once, and the list
// is ordered by prefix first, then by position in the text.
//
// Two mends make a taken link the address a reader means:
// - A link that ends in a closing parenthesis that balances no opening one
//   inside it (optionally followed by sentence punctuation: . , ; : ! ?)
//   ends before that parenthesis: "(see http://x.example/page)." and the
//   Markdown "[text](http://x.example/page)" give http://x.example/page,
//   while http://w.example/wiki/Foo_(bar) keeps its own.
// - In the text of an HTML page (SetHtml), character references are
//   decoded as a browser decodes them in an attribute or in text ("&amp;",
//   "&#38;", "&#x26;" and the other named references that can stand in an
//   address); what a browser would then escape in a request (controls,
//   blanks, quotes, "<", ">") is percent-encoded. A plain-text file keeps
//   its "&amp;" as written.
// Links are compared for duplicates after these mends.
//
// The text is treated as bytes. In UTF-8 no byte of a multibyte character is
// an ASCII byte, so a prefix or an ending character is never found inside
// one; invalid sequences are simply carried along.
class CLinkExtractor {
public:
    static constexpr size_t kMaxLinkLength = 4096;
    static constexpr size_t kQuoteEndsFrom = 9;
    static constexpr std::array<std::string_view, 5> kPrefixes = {
        "http://", "https://", "HTTP://", "HTTPS://", "ftp://"};

    CLinkExtractor();

    // The text is an HTML page: character references in links are decoded.
    // Set before the first Feed.
    void SetHtml(bool bHtml) { m_bHtml = bHtml; }
    bool IsHtml() const { return m_bHtml; }

    // The two mends above on one taken link.
    static std::string CutUnbalancedParenthesis(std::string strLink);
    static std::string DecodeCharacterReferences(std::string_view strLink);

    // Adds the next piece of the text. Returns false once the text has ended
    // at a NUL byte; what is fed after that is ignored.
    bool Feed(std::string_view strBytes);
    // The end of the text: a link still being taken ends here.
    void Finish();

    // The distinct links found with prefix number nPrefix, in text order.
    const std::deque<std::string>& LinksOf(size_t nPrefix) const { return m_scanners[nPrefix].m_links; }
    // All distinct links in list order.
    std::vector<std::string> Links() const;
    size_t LinkCount() const { return m_seen.size(); }

private:
    // One independent search for one prefix.
    struct Scanner {
        std::string_view m_strPrefix;
        std::uint64_t m_nPos = 0; // absolute offset where the search or the taking goes on
        bool m_bTaking = false;
        std::string m_strCurrent;       // the link being taken
        std::deque<std::string> m_links; // a deque keeps the texts in place for m_seen
    };

    void Scan(bool bFinal);
    void ScanOne(Scanner& scanner, bool bFinal);
    void EndLink(Scanner& scanner);

    std::array<Scanner, kPrefixes.size()> m_scanners;
    std::unordered_set<std::string_view> m_seen; // views into the scanners' lists
    std::string m_strWindow;   // the bytes not yet searched by every scanner
    std::uint64_t m_nBase = 0; // absolute offset of m_strWindow[0]
    bool m_bEnded = false;
    bool m_bHtml = false;
};
