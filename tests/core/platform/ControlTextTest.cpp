// Control characters (C0, DEL and the C1 characters of UTF-8) in texts from
// outside become blanks where a line must stay whole and U+FFFD where a text
// is shown; every other character, multibyte ones included, stays.
#include <gtest/gtest.h>

#include "core/platform/ControlText.h"

TEST(ControlText, ControlCharactersAreBlanksOrReplacementCharacters)
{
    EXPECT_EQ(ControlsAsBlanks("a\nb\r\nc\td\x1b[2J\x7f" "e"), "a b  c d [2J e");
    EXPECT_EQ(ControlsAsBlanks(std::string("nul\0end", 7)), "nul end");
    EXPECT_EQ(ControlsAsBlanks("next\xC2\x85line \xC2\x9B" "31m"), "next line  31m");
    EXPECT_EQ(ControlsAsReplacementCharacters("/new\r\nSet-Cookie: x"), "/new\xEF\xBF\xBD\xEF\xBF\xBDSet-Cookie: x");
    EXPECT_EQ(ControlsAsReplacementCharacters("\xC2\x9B"), "\xEF\xBF\xBD");
}

TEST(ControlText, OtherCharactersStayAsTheyAre)
{
    const std::string strPlain = "caf\xC3\xA9 \xC2\xA0nbsp \xE6\x97\xA5 \xF0\x9F\x98\x80 ~";
    EXPECT_EQ(ControlsAsBlanks(strPlain), strPlain);
    EXPECT_EQ(ControlsAsReplacementCharacters(strPlain), strPlain);
    // Bytes that are not UTF-8 are not C1 characters.
    EXPECT_EQ(ControlsAsBlanks("\x85\x9B\xC2"), "\x85\x9B\xC2");
    EXPECT_EQ(ControlCharacterLength(""), 0u);
    EXPECT_EQ(ControlCharacterLength("\xC2\x80x"), 2u);
    EXPECT_EQ(ControlCharacterLength("\tx"), 1u);
}
