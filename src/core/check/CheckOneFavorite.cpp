#include "core/check/CheckOneFavorite.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <utility>

#include "core/check/CheckClassification.h"
#include "core/check/CheckHelperPool.h"
#include "core/check/ContentCheck.h"
#include "core/check/RetryPolicy.h"
#include "core/check/WorkerSlot.h"
#include "core/model/IconRule.h"
#include "core/net/HttpClient.h"
#include "core/net/TransferEngine.h"
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

namespace {

// What one check on the engine holds from its start to its end.
struct CEngineCheck {
    std::shared_ptr<WorkerSlot> m_pSlot;
    std::shared_ptr<FavoriteItem> m_pItem;
    // Not owned: the pass keeps its engine until every check has ended, and
    // a check must never be what ends the engine from the engine's thread.
    std::weak_ptr<CTransferEngine> m_pEngine;
    std::function<void(const EngineCheckEnd&)> m_ended;
    int m_nBase = 0;
    // The outcome before this check, given back when it is aborted.
    std::int32_t m_nOldStatus = StatusNotChecked;
    std::string m_strOldText;
    FavoriteRedirect m_oldRedirect;
    std::chrono::steady_clock::time_point m_deadline{};
    PageFacts m_facts;
    PageReadOptions m_read;
};

void EndAborted(CEngineCheck& check)
{
    WorkerSlot& slot = *check.m_pSlot;
    FavoriteItem& item = *check.m_pItem;
    item.SetOutcome(check.m_nOldStatus, std::move(check.m_strOldText), std::move(check.m_oldRedirect));
    SetImage(slot, item.m_hItem, check.m_nOldStatus == StatusNotChecked ? check.m_nBase
                                                                         : ImageFor(check.m_nBase, check.m_nOldStatus));
    EngineCheckEnd end;
    end.m_bAborted = true;
    check.m_ended(end);
}

void Record(CEngineCheck& check, CheckOutcome outcome, const HttpCheckResult& result)
{
    WorkerSlot& slot = *check.m_pSlot;
    FavoriteItem& item = *check.m_pItem;
    CViewState& state = *slot.m_pViewState;
    state.m_bChecked = true;
    if (LinkStatusInfoFor(outcome.m_nStatus).m_bIsBroken)
        ++state.m_nBrokenCount;
    item.SetOutcome(outcome.m_nStatus, std::move(outcome.m_strText),
                    {result.m_strFinalUrl, result.m_bPermanentRedirects});
    SetImage(slot, item.m_hItem, ImageFor(check.m_nBase, outcome.m_nStatus));
    EngineCheckEnd end;
    end.m_nHttpStatus = slot.m_nHttpStatus;
    end.m_retryAfter = slot.m_retryAfter;
    check.m_ended(end);
}

} // namespace

void CheckOneFavoriteOnEngine(const std::shared_ptr<WorkerSlot>& pSlot, const std::shared_ptr<CTransferEngine>& pEngine,
                              CCheckHelperPool& judges, std::function<void(const EngineCheckEnd&)> ended)
{
    WorkerSlot& slot = *pSlot;
    auto pCheck = std::make_shared<CEngineCheck>();
    pCheck->m_pSlot = pSlot;
    pCheck->m_pItem = slot.m_pItem;
    pCheck->m_pEngine = pEngine;
    pCheck->m_ended = std::move(ended);
    FavoriteItem& item = *pCheck->m_pItem;
    pCheck->m_nOldStatus = item.Status();
    pCheck->m_strOldText = item.StatusText();
    pCheck->m_oldRedirect = item.Redirect();

    const TreeNode node = item.m_hItem;
    pCheck->m_nBase = KindFromImage(std::max(0, slot.m_pSink->NodeImage(node)));
    SetImage(slot, node, ImageFor(pCheck->m_nBase, StatusChecking));
    item.SetStatus(StatusChecking);

    slot.m_dwError = 0;
    slot.m_nHttpStatus = 0;
    slot.m_retryAfter.reset();
    const bool bContentChecks = slot.m_bContentChecks;
    const auto timeout = CheckTimeout(slot);
    pCheck->m_deadline = std::chrono::steady_clock::now() + timeout;
    pCheck->m_read = ContentReadOptions(pCheck->m_facts);
    CCheckHelperPool* const pJudges = &judges;
    pEngine->Submit(item.m_strUrl, timeout, bContentChecks ? &pCheck->m_read : nullptr,
                    [pCheck, pJudges, bContentChecks](HttpCheckResult result, bool bAborted) {
                        CEngineCheck& check = *pCheck;
                        if (bAborted) {
                            EndAborted(check);
                            return;
                        }
                        WorkerSlot& slot = *check.m_pSlot;
                        slot.m_dwError = result.m_dwError;
                        slot.m_nHttpStatus = result.m_nHttpStatus.value_or(0);
                        slot.m_retryAfter = ParseRetryAfter(result.m_strRetryAfter, std::time(nullptr));
                        CheckOutcome outcome = ClassifyCheck(result);
                        if (!bContentChecks || outcome.m_nStatus != StatusValid) {
                            Record(check, std::move(outcome), result);
                            return;
                        }
                        // Judging the page may ask its site once more and
                        // wait for that answer: not on the engine's thread.
                        pJudges->Post([pCheck, result = std::move(result), outcome = std::move(outcome)]() mutable {
                            CEngineCheck& check = *pCheck;
                            WorkerSlot& slot = *check.m_pSlot;
                            bool bAborted = true;
                            if (std::shared_ptr<CTransferEngine> pEngine = check.m_pEngine.lock()) {
                                CHttpClient client(pEngine);
                                CPageProbeCache ownProbes;
                                CPageProbeCache& probes = slot.m_pProbes ? *slot.m_pProbes : ownProbes;
                                if (auto judged = OutcomeForVerdict(JudgeAnswer(check.m_pItem->m_strUrl, result,
                                                                                check.m_facts, client, probes,
                                                                                check.m_deadline)))
                                    outcome = std::move(*judged);
                                bAborted = pEngine->IsAborted();
                            }
                            if (bAborted)
                                EndAborted(check); // stopped while it was judged: it counts as not checked
                            else
                                Record(check, std::move(outcome), result);
                        });
                    });
}
