#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The signs that a page answering 200 is not the page that was kept, as one
// table: what is looked for, where, in which language, and how much it
// weighs. A sign is found when the weights of its rows that match add up to
// kSignThreshold; rows with a negative weight are evidence against it. The
// table is data: the judge (PageJudge) only looks rows up.

// What a page may turn out to be.
enum class PageSign {
    Parked,      // the domain is parked or for sale: the site is gone
    HostingGone, // the hosting account is gone or suspended, or nothing is installed
    NotFound,    // the page says it was not found
};

// Where a row looks.
enum class SignalPlace {
    // A part of the title or of a main heading (h1), split at " - ", " | ",
    // ":" ... : the phrase must fill the part but for at most
    // kSpareSegmentWords other words (none for a phrase of one or two
    // words, one for three). A title that merely mentions the
    // phrase in a longer sentence does not match.
    Headline,
    // Anywhere in the visible text, as whole words, but only in a short page
    // (fewer than kShortPageWords words): a long article that discusses the
    // phrase is not taken for the thing itself.
    ShortText,
    // The host of an embedded script or frame, or of any address of the
    // redirect chain: the phrase is a domain, matched with its sub-domains.
    Host,
    // The final address of a redirect chain: the phrase is its last path
    // part (case-blind, extension included) or a text in its query.
    ErrorAddress,
};

struct PageSignalRow {
    PageSign m_nSign;
    SignalPlace m_nPlace;
    std::string_view m_strLanguage; // "en", "de", "fr", "es"; "*" for any
    std::string_view m_strPhrase;   // lower case
    int m_nWeight;
};

inline constexpr int kSignThreshold = 10;
inline constexpr std::size_t kShortPageWords = 300;
inline constexpr std::size_t kSpareSegmentWords = 2;
// A page longer than this has its headline rows ignored: a long text under
// a "not found" title is an article about it (or an album of that name).
// A long page that is a real "not found" page is still told by comparing it
// with the site's answer for an address that cannot exist. A row counts
// once for the title and once for a heading.
inline constexpr std::size_t kLongPageWords = 400;

std::span<const PageSignalRow> PageSignalTable();
