// The check settings come back from the store within their ranges, and go
// back to it as the values the program holds.
#include <gtest/gtest.h>

#include "core/settings/CheckSettings.h"
#include "support/MemoryProfile.h"

namespace {

CheckSettings LoadWith(std::initializer_list<std::pair<const char*, int>> values)
{
    MemoryProfile profile;
    for (auto [name, value] : values)
        profile.WriteProfileInt("Settings", name, value);
    CheckSettings settings;
    LoadCheckSettings(profile, settings);
    return settings;
}

} // namespace

TEST(CheckSettings, EmptyStoreGivesDefaultsAndWritesThemBack)
{
    MemoryProfile profile;
    CheckSettings settings;
    LoadCheckSettings(profile, settings);
    EXPECT_EQ(settings.m_nTimeoutMs, 60000);
    EXPECT_EQ(settings.m_nThreadCount, 1);
    EXPECT_FALSE(settings.m_bAutoCheck);

    SaveCheckSettings(profile, settings);
    EXPECT_EQ(profile.m_ints.at("Settings/CommTimeout"), 60);
    EXPECT_EQ(profile.m_ints.at("Settings/Threads"), 1);
    EXPECT_EQ(profile.m_ints.at("Settings/AutoCheck"), 0);
}

TEST(CheckSettings, TimeoutOutsideThirtyToThreeHundredSecondsBecomesSixty)
{
    EXPECT_EQ(LoadWith({{"CommTimeout", 29}}).m_nTimeoutMs, 60000);
    EXPECT_EQ(LoadWith({{"CommTimeout", 30}}).m_nTimeoutMs, 30000);
    EXPECT_EQ(LoadWith({{"CommTimeout", 300}}).m_nTimeoutMs, 300000);
    EXPECT_EQ(LoadWith({{"CommTimeout", 301}}).m_nTimeoutMs, 60000);
    EXPECT_EQ(LoadWith({{"CommTimeout", -30}}).m_nTimeoutMs, 60000);
}

TEST(CheckSettings, ThreadsOutsideOneToSixteenBecomeOne)
{
    EXPECT_EQ(LoadWith({{"Threads", 0}}).m_nThreadCount, 1);
    EXPECT_EQ(LoadWith({{"Threads", -3}}).m_nThreadCount, 1);
    EXPECT_EQ(LoadWith({{"Threads", 1}}).m_nThreadCount, 1);
    EXPECT_EQ(LoadWith({{"Threads", 16}}).m_nThreadCount, 16);
    EXPECT_EQ(LoadWith({{"Threads", 17}}).m_nThreadCount, 1);
}

TEST(CheckSettings, AbsentThreadCountKeepsTheCurrentOne)
{
    MemoryProfile profile;
    CheckSettings settings;
    settings.m_nThreadCount = 7;
    LoadCheckSettings(profile, settings);
    EXPECT_EQ(settings.m_nThreadCount, 7);
}

TEST(CheckSettings, AnyNonZeroAutoCheckIsOnAndIsWrittenAsOne)
{
    MemoryProfile profile;
    profile.WriteProfileInt("Settings", "AutoCheck", 5);
    CheckSettings settings;
    LoadCheckSettings(profile, settings);
    EXPECT_TRUE(settings.m_bAutoCheck);
    SaveCheckSettings(profile, settings);
    EXPECT_EQ(profile.m_ints.at("Settings/AutoCheck"), 1);
}

TEST(CheckSettings, TimeoutIsWrittenInWholeSeconds)
{
    MemoryProfile profile;
    CheckSettings settings{1999, 4, false};
    SaveCheckSettings(profile, settings);
    EXPECT_EQ(profile.m_ints.at("Settings/CommTimeout"), 1);
    EXPECT_EQ(profile.m_ints.at("Settings/Threads"), 4);
}

TEST(CheckSettings, ContentChecksAreOnUnlessTheStoreTurnsThemOff)
{
    EXPECT_TRUE(LoadWith({}).m_bContentChecks);
    EXPECT_TRUE(LoadWith({{"ContentChecks", 1}}).m_bContentChecks);
    EXPECT_FALSE(LoadWith({{"ContentChecks", 0}}).m_bContentChecks);

    MemoryProfile profile;
    CheckSettings settings;
    settings.m_bContentChecks = false;
    SaveCheckSettings(profile, settings);
    EXPECT_EQ(profile.m_ints.at("Settings/ContentChecks"), 0);
    settings.m_bContentChecks = true;
    SaveCheckSettings(profile, settings);
    EXPECT_EQ(profile.m_ints.at("Settings/ContentChecks"), 1);
}
