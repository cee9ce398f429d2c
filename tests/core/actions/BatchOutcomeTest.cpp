// The one loop of the commands that act on many favourites at once: every
// record is tried in order and one failure stops nothing; a record the
// command turns down, or a null one, is passed by and counted nowhere; only
// a success is reported on; the failures' lines keep the records' order,
// CR LF between them, and read with the command's verb.

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/actions/BatchOutcome.h"
#include "core/actions/FavoriteFiles.h"

namespace {

constexpr BatchTexts kTexts{"mend", "odd links", "mended", "", "", "", "", ""};

std::shared_ptr<FavoriteItem> Record(std::string strName)
{
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strName = std::move(strName);
    pItem->m_strPath = "/nowhere/" + pItem->m_strName + ".url";
    return pItem;
}

} // namespace

TEST(BatchRun, FailuresStopNothingAndPassedByRecordsCountNowhere)
{
    const auto pA = Record("A");
    const auto pLocked = Record("Locked");
    const auto pSkipped = Record("Skipped");
    const auto pGone = Record("Gone");
    const auto pB = Record("B");
    std::vector<std::string> tried;
    std::vector<std::string> done;
    const BatchOutcome outcome = RunBatch(
        {pA, nullptr, pLocked, pSkipped, pGone, pB}, kTexts,
        [](const FavoriteItem& item) { return item.m_strName != "Skipped"; },
        [&](FavoriteItem& item) {
            tried.push_back(item.m_strName);
            if (item.m_strName == "Locked")
                return EACCES;
            if (item.m_strName == "Gone")
                return ENOENT;
            return 0;
        },
        [&](FavoriteItem& item) { done.push_back(item.m_strName); });

    EXPECT_EQ(tried, (std::vector<std::string>{"A", "Locked", "Gone", "B"}));
    EXPECT_EQ(done, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(outcome.m_nDone, 2);
    EXPECT_EQ(outcome.m_nFailed, 2);
    EXPECT_EQ(outcome.m_strErrors, "Could not mend \"Locked\": " + FavoriteFileErrorText(EACCES, pLocked->m_strPath) +
                                       "\r\nCould not mend \"Gone\": " +
                                       FavoriteFileErrorText(ENOENT, pGone->m_strPath));
    EXPECT_EQ(BatchSummary(kTexts, outcome), "2 of the odd links were mended successfully.  Below are the errors for "
                                             "the 2 that could not be mended.");
}

TEST(BatchRun, WithoutAFilterOrAListenerEveryRecordIsTried)
{
    int nTried = 0;
    const BatchOutcome outcome =
        RunBatch({Record("A"), Record("B")}, kTexts, {},
                 [&](FavoriteItem&) {
                     ++nTried;
                     return 0;
                 },
                 {});
    EXPECT_EQ(nTried, 2);
    EXPECT_EQ(outcome.m_nDone, 2);
    EXPECT_EQ(outcome.m_nFailed, 0);
    EXPECT_TRUE(outcome.m_strErrors.empty());
}
