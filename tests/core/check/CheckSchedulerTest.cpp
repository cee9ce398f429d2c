// A check pass hands every web link to a worker exactly once (in list order
// with one thread), skips folders and file shortcuts with their texts and
// icons (a web link is never taken for a folder of the working directory),
// resets icons and the broken count per pass, passes by favourites
// deleted meanwhile, survives a check that throws, and always ends with one
// ViewEvent::CheckDone.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>

#include "CheckPassFixture.h"
#include "core/check/WorkerSlotTable.h"
#include "support/WorkingDirectory.h"
#include "support/WaitUntil.h"

namespace {

struct CheckLog {
    std::mutex m_mx;
    std::vector<std::string> m_urls;
    std::set<const WorkerSlot*> m_slots;
    std::atomic<int> m_nRunning{0};
    std::atomic<int> m_nMaxRunning{0};

    void Enter(WorkerSlot& slot)
    {
        const int n = ++m_nRunning;
        int nMax = m_nMaxRunning.load();
        while (n > nMax && !m_nMaxRunning.compare_exchange_weak(nMax, n)) {
        }
        std::lock_guard lock(m_mx);
        m_urls.push_back(slot.m_pItem->m_strUrl);
        m_slots.insert(&slot);
    }
    void Leave() { --m_nRunning; }
};

} // namespace

class CheckScheduler : public CheckPassFixture {};

TEST_F(CheckScheduler, OneThreadChecksStrictlyOneAfterAnotherInListOrder)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 25; ++i) {
        expected.push_back("http://127.0.0.1:9/ok/" + std::to_string(i));
        Add(expected.back());
    }
    CheckLog log;
    RunPass(1, [&](WorkerSlot& slot) {
        log.Enter(slot);
        std::this_thread::sleep_for(1ms);
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        log.Leave();
    });
    EXPECT_EQ(log.m_urls, expected);
    EXPECT_EQ(log.m_nMaxRunning.load(), 1);
    EXPECT_EQ(log.m_slots.size(), 1u);
    for (const auto& pItem : m_sink.Items()) {
        EXPECT_EQ(pItem->Status(), StatusValid);
        EXPECT_EQ(pItem->StatusText(), "Link is valid.");
        EXPECT_EQ(m_sink.NodeImage(pItem->m_hItem), 8);
    }
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::CheckDone});
}

TEST_F(CheckScheduler, ManyThreadsCheckEveryLinkExactlyOnceAndNeverMoreAtOnceThanThreads)
{
    for (int i = 0; i < 300; ++i)
        Add("https://example.invalid/" + std::to_string(i));
    CheckLog log;
    RunPass(16, [&](WorkerSlot& slot) {
        log.Enter(slot);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        log.Leave();
    });
    std::vector<std::string> sorted = log.m_urls;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(log.m_urls.size(), 300u);
    EXPECT_LE(log.m_nMaxRunning.load(), 16);
    EXPECT_LE(log.m_slots.size(), 16u);
    EXPECT_GT(log.m_slots.size(), 1u);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckScheduler, ThreadCountOutsideOneToSixteenIsClamped)
{
    for (int i = 0; i < 40; ++i)
        Add("http://h/" + std::to_string(i));
    CheckLog log;
    RunPass(0, [&](WorkerSlot& slot) {
        log.Enter(slot);
        RecordFakeOutcome(slot, StatusValid, "Link is valid.");
        log.Leave();
    });
    EXPECT_EQ(log.m_slots.size(), 1u);
    EXPECT_EQ(log.m_urls.size(), 40u);
}

TEST_F(CheckScheduler, EmptyListEndsAtOnceWithTheFinishedMessage)
{
    std::atomic<int> nChecks{0};
    RunPass(16, [&](WorkerSlot&) { ++nChecks; });
    EXPECT_EQ(nChecks.load(), 0);
    EXPECT_EQ(m_sink.Messages(), std::vector<ViewEvent>{ViewEvent::CheckDone});
    EXPECT_FALSE(CCheckPass::IsPassRunning());
}

