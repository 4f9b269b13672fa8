/* The tab row's edges in the 400 x 300 design space: each tab's first and last column, the row's first and last
 * line, and the title band above it. */
#include "pages/pages.h"

#include <gtest/gtest.h>

TEST(TabRow, EachTabRunsFromItsFirstToItsLastColumn)
{
    static const struct { INT32 x; int tab; } cases[] = {
        { 9, -1 },
        { 10, 0 },
        { 74, 0 },
        { 75, 1 },
        { 120, 1 },
        { 121, 2 },
        { 180, 2 },
        { 181, 3 },
        { 266, 3 },
        { 267, -1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        int tab = -2;
        EXPECT_EQ(CLICK_TAB, ClassifyPageClick(c.x, 45, &tab));
        EXPECT_EQ(c.tab, tab);
    }
}

TEST(TabRow, TheRowRunsFromLine39To59BelowTheTitleBand)
{
    static const struct { INT32 y; PageClickKind kind; } cases[] = {
        { 0, CLICK_DRAG },
        { 28, CLICK_DRAG },
        { 29, CLICK_NOTHING },
        { 38, CLICK_NOTHING },
        { 39, CLICK_TAB },
        { 59, CLICK_TAB },
        { 60, CLICK_NOTHING },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y);
        int tab = -2;
        EXPECT_EQ(c.kind, ClassifyPageClick(100, c.y, &tab));
    }
}
