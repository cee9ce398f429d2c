// What a pass tells its caller as outcomes are found (the results cache
// keeps them this way): each checked favourite once, with its outcome
// already in the record; a skipped one never; an answer that is tried again
// only when its last try is done.
#include <map>
#include <mutex>
#include <string>

#include "CheckPassFixture.h"

namespace {

struct Told {
    std::mutex m_mx;
    std::map<std::string, std::vector<std::int32_t>> m_statuses; // by URL, in order

    std::function<void(const FavoriteItem&)> Hook()
    {
        return [this](const FavoriteItem& item) {
            std::lock_guard lock(m_mx);
            m_statuses[item.m_strUrl].push_back(item.Status());
        };
    }
};

} // namespace

class CheckPassOutcomeHook : public CheckPassFixture {};

TEST_F(CheckPassOutcomeHook, EachCheckedFavouriteIsToldOnceAndSkippedOnesNever)
{
    Add("http://a.example/1");
    Add("http://b.example/2");
    Add("http://c.example/3");
    Add("/nowhere/notes.txt", KindShortcut);
    Told told;
    CheckPassOptions options = CheckPassOptions::Window(3, 5000);
    options.m_onOutcome = told.Hook();
    auto pPass = CCheckPass::Start(m_sink, m_pState, m_sink.List(), m_pTreeLock, m_pStop, options,
                                   [](WorkerSlot& slot) {
                                       if (slot.m_pItem->m_strUrl.ends_with("/3"))
                                           throw std::runtime_error("the check failed");
                                       RecordFakeOutcome(slot, slot.m_pItem->m_strUrl.ends_with("/2") ? StatusBroken
                                                                                                       : StatusValid,
                                                         "outcome");
                                   });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));
    std::lock_guard lock(told.m_mx);
    EXPECT_EQ(told.m_statuses, (std::map<std::string, std::vector<std::int32_t>>{
                                   {"http://a.example/1", {StatusValid}},
                                   {"http://b.example/2", {StatusBroken}},
                                   {"http://c.example/3", {StatusUnverified}}, // the check threw: that is its outcome
                               }));
    EXPECT_EQ(m_sink.Items()[3]->Status(), StatusSkipped);
}

TEST_F(CheckPassOutcomeHook, ALinkTriedAgainIsToldOnlyWithItsLastAnswer)
{
    Add("http://later.example/page");
    Add("http://now.example/page");
    Told told;
    std::atomic<int> nTries{0};
    CheckPassOptions options = CheckPassOptions::Console(5000);
    options.m_nRetries = 2;
    options.m_onOutcome = told.Hook();
    auto pPass = CCheckPass::Start(m_sink, m_pState, m_sink.List(), m_pTreeLock, m_pStop, options,
                                   [&](WorkerSlot& slot) {
                                       if (slot.m_pItem->m_strUrl.starts_with("http://later.") && ++nTries < 3) {
                                           slot.m_nHttpStatus = 503;
                                           slot.m_retryAfter = 0s;
                                           RecordFakeOutcome(slot, StatusUnverified, "busy");
                                           return;
                                       }
                                       slot.m_nHttpStatus = 200;
                                       RecordFakeOutcome(slot, StatusValid, "Link is valid.");
                                   });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));
    EXPECT_EQ(nTries.load(), 3);
    std::lock_guard lock(told.m_mx);
    EXPECT_EQ(told.m_statuses, (std::map<std::string, std::vector<std::int32_t>>{
                                   {"http://later.example/page", {StatusValid}},
                                   {"http://now.example/page", {StatusValid}},
                               }));
}