TEST_F(CheckScheduler, FoldersAndFileShortcutsAreSkippedWithTheirTextsAndNeverChecked)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zorbel-skip-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "notes.txt") << "x";

    auto pFolder = Add(dir.string(), KindFolder);
    auto pFile = Add((dir / "notes.txt").string(), KindShortcut);
    auto pMissing = Add("/no/such/file.doc", KindShortcut);
    auto pDrive = Add("C:\\Documents\\report.doc", KindShortcut); // one letter is no scheme
    auto pEmpty = Add("", KindChannelLink);

    std::atomic<int> nChecks{0};
    RunPass(4, [&](WorkerSlot&) { ++nChecks; });
    EXPECT_EQ(nChecks.load(), 0);

    EXPECT_EQ(pFolder->StatusText(), "This is a folder on your system.  It will not be checked.");
    for (const auto& p : {pFile, pMissing, pDrive, pEmpty})
        EXPECT_EQ(p->StatusText(),
                  "This appears to be a shortcut to a file on your system.  It will not be checked.")
            << p->m_strUrl;
    for (const auto& p : {pFolder, pFile, pMissing, pDrive, pEmpty}) {
        EXPECT_EQ(p->Status(), StatusSkipped);
        EXPECT_EQ(m_sink.NodeImage(p->m_hItem), 24 + p->m_nKind);
    }
    EXPECT_EQ(CheckDoneCount(), 1);
    std::filesystem::remove_all(dir);
}

TEST_F(CheckScheduler, SecondPassResetsIconsToTheKindAndCountsBrokenFromZero)
{
    Add("http://h/ok");
    auto pBroken = Add("http://h/missing", KindChannelLink);
    Add("http://h/gone");
    auto pSkipped = Add("/local/file", KindShortcut);
    auto check = [](WorkerSlot& slot) {
        const bool bBroken = slot.m_pItem->m_strUrl != "http://h/ok";
        RecordFakeOutcome(slot, bBroken ? StatusBroken : StatusValid, bBroken ? "broken" : "valid");
    };
    RunPass(2, check);
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), 2);
    EXPECT_EQ(m_sink.NodeImage(pBroken->m_hItem), 4 + KindChannelLink);

    RunPass(2, check);
    EXPECT_EQ(m_pState->m_nBrokenCount.load(), 2);
    // Each node went: kind, checking, outcome; then back to the kind first.
    EXPECT_EQ(m_sink.NodeAt(pBroken->m_hItem).m_imageHistory,
              (std::vector<int>{2, 18, 6, 2, 18, 6}));
    EXPECT_EQ(m_sink.NodeAt(pSkipped->m_hItem).m_imageHistory, (std::vector<int>{3, 27, 3, 27}));
    EXPECT_EQ(CheckDoneCount(), 2);
}

TEST_F(CheckScheduler, FavoriteDeletedDuringThePassIsPassedByAndOthersStillChecked)
{
    std::vector<std::shared_ptr<FavoriteItem>> items;
    for (int i = 0; i < 6; ++i)
        items.push_back(Add("http://h/" + std::to_string(i)));
    const std::shared_ptr<FavoriteItem> pDoomed = items[3];
    const TreeNode doomedNode = pDoomed->m_hItem;
    const std::weak_ptr<FavoriteItem> pWatched = items[0];

    CheckLog log;
    auto pPass = StartPass(1, [&](WorkerSlot& slot) {
        log.Enter(slot);
        if (slot.m_pItem->m_strUrl == "http://h/0") {
            // The user deletes one favourite still to come, and the one being
            // checked; the worker keeps working on a record that stays alive.
            m_sink.RemoveItem(pDoomed);
            m_sink.RemoveItem(m_sink.NodeAt(slot.m_pItem->m_hItem).m_pItem);
        }
        RecordFakeOutcome(slot, StatusValid, "valid");
        log.Leave();
    });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));

    EXPECT_EQ(log.m_urls, (std::vector<std::string>{"http://h/0", "http://h/1", "http://h/2",
                                                  "http://h/4", "http://h/5"}));
    EXPECT_EQ(pDoomed->Status(), StatusNotChecked);
    EXPECT_EQ(m_sink.NodeImage(doomedNode), -1); // nothing re-created or painted
    EXPECT_EQ(items[0]->Status(), StatusValid);
    items.clear();
    pPass.reset();
    EXPECT_TRUE(pWatched.expired()); // released once nobody holds it any more
}

