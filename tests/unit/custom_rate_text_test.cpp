/* What the custom rate box keeps of what is typed: digits and points, nothing else. */
#include "pages/pages.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(CustomRateText, ACommaIsDroppedLikeAnyOtherCharacter)
{
    char text[16] = "29,97";
    int caret = -1;
    EXPECT_TRUE(CleanCustomRateText(text, &caret));
    EXPECT_STREQ("2997", text);
    EXPECT_EQ(2, caret);
}

TEST(CustomRateText, DigitsAndAPointAreKeptWhole)
{
    char text[16] = "29.97";
    int caret = -1;
    EXPECT_FALSE(CleanCustomRateText(text, &caret));
    EXPECT_STREQ("29.97", text);
}
