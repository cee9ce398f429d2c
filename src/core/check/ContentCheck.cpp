#include "core/check/ContentCheck.h"

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
                        CHttpClient& client, Clock::time_point deadline)
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
        HasEvidenceAgainst(facts, PageSign::NotFound))
        return {};
    const std::string strWords = PageWords(facts.m_strVisibleText);
    if (PageSimilarity(strWords, strWords, chain) == 0)
        return {}; // too little text to tell it from another page
    const std::string strFolder = SiteOrigin(final) + std::string(PathFolder(final.m_strPath));
    const std::optional<ProbeAnswer> probe = CPageProbeCache::ForThisProcess().Get(
        strFolder, [&] { return MakeProbe(strFolder + RandomProbeName(), client, deadline); }, deadline);
    if (!probe || !probe->m_bPage)
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
    return CheckOutcome{pRow->m_nStatus, PageVerdictText(verdict), pRow->m_nIconOffset};
}
