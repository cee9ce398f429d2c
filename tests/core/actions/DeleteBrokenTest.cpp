// The summary of a Delete All Broken that did not delete everything, in its
// three forms (the deletion itself is tested through the window).

#include <gtest/gtest.h>

#include "core/actions/DeleteBroken.h"

TEST(DeleteBrokenList, SummarySentences)
{
    EXPECT_EQ(DeleteBrokenSummary(2, 1), "2 of the broken links were deleted successfully.  Below is the error for "
                                         "the 1 that could not be deleted.");
    EXPECT_EQ(DeleteBrokenSummary(0, 2), "None of the broken links were deleted successfully.  Below are the errors "
                                         "for the 2 that could not be deleted.");
    EXPECT_EQ(DeleteBrokenSummary(0, 1), "None of the broken links were deleted successfully.  Below is the error "
                                         "for the 1 that could not be deleted.");
}
