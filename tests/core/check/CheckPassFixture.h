#pragma once

// Shared set-up of the scheduler tests: an in-memory tree with favourites,
// and fake checks that follow the real checker's protocol (checking icon
// under the tree lock, outcome, broken count, final icon under the lock).

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/check/CheckPass.h"
#include "core/check/WorkerSlot.h"
#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/model/ViewState.h"
#include "support/MemoryTreeSink.h"

using namespace std::chrono_literals;

// What the real checker does to the tree and the record, with a chosen outcome.
inline void RecordFakeOutcome(WorkerSlot& slot, std::int32_t nStatus, std::string strText)
{
    FavoriteItem& item = *slot.m_pItem;
    int nBase = 0;
    {
        std::lock_guard lock(*slot.m_pTreeLock);
        const int nImage = slot.m_pSink->NodeImage(item.m_hItem);
        nBase = nImage < 0 ? 0 : KindFromImage(nImage);
        slot.m_pSink->SetNodeImage(item.m_hItem, nBase + 16);
    }
    item.SetStatus(StatusChecking);
    item.SetOutcome(nStatus, std::move(strText));
    slot.m_pViewState->m_bChecked = true;
    if (LinkStatusInfoFor(nStatus).m_bIsBroken)
        ++slot.m_pViewState->m_nBrokenCount;
    std::lock_guard lock(*slot.m_pTreeLock);
    slot.m_pSink->SetNodeImage(item.m_hItem, ImageFor(nBase, nStatus));
}

class CheckPassFixture : public ::testing::Test {
protected:
    std::shared_ptr<FavoriteItem> Add(std::string strUrl, int nKind = KindInternetFavorite)
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = std::move(strUrl);
        pItem->m_strName = pItem->m_strUrl;
        pItem->m_nKind = nKind;
        m_sink.InsertNode(kTreeRoot, pItem->m_strName, nKind, pItem);
        return pItem;
    }

    std::unique_ptr<CCheckPass> StartPass(int nThreads, CCheckPass::CheckFunction check,
                                          int nTimeoutMs = 0)
    {
        CheckPassOptions options = CheckPassOptions::Window(nThreads, nTimeoutMs ? nTimeoutMs : m_nPassTimeoutMs);
        options.m_bContentChecks = m_bContentChecks;
        return CCheckPass::Start(m_sink, m_pState, m_sink.List(), m_pTreeLock, m_pStop, options, std::move(check));
    }

    // Runs a pass to its end; fails the test if it does not end in time.
    void RunPass(int nThreads, CCheckPass::CheckFunction check)
    {
        auto pPass = StartPass(nThreads, std::move(check));
        ASSERT_NE(pPass, nullptr);
        ASSERT_TRUE(pPass->WaitFinished(20s));
    }

    int CheckDoneCount() const
    {
        int n = 0;
        for (ViewEvent m : m_sink.Messages())
            n += m == ViewEvent::CheckDone;
        return n;
    }

    void TearDown() override
    {
        EXPECT_TRUE(CCheckPass::WaitForStragglers(20s));
        EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 0);
        EXPECT_FALSE(m_pState->m_bStopping.load());
    }

    // The time-out and the content checks of the passes StartPass starts.
    int m_nPassTimeoutMs = 5000;
    bool m_bContentChecks = true;
    MemoryTreeSink m_sink;
    std::shared_ptr<CViewState> m_pState = std::make_shared<CViewState>();
    std::shared_ptr<std::mutex> m_pTreeLock = std::make_shared<std::mutex>();
    std::shared_ptr<ManualResetEvent> m_pStop = std::make_shared<ManualResetEvent>();
};
