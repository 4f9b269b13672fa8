#include "pages/pages.h"

#include <gtest/gtest.h>

#include <fenv.h>

#include <string>

#include <string>

TEST(CustomRate, DisplayRuleShowsAsFewDigitsAsTheRateNeeds)
{
    struct DisplayCase {
        DWORD rate;
        const char *text;
    };
    static const DisplayCase cases[] = {
        { 30000, "30" }, { 29500, "29.5" }, { 29970, "29.97" }, { 25050, "25.05" }, { 23976, "23.976" },
        { 25005, "25.005" }, { 0, "0" }, { 100000, "100" }, { 10000, "10" }, { 4294967295UL, "4294967.295" },
    };
    for (const DisplayCase &c : cases) {
        SCOPED_TRACE(c.rate);
        char text[32];
        ASSERT_EQ(0, FormatCustomRate(c.rate, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
    char small[4] = "abc";
    EXPECT_EQ(1, FormatCustomRate(23976, small, sizeof small));
    EXPECT_STREQ("abc", small);
}

TEST(CustomRate, ConversionTruncatesInSinglePrecisionAndClamps)
{
    struct ConversionCase {
        const char *text;
        DWORD rate;
    };
    static const ConversionCase cases[] = {
        { "29.97", 29970 }, { "16.001", 16000 }, { "5", 10000 }, { "150", 100000 },
        { "99999999999999999999999999999999999999999999999", 100000 }, { "12.3.4", 12300 }, { ".", 10000 },
        { "...", 10000 }, { "10", 10000 }, { "100", 100000 }, { "23.976", 23976 }, { "0.5", 10000 },
    };
    for (const ConversionCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.rate, ConvertCustomRate(c.text));
    }
}

/* Any number the box can hold converts without a floating-point overflow or
 * an invalid conversion: the clamp happens before narrowing. */
TEST(CustomRate, HugeNumbersAreClampedBeforeNarrowing)
{
    const std::string digits254 = "1" + std::string(253, '0');
    const std::string huge[] = { digits254, "4" + std::string(39, '9'), "1e300" };
    for (const std::string &text : huge) {
        SCOPED_TRACE(text.substr(0, 12));
        feclearexcept(FE_ALL_EXCEPT);
        EXPECT_EQ(100000u, ConvertCustomRate(text.c_str()));
        EXPECT_EQ(0, fetestexcept(FE_OVERFLOW | FE_INVALID));
    }
}

TEST(CustomRate, CleaningKeepsDigitsAndPointsAndPlacesTheCaret)
{
    struct CleanCase {
        const char *typed;
        const char *cleaned;
        BOOL dropped;
        int caret;
    };
    static const CleanCase cases[] = {
        { "2a9.97", "29.97", TRUE, 1 },
        { "a29.97", "29.97", TRUE, 0 },
        { "29.97x", "29.97", TRUE, 5 },
        { "2,5", "25", TRUE, 1 },
        { "1a2b3", "123", TRUE, 2 },
        { "29.97", "29.97", FALSE, -1 },
        { "\x80" "3\xff", "3", TRUE, 1 },
        { " 30", "30", TRUE, 0 },
    };
    for (const CleanCase &c : cases) {
        SCOPED_TRACE(c.typed);
        char text[32];
        strcpy(text, c.typed);
        int caret = -1;
        EXPECT_EQ(c.dropped, CleanCustomRateText(text, &caret));
        EXPECT_STREQ(c.cleaned, text);
        EXPECT_EQ(c.caret, caret);
    }
}

TEST(ChosenFolder, PathsLongerThan255CharactersAreRefusedWhole)
{
    char destination[256];
    memset(destination, 'x', sizeof destination);
    destination[255] = '\0';
    const std::string before(destination);
    for (size_t length : { 256, 259 }) {
        std::string tooLong = "C:\\" + std::string(length - 3, 'f');
        EXPECT_EQ(1, CopyChosenFolder(destination, tooLong.c_str())) << length;
        EXPECT_EQ(before, std::string(destination)) << length;
    }
    std::string longest = "C:\\" + std::string(252, 'f');
    EXPECT_EQ(0, CopyChosenFolder(destination, longest.c_str()));
    EXPECT_EQ(longest, std::string(destination));

    EXPECT_EQ(0, CopyChosenFolder(destination, "D:\\Movies"));
    EXPECT_STREQ("D:\\Movies", destination);
    for (int i = 9; i < 256; i++)
        ASSERT_EQ('\0', destination[i]) << i;
}
