#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/check/PageFacts.h"
#include "core/check/PageSignals.h"
#include "core/model/LinkStatus.h"

// Judges a page that answered 200 by what it says and where it was sent,
// through the table of PageSignals. Nothing from the favourite itself (its
// name, its folder) counts: only the answer.

// What was found; None when the page stands.
enum class PageVerdictKind {
    None,
    Parked,        // the domain is parked or for sale
    HostingGone,   // the hosting is gone: suspended, nothing installed, no site
    NotFound,      // the page says it was not found
    ErrorAddress,  // the page was sent to the site's error page
    SameAsMissing, // the page is the same as the site's answer to an address that does not exist
    HomeRedirect,  // a deep link sent to the site's home page
};

struct PageVerdict {
    PageVerdictKind m_nKind = PageVerdictKind::None;
    // What was seen, ready for the status text ("title \"Page not found\"",
    // "a frame from sedo.com" ...); control characters replaced, cut short.
    std::string m_strEvidence;
};

// How a verdict is shown: the status (whose picture follows from it) and
// the status text, "%s" standing for the evidence.
struct PageVerdictRow {
    PageVerdictKind m_nKind;
    LinkStatus m_nStatus;
    std::string_view m_strText;
};

std::span<const PageVerdictRow> PageVerdictTable();
const PageVerdictRow* PageVerdictRowFor(PageVerdictKind nKind);

// The status text of a verdict.
std::string PageVerdictText(const PageVerdict& verdict);

// Judges a page's facts and the addresses asked to reach it (the
// favourite's first, the answering one last). Finds Parked, HostingGone,
// NotFound and ErrorAddress; the home redirect and the comparison with a
// missing page are the check's own (ContentCheck).
PageVerdict JudgePage(const PageFacts& facts, std::span<const std::string> chain);

// Whether the page's text, whatever its length, holds a row that speaks
// against the sign (a wiki offering to write the page): no comparison with
// other pages then makes the sign.
bool HasEvidenceAgainst(const PageFacts& facts, PageSign nSign);

// Text as the headline rows compare it: case folded, apostrophes dropped,
// other punctuation made a blank, blanks collapsed.
std::string NormalizedPhraseText(std::string_view strText);

// Quotes a text from the network for a status text: control characters
// replaced, at most nMaxBytes (cut at a character boundary, "..." added).
std::string QuotedEvidence(std::string_view strText, std::size_t nMaxBytes = 100);