TEST_F(CheckScheduler, CheckThatThrowsMarksTheFavoriteAndEndsOnlyItsWorker)
{
    auto pBad = Add("http://h/throw", KindChannelLink);
    for (int i = 0; i < 10; ++i)
        Add("http://h/" + std::to_string(i));
    CheckLog log;
    RunPass(2, [&](WorkerSlot& slot) {
        log.Enter(slot);
        log.Leave();
        if (slot.m_pItem->m_strUrl == "http://h/throw") {
            std::lock_guard lock(*slot.m_pTreeLock);
            slot.m_pSink->SetNodeImage(slot.m_pItem->m_hItem, 16 + KindChannelLink);
            throw std::runtime_error("boom");
        }
        RecordFakeOutcome(slot, StatusValid, "valid");
    });
    EXPECT_EQ(pBad->Status(), StatusUnverified);
    EXPECT_EQ(pBad->StatusText(), "An unexpected Exception occured while checking this Favorite.");
    EXPECT_EQ(m_sink.NodeImage(pBad->m_hItem), 12 + KindChannelLink);
    EXPECT_EQ(log.m_urls.size(), 11u); // the other worker took the rest
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckScheduler, PassEndsWhenItsOnlyWorkerThrowsInsteadOfWaitingForever)
{
    auto pFirst = Add("http://h/first");
    auto pSecond = Add("http://h/second");
    auto pLocal = Add("/local/file", KindShortcut);
    RunPass(1, [&](WorkerSlot&) { throw 42; });
    EXPECT_EQ(pFirst->Status(), StatusUnverified);
    EXPECT_EQ(m_sink.NodeImage(pFirst->m_hItem), 12);
    // Nobody is left to check the rest: it keeps what it had.
    EXPECT_EQ(pSecond->Status(), StatusNotChecked);
    EXPECT_EQ(pLocal->Status(), StatusNotChecked);
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckScheduler, ASecondPassCannotStartWhileOneRuns)
{
    Add("http://h/slow");
    ManualResetEvent release;
    auto pPass = StartPass(1, [&](WorkerSlot&) { release.Wait(10s); });
    ASSERT_NE(pPass, nullptr);
    EXPECT_TRUE(CCheckPass::IsPassRunning());
    EXPECT_EQ(StartPass(1, [](WorkerSlot&) {}), nullptr);
    release.Set();
    ASSERT_TRUE(pPass->WaitFinished(20s));
    EXPECT_FALSE(CCheckPass::IsPassRunning());
    EXPECT_EQ(CheckDoneCount(), 1);
}

TEST_F(CheckScheduler, WorkersAreCountedWhileThePassRuns)
{
    for (int i = 0; i < 4; ++i)
        Add("http://h/" + std::to_string(i));
    ManualResetEvent release;
    std::atomic<int> nStarted{0};
    auto pPass = StartPass(4, [&](WorkerSlot&) {
        ++nStarted;
        release.Wait(10s);
    });
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return nStarted.load() >= 4; }));
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 4);
    EXPECT_EQ(m_sink.Items()[0]->Status(), StatusChecking); // what the GUI sees meanwhile
    release.Set();
    ASSERT_TRUE(pPass->WaitFinished(20s));
    EXPECT_EQ(m_pState->m_nActiveWorkers.load(), 0);
}

TEST_F(CheckScheduler, TextThatLooksLikeAUrlButNamesAFolderIsSkippedAsAFolder)
{
    const auto dir = std::filesystem::temp_directory_path() / "zorbel-urldir";
    std::filesystem::create_directories(dir / "ab:cd");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    auto pItem = Add("ab:cd", KindFolder); // a scheme of two letters, and a folder here
    std::atomic<int> nChecks{0};
    RunPass(1, [&](WorkerSlot&) { ++nChecks; });
    std::filesystem::current_path(cwd);
    std::filesystem::remove_all(dir);

    EXPECT_EQ(nChecks.load(), 0);
    EXPECT_EQ(pItem->Status(), StatusSkipped);
    EXPECT_EQ(pItem->StatusText(), "This is a folder on your system.  It will not be checked.");
    EXPECT_EQ(m_sink.NodeImage(pItem->m_hItem), 25);
}

TEST_F(CheckScheduler, AWebLinkIsCheckedEvenWhenAFolderHereIsSpelledLikeIt)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zorbel-webdir-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    const std::vector<std::string> links{"http://127.0.0.1:18080/404", "HTTPS://example.test/a", "ftp://host/file"};
    for (const std::string& strLink : links) {
        std::string strFolder = strLink;
        strFolder.erase(strFolder.find("//"), 1); // "http:/127.0.0.1:18080/404" is a path
        std::filesystem::create_directories(dir / strFolder);
        Add(strLink);
    }
    std::vector<std::string> checked;
    std::mutex mx;
    {
        WorkingDirectory cwd(dir.string());
        ASSERT_TRUE(std::filesystem::is_directory("http:/127.0.0.1:18080/404"));
        RunPass(1, [&](WorkerSlot& slot) {
            std::lock_guard lock(mx);
            checked.push_back(slot.m_pItem->m_strUrl);
            RecordFakeOutcome(slot, StatusPartiallyValid, "HTTP status code 404");
        });
    }
    std::filesystem::remove_all(dir);
    EXPECT_EQ(checked, links);
    for (const auto& pItem : m_sink.Items())
        EXPECT_EQ(pItem->Status(), StatusPartiallyValid) << pItem->m_strUrl;
}
