// The report of a check: six sentences with the singular for exactly one,
// each with the image of its status, counting only favourites whose check
// has ended.
#include <gtest/gtest.h>

#include "core/model/LinkStatus.h"
#include "core/report/CheckReport.h"

namespace {

std::vector<std::shared_ptr<FavoriteItem>> ItemsWith(std::initializer_list<std::int32_t> statuses)
{
    std::vector<std::shared_ptr<FavoriteItem>> items;
    for (const std::int32_t nStatus : statuses) {
        items.push_back(std::make_shared<FavoriteItem>());
        items.back()->SetStatus(nStatus);
    }
    return items;
}

std::vector<std::string> Texts(const ReportCounts& counts)
{
    std::vector<std::string> texts;
    for (const ReportLine& line : ReportLines(counts))
        texts.push_back(line.m_strText);
    return texts;
}

TEST(CheckReport, OneOfEachReadsInTheSingular)
{
    const auto items = ItemsWith({StatusSkipped, StatusBroken, StatusPartiallyValid, StatusMoved, StatusValid,
                                  StatusUnverified});
    EXPECT_EQ(Texts(CountReport(items)), (std::vector<std::string>{
                                             "1 link was skipped",
                                             "1 link appears to be broken",
                                             "1 link is \"partially\" broken",
                                             "1 link appears to have have its target moved",
                                             "1 link is still valid",
                                             "1 link could not be tested correctly",
                                         }));
}

TEST(CheckReport, NoneAndManyReadInThePlural)
{
    EXPECT_EQ(Texts({}), (std::vector<std::string>{
                             "0 links were skipped",
                             "0 links appear to be broken",
                             "0 links are \"partially\" broken",
                             "0 links appear to have have their target moved",
                             "0 links are still valid",
                             "0 links could not be tested correctly",
                         }));
    const ReportCounts many{2, 3, 4, 5, 6, 7};
    EXPECT_EQ(Texts(many)[0], "5 links were skipped");
    EXPECT_EQ(Texts(many)[3], "6 links appear to have have their target moved");
}

TEST(CheckReport, ImagesAreThoseOfEachStatus)
{
    std::vector<int> images;
    for (const ReportLine& line : ReportLines({}))
        images.push_back(line.m_nImage);
    EXPECT_EQ(images, (std::vector<int>{25, 4, 32, 28, 8, 12}));
}

TEST(CheckReport, CountsTakeOnlyFinishedOutcomes)
{
    // Authorisation required joins the unverified; favourites still waiting
    // or being checked, unknown values and empty entries count nowhere.
    auto items = ItemsWith({StatusAuthRequired, StatusAuthRequired, StatusUnverified, StatusNotChecked,
                            StatusChecking, 3, 256, StatusValid, StatusPartiallyValid, StatusPartiallyValid});
    items.push_back(nullptr);
    const ReportCounts counts = CountReport(items);
    EXPECT_EQ(counts.m_nUnverified, 3);
    EXPECT_EQ(counts.m_nValid, 1);
    EXPECT_EQ(counts.m_nPartial, 2);
    EXPECT_EQ(counts.m_nBroken + counts.m_nSkipped + counts.m_nMoved, 0);
}

} // namespace
