#include "core/check/CheckOneFavorite.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "core/check/CheckClassification.h"
#include "core/check/ContentCheck.h"
#include "core/check/RetryPolicy.h"
#include "core/check/WorkerSlot.h"
#include "core/model/IconRule.h"
#include "core/net/HttpClient.h"
#include "core/settings/CheckSettings.h"

namespace {

// The check's time-out: the pass's. A pass started without one gets the
// default rather than no limit at all.
std::chrono::milliseconds CheckTimeout(const WorkerSlot& slot)
{
    const int nTimeoutMs = slot.m_nTimeoutMs;
    return std::chrono::milliseconds(nTimeoutMs > 0 ? nTimeoutMs : kDefaultTimeoutSeconds * 1000);
}

void SetImage(WorkerSlot& slot, TreeNode node, int nImage)
{
    std::lock_guard lock(*slot.m_pTreeLock);
    slot.m_pSink->SetNodeImage(node, nImage);
}

} // namespace

void CheckOneFavorite(WorkerSlot& slot)
{
    FavoriteItem& item = *slot.m_pItem;
    const TreeNode node = item.m_hItem;
    // A node that is gone reports no image; its kind is then that of a
    // favourite, and the image changes fall on nothing.
    const int nBase = KindFromImage(std::max(0, slot.m_pSink->NodeImage(node)));

    SetImage(slot, node, ImageFor(nBase, StatusChecking));
    item.SetStatus(StatusChecking);

    slot.m_dwError = 0;
    // With content checks the page of a 200 answer is read and judged; the
    // whole check, the probe of its site included, keeps to the time-out.
    const bool bContentChecks = slot.m_bContentChecks;
    const auto timeout = CheckTimeout(slot);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    CHttpClient& client = CHttpClient::ForThisThread();
    PageFacts facts;
    const PageReadOptions read = ContentReadOptions(facts);
    const HttpCheckResult result = client.Check(item.m_strUrl, timeout, bContentChecks ? &read : nullptr);
    slot.m_dwError = result.m_dwError;
    slot.m_nHttpStatus = result.m_nHttpStatus.value_or(0);
    slot.m_retryAfter = ParseRetryAfter(result.m_strRetryAfter, std::time(nullptr));
    CheckOutcome outcome = ClassifyCheck(result);
    if (bContentChecks && outcome.m_nStatus == StatusValid) {
        // A check outside a pass (no probes of its own) still has one cache.
        CPageProbeCache ownProbes;
        CPageProbeCache& probes = slot.m_pProbes ? *slot.m_pProbes : ownProbes;
        if (auto judged = OutcomeForVerdict(JudgeAnswer(item.m_strUrl, result, facts, client, probes, deadline)))
            outcome = std::move(*judged);
    }

    CViewState& state = *slot.m_pViewState;
    state.m_bChecked = true;
    if (LinkStatusInfoFor(outcome.m_nStatus).m_bIsBroken)
        ++state.m_nBrokenCount;
    item.SetOutcome(outcome.m_nStatus, std::move(outcome.m_strText),
                    {result.m_strFinalUrl, result.m_bPermanentRedirects});

    SetImage(slot, node, ImageFor(nBase, outcome.m_nStatus));
}
