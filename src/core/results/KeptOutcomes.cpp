#include "core/results/KeptOutcomes.h"

#include <charconv>
#include <limits>
#include <string>
#include <vector>

#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/results/ResultsCache.h"

KeptOutcome KeptOutcomeOf(const FavoriteItem& item)
{
    KeptOutcome outcome;
    outcome.m_strUrl = item.m_strUrl;
    outcome.m_nStatus = item.Status();
    outcome.m_strStatusText = item.StatusText();
    FavoriteRedirect redirect = item.Redirect();
    outcome.m_strFinalUrl = std::move(redirect.m_strFinalUrl);
    outcome.m_bPermanent = redirect.m_bPermanent;
    outcome.m_nCheckedAt = item.CheckedAt();
    return outcome;
}

bool IsKeptStatus(std::int32_t nStatus)
{
    switch (nStatus) {
    case StatusValid:
    case StatusBroken:
    case StatusUnverified:
    case StatusMoved:
    case StatusPartiallyValid:
    case StatusAuthRequired:
        return true;
    default:
        return false;
    }
}

KeptApplied ApplyKeptOutcomes(CFavoriteList& items, ITreeSink& sink, CResultsCache& cache,
                              std::optional<std::int64_t> nNotBefore)
{
    const std::vector<CFavoriteList::Item> records = items.Snapshot();
    std::vector<std::string> urls;
    urls.reserve(records.size());
    for (const CFavoriteList::Item& pItem : records)
        urls.push_back(pItem ? pItem->m_strUrl : std::string());
    const std::vector<std::optional<KeptOutcome>> kept = cache.Find(urls);

    KeptApplied applied;
    for (std::size_t i = 0; i < records.size(); ++i) {
        FavoriteItem* const pItem = records[i].get();
        if (pItem == nullptr || pItem->m_strUrl.empty() || !kept[i] || !IsKeptStatus(kept[i]->m_nStatus))
            continue;
        const KeptOutcome& outcome = *kept[i];
        if (nNotBefore && outcome.m_nCheckedAt < *nNotBefore)
            continue;
        pItem->SetOutcome(outcome.m_nStatus, outcome.m_strStatusText,
                          FavoriteRedirect{outcome.m_strFinalUrl, outcome.m_bPermanent}, outcome.m_nCheckedAt);
        const int nImage = sink.NodeImage(pItem->m_hItem);
        if (nImage >= 0)
            sink.SetNodeImage(pItem->m_hItem, ImageFor(KindFromImage(nImage), outcome.m_nStatus));
        ++applied.m_nApplied;
        if (LinkStatusInfoFor(outcome.m_nStatus).m_bIsBroken)
            ++applied.m_nBroken;
    }
    return applied;
}

std::optional<std::int64_t> ParseCacheAge(std::string_view strAge)
{
    std::int64_t nUnit = 1;
    if (!strAge.empty()) {
        switch (strAge.back()) {
        case 's': nUnit = 1; strAge.remove_suffix(1); break;
        case 'm': nUnit = 60; strAge.remove_suffix(1); break;
        case 'h': nUnit = 3600; strAge.remove_suffix(1); break;
        case 'd': nUnit = 86400; strAge.remove_suffix(1); break;
        default: break;
        }
    }
    if (strAge.empty() || strAge.front() < '0' || strAge.front() > '9')
        return std::nullopt;
    std::int64_t nValue = 0;
    const char* pEnd = strAge.data() + strAge.size();
    const auto [p, ec] = std::from_chars(strAge.data(), pEnd, nValue);
    if (ec != std::errc() || p != pEnd || nValue > std::numeric_limits<std::int64_t>::max() / nUnit)
        return std::nullopt;
    return nValue * nUnit;
}
