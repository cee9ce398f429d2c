// The list of records walked by a check pass while the window removes
// records from it: nothing is skipped or met twice whatever is removed,
// before or after the cursor, and a removed record is marked and stays alive
// for whoever still holds it.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "core/model/FavoriteList.h"

namespace {

std::shared_ptr<CFavoriteList> ListOf(int nCount, std::vector<CFavoriteList::Item>& items)
{
    auto pList = std::make_shared<CFavoriteList>();
    for (int i = 0; i < nCount; ++i) {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strUrl = std::to_string(i);
        items.push_back(pItem);
        pList->Append(pItem);
    }
    return pList;
}

std::string UrlOf(const CFavoriteList::Item& pItem) { return pItem ? pItem->m_strUrl : "end"; }

} // namespace

TEST(FavoriteList, RemovalsBehindAndAheadOfTheCursorSkipNothingElse)
{
    std::vector<CFavoriteList::Item> items;
    auto pList = ListOf(6, items);
    CFavoriteList::CCursor cursor(pList);
    EXPECT_EQ(UrlOf(cursor.Next()), "0");
    EXPECT_EQ(UrlOf(cursor.Next()), "1");
    EXPECT_TRUE(pList->Remove(items[0].get())); // behind: the cursor steps back with the rest
    EXPECT_TRUE(pList->Remove(items[1].get())); // the one just handed out
    EXPECT_TRUE(pList->Remove(items[3].get())); // ahead: never handed out
    EXPECT_EQ(UrlOf(cursor.Next()), "2");
    EXPECT_EQ(UrlOf(cursor.Next()), "4");
    EXPECT_EQ(UrlOf(cursor.Next()), "5");
    EXPECT_EQ(UrlOf(cursor.Next()), "end");
    EXPECT_TRUE(items[3]->m_bRemoved);
    EXPECT_FALSE(items[2]->m_bRemoved);
    EXPECT_FALSE(pList->Remove(items[3].get()));
    EXPECT_EQ(pList->Size(), 3u);
}

TEST(FavoriteList, ClearEndsAWalkAndMarksEveryRecord)
{
    std::vector<CFavoriteList::Item> items;
    auto pList = ListOf(3, items);
    CFavoriteList::CCursor cursor(pList);
    cursor.Next();
    pList->Clear();
    EXPECT_EQ(cursor.Next(), nullptr);
    for (const auto& pItem : items)
        EXPECT_TRUE(pItem->m_bRemoved);
    EXPECT_TRUE(pList->Empty());
}

TEST(FavoriteList, RemovedRecordLivesWhileHeld)
{
    std::vector<CFavoriteList::Item> items;
    auto pList = ListOf(2, items);
    std::weak_ptr<FavoriteItem> pWatched = items[1];
    CFavoriteList::Item pHeld = pList->Find(items[1].get());
    items.clear();
    pList->Remove(pHeld.get());
    EXPECT_FALSE(pWatched.expired());
    EXPECT_EQ(pList->Find(pHeld.get()), nullptr);
    pHeld.reset();
    EXPECT_TRUE(pWatched.expired());
}

// Run under ThreadSanitizer as well: a walker on its own thread while the
// main thread removes every third record.
TEST(FavoriteList, ConcurrentWalkMeetsEachRemainingRecordOnceInOrder)
{
    for (int nRound = 0; nRound < 20; ++nRound) {
        std::vector<CFavoriteList::Item> items;
        auto pList = ListOf(3000, items);
        std::vector<int> seen;
        std::thread walker([&] {
            CFavoriteList::CCursor cursor(pList);
            while (auto pItem = cursor.Next())
                seen.push_back(std::stoi(pItem->m_strUrl));
        });
        for (size_t i = 0; i < items.size(); i += 3)
            pList->Remove(items[i].get());
        walker.join();

        std::set<int> unique(seen.begin(), seen.end());
        ASSERT_EQ(unique.size(), seen.size()) << "a record was met twice";
        ASSERT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        for (size_t i = 0; i < items.size(); ++i) {
            if (i % 3 != 0) {
                ASSERT_TRUE(unique.count(int(i))) << "record " << i << " was skipped";
            }
        }
    }
}
