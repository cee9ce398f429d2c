// Pins the text conversions behind favourite names and URLs: UTF-8
// validation and repair, Windows-1252, UTF-16 and UTF-7 decoding, including
// the malformed input that must be refused or replaced rather than passed on.

#include <gtest/gtest.h>

#include "core/shortcuts/TextEncoding.h"

namespace {

TEST(TextEncodingUtf8, RefusesOverlongSurrogateAndTruncatedForms)
{
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE2\x82",
                            "\x80", "\xFF"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(TextEncodingUtf8, ReplacesEachBadSequenceOnce)
{
    EXPECT_EQ(SanitizeUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(SanitizeUtf8("a\xE2\x82" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(SanitizeUtf8("\xC3\xA9"), "\xC3\xA9");
}

TEST(TextEncodingWindows1252, MapsTheHighHalfAsWindowsDoes)
{
    EXPECT_EQ(Windows1252ToUtf8("\x80\x99\xE9\x81"), "\xE2\x82\xAC\xE2\x84\xA2\xC3\xA9\xC2\x81");
    EXPECT_EQ(Utf8OrWindows1252("\xC3\xA9"), "\xC3\xA9");
    EXPECT_EQ(Utf8OrWindows1252("\xE9"), "\xC3\xA9");
}

TEST(TextEncodingUtf16, DecodesPairsAndReplacesLoneSurrogates)
{
    EXPECT_EQ(Utf16ToUtf8(std::string("A\0\x3D\xD8\x00\xDE", 6), false), "A\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::string("\0A", 2), true), "A");
    EXPECT_EQ(Utf16ToUtf8(std::string("\x3D\xD8" "A\0", 4), false), "\xEF\xBF\xBD" "A");
    EXPECT_EQ(Utf16ToUtf8(std::string("A\0B", 3), false), "A\xEF\xBF\xBD");
}

TEST(TextEncodingUtf7, DecodesShiftedSequences)
{
    EXPECT_EQ(DecodeUtf7("Hi Mom -+Jjo--!"), "Hi Mom -\xE2\x98\xBA-!");
    EXPECT_EQ(DecodeUtf7("+ZeVnLIqe-"), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    EXPECT_EQ(DecodeUtf7("1 +- 1"), "1 + 1");
    EXPECT_EQ(DecodeUtf7("+2D3eAA-"), "\xF0\x9F\x98\x80"); // a surrogate pair
    EXPECT_EQ(DecodeUtf7("+AOk."), "\xC3\xA9.");             // ends at a non-base64 character
}

TEST(TextEncodingUtf7, RefusesMalformedInput)
{
    EXPECT_EQ(DecodeUtf7("+2D0-"), std::nullopt);  // lone high surrogate
    EXPECT_EQ(DecodeUtf7("+3gA-"), std::nullopt);  // lone low surrogate
    EXPECT_EQ(DecodeUtf7("+AOl-"), std::nullopt);  // non-zero leftover bits
    EXPECT_EQ(DecodeUtf7("\xC3\xA9"), std::nullopt); // not 7-bit
}

} // namespace
