#include "core/check/ContentCheck.h"

#include <set>
#include <string>
#include <vector>

#include "core/check/PageFingerprint.h"
#include "core/check/PageProbe.h"
#include "core/check/SiteAddress.h"

namespace {

using Clock = std::chrono::steady_clock;

ProbeAnswer MakeProbe(const std::string& strProbeUrl, CHttpClient& client, Clock::time_point deadline)
{
    ProbeAnswer answer;
    answer.m_chain.push_back(strProbeUrl);
    const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0)
        return answer;
    PageFacts facts;
    const PageReadOptions read = ContentReadOptions(facts);
    HttpCheckResult result = client.Check(strProbeUrl, remaining, &read);
    answer.m_bAnswered = !result.m_bOpenFailed && result.m_dwError == 0 && result.m_nHttpStatus.has_value();
    answer.m_bPage = answer.m_bAnswered && *result.m_nHttpStatus == 200 && result.m_bBodyRead;
    if (answer.m_bPage) {
        answer.m_strWords = PageWords(facts.m_strVisibleText);
        answer.m_chain = std::move(result.m_redirectChain);
    }
    return answer;
}

// Whether the page's title or main heading names its own address: two or
// more words of the last part of its path ("how-to-sort-a-list") are in it.
// Such a page is about what its address says, even where the site answers
// any address next to it with the same page (sites that ignore the words
// after an id, "/questions/123/anything"): no comparison makes it missing.
bool NamesItsOwnAddress(const PageFacts& facts, const SiteAddress& address)
{
    std::string_view path = address.m_strPath;
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    const std::string last = NormalizedPhraseText(path.substr(path.rfind('/') + 1));
    std::string headline = " " + NormalizedPhraseText(facts.m_strTitle) + " ";
    for (const auto& heading : facts.m_headings)
        headline += NormalizedPhraseText(heading) + " ";
    std::set<std::string> named;
    std::size_t nStart = 0;
    while (nStart < last.size()) {
        std::size_t nEnd = last.find(' ', nStart);
        if (nEnd == std::string::npos)
            nEnd = last.size();
        const std::string word = last.substr(nStart, nEnd - nStart);
        if (word.size() >= 3 && word != "html" && word != "htm" && word != "php" && word != "aspx" &&
            headline.find(" " + word + " ") != std::string::npos)
            named.insert(word);
        nStart = nEnd + 1;
    }
    return named.size() >= 2;
}

} // namespace

PageReadOptions ContentReadOptions(PageFacts& lastFacts)
{
    PageReadOptions options;
    options.m_landerTarget = [&lastFacts](std::string_view strBody) {
        lastFacts = ReadPageFacts(strBody);
        return lastFacts.m_strLanderTarget;
    };
    return options;
}

PageVerdict JudgeAnswer(std::string_view strUrl, const HttpCheckResult& result, const PageFacts& facts,
                        CHttpClient& client, CPageProbeCache& probes, Clock::time_point deadline)
{
    std::vector<std::string> chain = result.m_redirectChain;
    if (chain.empty())
        chain.emplace_back(strUrl);

    if (result.m_bBodyRead) {
        PageVerdict verdict = JudgePage(facts, chain);
        if (verdict.m_nKind != PageVerdictKind::None)
            return verdict;
    }
    if (chain.size() >= 2 && IsRedirectToHome(chain.front(), chain.back()))
        return {PageVerdictKind::HomeRedirect, QuotedEvidence(chain.back())};

    // Compared with an address that cannot exist: only a deep page with
    // enough text to tell, on a site the probe finds answering anything.
    const SiteAddress final = ParseSiteAddress(chain.back());
    if (!result.m_bBodyRead || !final.m_bValid || IsHomePath(final.m_strPath) ||
        HasEvidenceAgainst(facts, PageSign::NotFound) || NamesItsOwnAddress(facts, final) || facts.m_bScriptShell)
        return {};
    const std::string strWords = PageWords(facts.m_strVisibleText);
    if (PageSimilarity(strWords, strWords, chain) == 0)
        return {}; // too little text to tell it from another page
    const std::string strFolder = SiteOrigin(final) + std::string(PathFolder(final.m_strPath));
    const std::optional<ProbeAnswer> probe = probes.Get(
        strFolder, [&] { return MakeProbe(strFolder + RandomProbeName(), client, deadline); }, deadline);
    // A probe that the site sent back to this very page says nothing.
    if (!probe || !probe->m_bPage || probe->m_chain.back() == chain.back())
        return {};
    // The words of every address asked, the page's and the probe's, are
    // left out of both texts alike.
    std::vector<std::string> addresses = chain;
    addresses.insert(addresses.end(), probe->m_chain.begin(), probe->m_chain.end());
    if (PageSimilarity(strWords, probe->m_strWords, addresses) < kSamePageSimilarity)
        return {};
    return {PageVerdictKind::SameAsMissing, QuotedEvidence(probe->m_chain.front())};
}

std::optional<CheckOutcome> OutcomeForVerdict(const PageVerdict& verdict)
{
    const PageVerdictRow* pRow = PageVerdictRowFor(verdict.m_nKind);
    if (!pRow)
        return std::nullopt;
    return CheckOutcome{pRow->m_nStatus, PageVerdictText(verdict)};
}
