// Delete All Broken on temporary copies: which statuses are offered, the
// deletion one file after another with the successful ones taken out of the
// view in order, a read-only file and a channel folder that stay with their
// lines, and the summary sentences in their three forms.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "ScanTestFiles.h"
#include "model/DeleteBroken.h"
#include "model/LinkStatus.h"

using namespace scantest;

TEST(DeleteBrokenList, BrokenAloneOrWithThePartiallyValidOnes)
{
    EXPECT_TRUE(IsListedForDeletion(StatusBroken, false));
    EXPECT_FALSE(IsListedForDeletion(StatusPartiallyValid, false));
    EXPECT_TRUE(IsListedForDeletion(StatusPartiallyValid, true));
    EXPECT_TRUE(IsListedForDeletion(StatusBroken, true));
    for (std::int32_t nStatus : {StatusNotChecked, StatusChecking, StatusValid, StatusUnverified, StatusSkipped,
                                 StatusMoved, StatusAuthRequired})
        EXPECT_FALSE(IsListedForDeletion(nStatus, true)) << nStatus;
    EXPECT_EQ(DeleteBrokenMask(false), 4);
    EXPECT_EQ(DeleteBrokenMask(true), 68);
}

TEST(DeleteBrokenList, SummarySentences)
{
    EXPECT_EQ(DeleteBrokenSummary(2, 1), "2 of the broken links were deleted successfully.  Below is the error for "
                                         "the 1 that could not be deleted.");
    EXPECT_EQ(DeleteBrokenSummary(0, 2), "None of the broken links were deleted successfully.  Below are the errors "
                                         "for the 2 that could not be deleted.");
    EXPECT_EQ(DeleteBrokenSummary(0, 1), "None of the broken links were deleted successfully.  Below is the error "
                                         "for the 1 that could not be deleted.");
}

class DeleteBrokenFiles : public ::testing::Test {
protected:
    TempFolder m_dir;
    std::shared_ptr<FavoriteItem> Favorite(const std::string& strName, const std::string& strFile)
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = strName;
        pItem->m_strPath = m_dir / strFile;
        pItem->SetStatus(StatusBroken);
        return pItem;
    }
    std::vector<std::string> m_deleted;
    std::function<void(const FavoriteItem&)> Recorder()
    {
        return [this](const FavoriteItem& item) { m_deleted.push_back(item.m_strName); };
    }
};

TEST_F(DeleteBrokenFiles, TwoDeletedAndOneReadOnly)
{
    WriteFile(m_dir / "A.url", "a");
    WriteFile(m_dir / "B.url", "b");
    WriteFile(m_dir / "C.url", "c");
    ::chmod((m_dir / "B.url").c_str(), 0444);
    const auto outcome = DeleteBrokenFavorites(
        {Favorite("Alpha", "A.url"), Favorite("Beta", "B.url"), Favorite("Gamma", "C.url")}, Recorder());
    EXPECT_EQ(outcome.m_nDeleted, 2);
    EXPECT_EQ(outcome.m_nFailed, 1);
    EXPECT_EQ(outcome.m_strErrors, "Could not delete \"Beta\": Permission denied");
    EXPECT_EQ(m_deleted, (std::vector<std::string>{"Alpha", "Gamma"}));
    struct stat st{};
    EXPECT_NE(::stat((m_dir / "A.url").c_str(), &st), 0);
    EXPECT_EQ(::stat((m_dir / "B.url").c_str(), &st), 0);
    EXPECT_NE(::stat((m_dir / "C.url").c_str(), &st), 0);
}

TEST_F(DeleteBrokenFiles, NoneDeletedGivesOneLinePerFailure)
{
    WriteFile(m_dir / "Chan/desktop.ini", "[Channel]\r\n");
    const auto outcome =
        DeleteBrokenFavorites({Favorite("Gone", "Gone.url"), Favorite("Channel", "Chan")}, Recorder());
    EXPECT_EQ(outcome.m_nDeleted, 0);
    EXPECT_EQ(outcome.m_nFailed, 2);
    EXPECT_EQ(outcome.m_strErrors, "Could not delete \"Gone\": No such file or directory\r\n"
                                   "Could not delete \"Channel\": Is a directory");
    EXPECT_TRUE(m_deleted.empty());
    struct stat st{};
    EXPECT_EQ(::stat((m_dir / "Chan/desktop.ini").c_str(), &st), 0);
}
