#include "pages/pages.h"

#include <gtest/gtest.h>

#include <fenv.h>

#include <string>

TEST(CustomRate, TheBoxShowsAsFewDigitsAsTheRateNeeds)
{
    /* "23.976" and its terminator need 7 bytes: 6 are refused untouched. */
    const struct { DWORD rate; size_t size; int result; const char *text; } cases[] = {
        { 30000, 32, 0, "30" },
        { 29500, 32, 0, "29.5" },
        { 25050, 32, 0, "25.05" },
        { 25005, 32, 0, "25.005" },
        { 0, 32, 0, "0" },
        { 23976, 6, 1, "abcdef" },
        { 23976, 7, 0, "23.976" },
    };
    for (const auto &c : cases) {
        char text[32] = "abcdef";
        EXPECT_EQ(c.result, FormatCustomRate(c.rate, text, c.size)) << c.rate << " in " << c.size;
        EXPECT_STREQ(c.text, text);
    }
}

/* Single precision, truncated, held within 10 to 100 fps; a huge number is
 * clamped before it is narrowed, without a floating-point fault. */
TEST(CustomRate, ConversionTruncatesInSinglePrecisionAndClamps)
{
    const struct { std::string text; DWORD rate; } cases[] = {
        { "29.97", 29970 },
        { "16.001", 16000 },
        { "9.999", 10000 },
        { "150", 100000 },
        { "12.3.4", 12300 },
        { "4" + std::string(39, '9'), 100000 },
        { "1e300", 100000 },
        { std::string(254, '9'), 100000 } /* the most the box takes */,
    };
    for (const auto &c : cases) {
        feclearexcept(FE_ALL_EXCEPT);
        EXPECT_EQ(c.rate, ConvertCustomRate(c.text.c_str())) << c.text.substr(0, 12);
        EXPECT_EQ(0, fetestexcept(FE_OVERFLOW | FE_INVALID)) << c.text.substr(0, 12);
    }
}

TEST(CustomRate, CleaningKeepsDigitsAndPointsAndPlacesTheCaret)
{
    const struct { const char *typed, *cleaned; BOOL dropped; int caret; } cases[] = {
        { "a29.97", "29.97", TRUE, 0 },
        { "1a2b3", "123", TRUE, 2 },
        { "29.97", "29.97", FALSE, -1 },
        { "\x80" "3\xff", "3", TRUE, 1 },
    };
    for (const auto &c : cases) {
        char text[32];
        strcpy(text, c.typed);
        int caret = -1;
        EXPECT_EQ(c.dropped, CleanCustomRateText(text, &caret)) << c.typed;
        EXPECT_EQ(c.cleaned + std::string(" caret ") + std::to_string(c.caret),
                  text + std::string(" caret ") + std::to_string(caret));
    }
}
