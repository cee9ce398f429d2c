// Stopping a pass: running checks are waited for while the caller's pump
// keeps running; favourites not yet reached keep what they had; workers
// still busy after the time-out are counted out, their outcomes dropped and
// their slots never handed out again while they run; the finished message
// still comes, and nothing reaches the tree once Stop has returned.
#include <atomic>
#include <thread>

#include "CheckPassFixture.h"
#include "core/check/WorkerSlotTable.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

} // namespace

class CheckStop : public CheckPassFixture {};

TEST_F(CheckStop, WaitsForRunningChecksPumpingMeanwhileAndLeavesTheRestAsItWas)
{
    for (int i = 0; i < 20; ++i)
        Add("http://h/" + std::to_string(i));
    auto pLater = m_sink.Items().back();
    pLater->SetOutcome(StatusValid, "from the last pass");

    std::atomic<int> nStarted{0};
    auto pPass = StartPass(2, [&](WorkerSlot& slot) {
        ++nStarted;
        std::this_thread::sleep_for(300ms); // a check bounded by its own time-out
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
    });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return nStarted.load() >= 2; }));

    int nPumps = 0;
    bool bStoppingSeen = false;
    const auto tStop = Clock::now();
    const int nCountedOut = pPass->Stop([&] {
        ++nPumps;
        bStoppingSeen = bStoppingSeen || m_pState->m_bStopping.load();
    });
    const auto nWaited = MillisecondsSince(tStop);

    EXPECT_EQ(nCountedOut, 0);
    EXPECT_GT(nPumps, 3);
    EXPECT_TRUE(bStoppingSeen);
    EXPECT_FALSE(m_pState->m_bStopping.load());
    EXPECT_LT(nWaited, 2000);
    EXPECT_EQ(nStarted.load(), 2); // a stop beats any new work
    EXPECT_EQ(pLater->Status(), StatusValid);
    EXPECT_EQ(pLater->StatusText(), "from the last pass");
    EXPECT_EQ(m_sink.Items()[0]->StatusText(), "Link is valid.");
    EXPECT_TRUE(pPass->IsFinished());
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckStop, StopRightAfterStartIsNotLost)
{
    for (int i = 0; i < 200; ++i)
        Add("http://h/" + std::to_string(i));
    std::atomic<int> nChecks{0};
    auto pPass = StartPass(1, [&](WorkerSlot& slot) {
        ++nChecks;
        std::this_thread::sleep_for(5ms);
    });
    ASSERT_NE(pPass, nullptr);
    EXPECT_EQ(pPass->Stop(), 0);
    EXPECT_LE(nChecks.load(), 2);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckStop, StragglersAreCountedOutAfterTheTimeoutAndTheirOutcomesDropped)
{
    for (int i = 0; i < 5; ++i)
        Add("http://h/" + std::to_string(i));
    const auto pRelease = std::make_shared<ManualResetEvent>();
    std::atomic<int> nStarted{0};
    std::atomic<const WorkerSlot*> pHungSlot{nullptr};
    auto pPass = StartPass(3, [&, pRelease](WorkerSlot& slot) {
        pHungSlot = &slot;
        ++nStarted;
        pRelease->Wait(30s); // a check that ignores every time-out
        RecordFakeOutcome(slot, StatusBroken, "late");
    }, 400);
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return nStarted.load() >= 3; }));

    const auto tStop = Clock::now();
    EXPECT_EQ(pPass->Stop(), 3);
    const auto nWaited = MillisecondsSince(tStop);
    EXPECT_GE(nWaited, 400 + 1000); // the time-out and its second of grace
    EXPECT_LT(nWaited, 400 + 1000 + 1500);
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 0);
    EXPECT_EQ(CCheckPass::StragglerCount(), 3);
    EXPECT_EQ(CheckDoneCount(), 1);
    EXPECT_FALSE(CCheckPass::IsPassRunning());

    // A new pass must not reuse a slot whose thread still runs.
    const WorkerSlot* pOld = pHungSlot.load();
    std::atomic<const WorkerSlot*> pNewSlot{nullptr};
    {
        MemoryTreeSink other;
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = "http://h/new";
        other.InsertNode(kTreeRoot, "new", 0, pItem);
        auto pSecond = CCheckPass::Start(other, m_pState, other.List(), m_pTreeLock, m_pStop, CheckPassOptions::Window(3, 1000),
                                         [&](WorkerSlot& slot) { pNewSlot = &slot; });
        ASSERT_NE(pSecond, nullptr);
        ASSERT_TRUE(pSecond->WaitFinished(20s));
        ASSERT_NE(pNewSlot.load(), nullptr);
        EXPECT_NE(pNewSlot.load(), pOld);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NE(CWorkerSlotTable::Instance().At(i).get(), pOld);
    }

    const size_t nImageChanges = m_sink.ImageLog().size();
    const int nBroken = m_pState->m_nBrokenCount.load();
    pPass.reset(); // the view forgets the pass; the stragglers keep what they need
    pRelease->Set();
    ASSERT_TRUE(CCheckPass::WaitForStragglers(20s));
    EXPECT_EQ(m_sink.ImageLog().size(), nImageChanges); // nothing reached the tree
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), nBroken);          // their broken outcomes do not count
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 0);
    for (const auto& pItem : m_sink.Items())
        EXPECT_NE(pItem->StatusText(), "late");
}

TEST_F(CheckStop, StopAfterThePassEndedReturnsAtOnce)
{
    Add("http://h/0");
    auto pPass = StartPass(1, [](WorkerSlot& slot) { RecordFakeOutcome(slot, StatusValid, "v"); });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));
    const auto t = Clock::now();
    EXPECT_EQ(pPass->Stop(), 0);
    EXPECT_LT(MillisecondsSince(t), 500);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckStop, DroppingTheHandleOfAFinishedPassLeavesTheStopEventAlone)
{
    Add("http://h/0");
    auto pPass = StartPass(1, [](WorkerSlot&) {});
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));
    pPass.reset();
    EXPECT_FALSE(m_pStop->IsSet()); // it is also the population's stop event
}

namespace {

// A view that handles the finished message before the dispatcher has
// quite returned from posting it.
class SlowPostSink : public MemoryTreeSink {
public:
    void PostToView(ViewEvent message) override
    {
        MemoryTreeSink::PostToView(message);
        m_hPosted.Set();
        std::this_thread::sleep_for(100ms);
    }
    ManualResetEvent m_hPosted;
};

} // namespace

TEST_F(CheckStop, DroppingThePassOnItsFinishedMessageNeitherStopsNorWaitsLong)
{
    SlowPostSink sink;
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strUrl = "http://h/0";
    sink.InsertNode(kTreeRoot, "0", 0, pItem);
    auto pPass = CCheckPass::Start(sink, m_pState, sink.List(), m_pTreeLock, m_pStop, CheckPassOptions::Window(1, 5000),
                                   [](WorkerSlot&) {});
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(sink.m_hPosted.Wait(20s));
    pPass.reset();
    EXPECT_FALSE(m_pStop->IsSet());
    EXPECT_FALSE(m_pState->m_bStopping.load());
}
