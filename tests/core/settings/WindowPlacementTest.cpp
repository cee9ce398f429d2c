// The stored window placement is the 44-byte little-endian record, and only
// a record of that length whose normal rectangle fits the work area is used.
#include <gtest/gtest.h>

#include "core/settings/WindowPlacement.h"

TEST(WindowPlacement, BytesAreLittleEndianInRecordOrder)
{
    WindowPlacement wp;
    wp.m_nShowCmd = WindowPlacement::kShowMaximized;
    wp.m_ptMinX = -1;
    wp.m_ptMinY = -2;
    wp.m_ptMaxX = 3;
    wp.m_ptMaxY = 4;
    wp.m_nLeft = 10;
    wp.m_nTop = 20;
    wp.m_nRight = 0x01020304;
    wp.m_nBottom = 600;
    const std::vector<std::uint8_t> bytes = wp.ToBytes();
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 12)),
              (std::vector<std::uint8_t>{44, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 12, bytes.begin() + 20)),
              (std::vector<std::uint8_t>{0xff, 0xff, 0xff, 0xff, 0xfe, 0xff, 0xff, 0xff}));
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 36, bytes.begin() + 40)),
              (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(WindowPlacement::FromBytes(bytes), wp);
}

TEST(WindowPlacement, OnlyFortyFourBytesAreARecord)
{
    std::vector<std::uint8_t> bytes = WindowPlacement{}.ToBytes();
    EXPECT_TRUE(WindowPlacement::FromBytes(bytes).has_value());
    bytes.pop_back();
    EXPECT_FALSE(WindowPlacement::FromBytes(bytes).has_value());
    bytes.push_back(0);
    bytes.push_back(0);
    EXPECT_FALSE(WindowPlacement::FromBytes(bytes).has_value());
    EXPECT_FALSE(WindowPlacement::FromBytes({}).has_value());
}

TEST(WindowPlacement, NormalRectMustLieWithinTheWorkArea)
{
    WindowPlacement wp;
    wp.m_nLeft = 0;
    wp.m_nTop = 0;
    wp.m_nRight = 1920;
    wp.m_nBottom = 1040;
    EXPECT_TRUE(wp.NormalRectWithin(0, 0, 1920, 1040));
    wp.m_nRight = 1921;
    EXPECT_FALSE(wp.NormalRectWithin(0, 0, 1920, 1040));
    wp.m_nRight = 1920;
    wp.m_nLeft = -1;
    EXPECT_FALSE(wp.NormalRectWithin(0, 0, 1920, 1040));
    wp.m_nLeft = 0;
    wp.m_nBottom = 1041;
    EXPECT_FALSE(wp.NormalRectWithin(0, 0, 1920, 1040));
}
