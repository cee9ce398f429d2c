#include "core/check/PageJudge.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "core/check/SiteAddress.h"
#include "core/platform/ControlText.h"

namespace {

using enum PageVerdictKind;

constexpr std::array kVerdicts{
    PageVerdictRow{Parked, StatusBroken, "The site's domain appears to be parked or for sale: %s"},
    PageVerdictRow{HostingGone, StatusBroken, "The site's hosting appears to be gone: %s"},
    PageVerdictRow{NotFound, StatusPartiallyValid, "The page answers, but says it was not found: %s"},
    PageVerdictRow{ErrorAddress, StatusPartiallyValid, "The page answers, but was sent to the site's error page %s"},
    PageVerdictRow{SameAsMissing, StatusPartiallyValid,
                   "The page answers, but with what the site answers for an address that does not exist (%s)"},
    PageVerdictRow{HomeRedirect, StatusPartiallyValid, "The page's address is sent to the site's home page %s"},
};

// The signs in the order they are taken when more than one is found: a gone
// site before a gone page.
constexpr std::array kSignOrder{PageSign::Parked, PageSign::HostingGone, PageSign::NotFound};

PageVerdictKind KindOf(PageSign nSign)
{
    switch (nSign) {
    case PageSign::Parked:
        return Parked;
    case PageSign::HostingGone:
        return HostingGone;
    case PageSign::NotFound:
        break;
    }
    return NotFound;
}

std::size_t WordCount(std::string_view text)
{
    return text.empty() ? 0 : static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')) + 1;
}

// " phrase " within " text ": whole words.
bool ContainsWords(std::string_view text, std::string_view phrase)
{
    if (phrase.empty() || text.size() < phrase.size())
        return false;
    for (auto n = text.find(phrase); n != std::string_view::npos; n = text.find(phrase, n + 1)) {
        const bool bStart = n == 0 || text[n - 1] == ' ';
        const bool bEnd = n + phrase.size() == text.size() || text[n + phrase.size()] == ' ';
        if (bStart && bEnd)
            return true;
    }
    return false;
}

// The parts of a title or heading, split where sites join a page's name to
// their own: "|", ":", " - ", and the dashes, dots and quotes of UTF-8.
std::vector<std::string> Segments(std::string_view text)
{
    static constexpr std::array<std::string_view, 7> kSeparators{"|", ":", " - ", "\xE2\x80\x93", "\xE2\x80\x94",
                                                                 "\xC2\xB7", "\xC2\xBB"};
    std::vector<std::string> out;
    std::size_t nStart = 0;
    for (std::size_t i = 0; i <= text.size();) {
        std::size_t nSep = 0;
        if (i < text.size())
            for (const auto sep : kSeparators)
                if (text.substr(i).starts_with(sep)) {
                    nSep = sep.size();
                    break;
                }
        if (i == text.size() || nSep) {
            std::string part = NormalizedPhraseText(text.substr(nStart, i - nStart));
            if (!part.empty())
                out.push_back(std::move(part));
            if (i == text.size())
                break;
            i += nSep;
            nStart = i;
            continue;
        }
        ++i;
    }
    return out;
}

bool SegmentMatches(std::string_view segment, std::string_view phrase)
{
    const std::size_t nPhraseWords = WordCount(phrase);
    // Short phrases must stand alone: "Not Found" is a title of its own,
    // "Song Not Found" is not.
    const std::size_t nSpare = nPhraseWords >= 3 ? std::min(kSpareSegmentWords, nPhraseWords - 2) : 0;
    return WordCount(segment) <= nPhraseWords + nSpare && ContainsWords(segment, phrase);
}

bool HostMatches(std::string_view host, std::string_view domain)
{
    return host == domain ||
           (host.size() > domain.size() && host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.');
}

// The host of an embedded source: only absolute ("https://h/...") and
// scheme-relative ("//h/...") sources name one.
std::string EmbeddedHost(std::string_view src)
{
    while (!src.empty() && std::isspace(static_cast<unsigned char>(src.front())))
        src.remove_prefix(1);
    if (src.starts_with("//"))
        return ParseSiteAddress(std::string("http:") + std::string(src)).m_strHost;
    return ParseSiteAddress(src).m_strHost;
}

struct Match {
    int m_nWeight = 0;
    std::string m_strEvidence;
    SignalPlace m_nPlace = SignalPlace::Headline;
};

struct Judge {
    const PageFacts& m_facts;
    std::span<const std::string> m_chain;
    std::vector<std::string> m_titleSegments;
    std::vector<std::vector<std::string>> m_headingSegments;
    std::string m_strText;
    std::vector<std::string> m_embeddedHosts;
    std::vector<std::string> m_chainHosts;
    SiteAddress m_final;

    Judge(const PageFacts& facts, std::span<const std::string> chain) : m_facts(facts), m_chain(chain)
    {
        m_titleSegments = Segments(facts.m_strTitle);
        for (const auto& heading : facts.m_headings)
            m_headingSegments.push_back(Segments(heading));
        if (facts.m_nWords < kShortPageWords)
            m_strText = NormalizedPhraseText(facts.m_strVisibleText);
        for (const auto& src : facts.m_embedded)
            m_embeddedHosts.push_back(EmbeddedHost(src));
        for (const auto& url : chain)
            m_chainHosts.push_back(ParseSiteAddress(url).m_strHost);
        if (chain.size() >= 2)
            m_final = ParseSiteAddress(chain.back());
    }

    // The weight of one row for this page, with what it saw.
    Match Try(const PageSignalRow& row) const
    {
        switch (row.m_nPlace) {
        case SignalPlace::Headline: {
            if (m_facts.m_nWords > kLongPageWords)
                return {};
            const int nWeight = row.m_nWeight;
            Match match;
            for (std::size_t i = 0; i < m_headingSegments.size() && !match.m_nWeight; ++i)
                for (const auto& segment : m_headingSegments[i])
                    if (SegmentMatches(segment, row.m_strPhrase)) {
                        match = {nWeight, "heading " + QuotedEvidence(m_facts.m_headings[i])};
                        break;
                    }
            for (const auto& segment : m_titleSegments)
                if (SegmentMatches(segment, row.m_strPhrase)) {
                    // The title is the better evidence to show; both count.
                    match = {match.m_nWeight + nWeight, "title " + QuotedEvidence(m_facts.m_strTitle)};
                    break;
                }
            return match;
        }
        case SignalPlace::ShortText:
            if (ContainsWords(m_strText, row.m_strPhrase))
                return {row.m_nWeight, "the page says " + QuotedEvidence(row.m_strPhrase)};
            return {};
        case SignalPlace::Host:
            for (const auto& host : m_chainHosts)
                if (HostMatches(host, row.m_strPhrase))
                    return {row.m_nWeight, "its address is sent on to " + QuotedEvidence(host)};
            for (const auto& host : m_embeddedHosts)
                if (HostMatches(host, row.m_strPhrase))
                    return {row.m_nWeight, "it embeds a script or frame from " + QuotedEvidence(host)};
            return {};
        case SignalPlace::ErrorAddress: {
            if (!m_final.m_bValid)
                return {};
            std::string_view path = m_final.m_strPath;
            while (!path.empty() && path.back() == '/')
                path.remove_suffix(1);
            const std::string last = FoldCase(path.substr(path.rfind('/') + 1));
            const std::string query = FoldCase(m_final.m_strQuery);
            const bool bQueryRow = row.m_strPhrase.find('=') != std::string_view::npos;
            if (bQueryRow ? query.find(row.m_strPhrase) != std::string::npos : last == row.m_strPhrase)
                return {row.m_nWeight, QuotedEvidence(m_chain.back())};
            return {};
        }
        }
        return {};
    }
};

} // namespace

std::span<const PageVerdictRow> PageVerdictTable() { return kVerdicts; }

const PageVerdictRow* PageVerdictRowFor(PageVerdictKind nKind)
{
    for (const auto& row : kVerdicts)
        if (row.m_nKind == nKind)
            return &row;
    return nullptr;
}

std::string PageVerdictText(const PageVerdict& verdict)
{
    const PageVerdictRow* pRow = PageVerdictRowFor(verdict.m_nKind);
    if (!pRow)
        return {};
    std::string out(pRow->m_strText);
    if (const auto n = out.find("%s"); n != std::string::npos)
        out.replace(n, 2, verdict.m_strEvidence);
    return out;
}

PageVerdict JudgePage(const PageFacts& facts, std::span<const std::string> chain)
{
    const Judge judge(facts, chain);
    for (const PageSign nSign : kSignOrder) {
        int nTotal = 0;
        Match best;
        for (const auto& row : PageSignalTable()) {
            if (row.m_nSign != nSign)
                continue;
            // An error address is only evidence when a redirect led there.
            if (row.m_nPlace == SignalPlace::ErrorAddress && chain.size() < 2)
                continue;
            Match match = judge.Try(row);
            match.m_nPlace = row.m_nPlace;
            nTotal += match.m_nWeight;
            if (match.m_nWeight > best.m_nWeight)
                best = std::move(match);
        }
        if (nTotal < kSignThreshold)
            continue;
        PageVerdictKind nKind = KindOf(nSign);
        // Sent to an error page: say so, rather than what that page says.
        if (best.m_nPlace == SignalPlace::ErrorAddress)
            nKind = ErrorAddress;
        return {nKind, std::move(best.m_strEvidence)};
    }
    return {};
}

bool HasEvidenceAgainst(const PageFacts& facts, PageSign nSign)
{
    const std::string text = NormalizedPhraseText(facts.m_strVisibleText);
    for (const auto& row : PageSignalTable())
        if (row.m_nSign == nSign && row.m_nWeight < 0 && row.m_nPlace == SignalPlace::ShortText &&
            ContainsWords(text, row.m_strPhrase))
            return true;
    return false;
}

std::string NormalizedPhraseText(std::string_view strText)
{
    const std::string folded = FoldCase(strText);
    std::string out;
    out.reserve(folded.size());
    auto blank = [&out] {
        if (!out.empty() && out.back() != ' ')
            out += ' ';
    };
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c == '\'' || c == '`')
            continue;
        if (c == 0xE2 && folded.compare(i, 3, "\xE2\x80\x99") == 0) { // ’
            i += 2;
            continue;
        }
        // The punctuation of UTF-8 (¡ ¿ « » “ ” ‘ … – — no-break space ...)
        // separates words as ASCII punctuation does.
        if (c == 0xC2 && i + 1 < folded.size() && static_cast<unsigned char>(folded[i + 1]) >= 0xA0 &&
            static_cast<unsigned char>(folded[i + 1]) <= 0xBF) {
            ++i;
            blank();
            continue;
        }
        if (c == 0xE2 && i + 2 < folded.size() && static_cast<unsigned char>(folded[i + 1]) == 0x80) {
            i += 2;
            blank();
            continue;
        }
        if (c >= 0x80 || std::isalnum(c))
            out += static_cast<char>(c);
        else
            blank();
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string QuotedEvidence(std::string_view strText, std::size_t nMaxBytes)
{
    std::string text = ControlsAsReplacementCharacters(strText);
    if (text.size() > nMaxBytes) {
        std::size_t n = nMaxBytes;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n; // do not cut a character in two
        text = text.substr(0, n) + "...";
    }
    return "\"" + text + "\"";
}
