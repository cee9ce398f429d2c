// Which outcomes are problems the user has to look at: every outcome the
// report counts as a finding other than valid and skipped. A favourite not
// yet checked, or being checked, is none; neither is a value no status has.
#include <gtest/gtest.h>

#include "core/model/LinkStatus.h"

TEST(ProblemStatus, TheOutcomesThatNeedTheUsersEye)
{
    EXPECT_TRUE(IsProblemStatus(StatusBroken));
    EXPECT_TRUE(IsProblemStatus(StatusPartiallyValid));
    EXPECT_TRUE(IsProblemStatus(StatusMoved));
    EXPECT_TRUE(IsProblemStatus(StatusAuthRequired));
    EXPECT_TRUE(IsProblemStatus(StatusUnverified));

    EXPECT_FALSE(IsProblemStatus(StatusValid));
    EXPECT_FALSE(IsProblemStatus(StatusSkipped));
    EXPECT_FALSE(IsProblemStatus(StatusNotChecked));
    EXPECT_FALSE(IsProblemStatus(StatusChecking));
    EXPECT_FALSE(IsProblemStatus(3));
    EXPECT_FALSE(IsProblemStatus(-1));
}

TEST(ProblemStatus, EveryBrokenOutcomeIsAProblem)
{
    // What Delete All Broken and the broken count take can never be hidden
    // by the filter of problems.
    for (const LinkStatusInfo& info : LinkStatusTable()) {
        if (info.m_bIsBroken) {
            EXPECT_TRUE(IsProblemStatus(info.m_nStatus)) << info.m_strName;
        }
    }
}
