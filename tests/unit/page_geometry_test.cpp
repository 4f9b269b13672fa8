#include "pages/pages.h"
#include "settings/hook_library.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PageGeometry, ClicksInTheTabRowChooseATabAndTheTitleBandDrags)
{
    const struct { INT32 x, y; PageClickKind kind; int tab; } cases[] = {
        { 10, 59, CLICK_TAB, 0 },
        { 9, 45, CLICK_TAB, -1 },
        { 75, 39, CLICK_TAB, 1 },
        { 121, 45, CLICK_TAB, 2 },
        { 266, 45, CLICK_TAB, 3 },
        { 267, 45, CLICK_TAB, -1 },
        { 100, 60, CLICK_NOTHING, -1 },
        { 100, 29, CLICK_NOTHING, -1 },
        { 100, 28, CLICK_DRAG, -1 },
    };
    for (const auto &c : cases) {
        int tab = 99;
        EXPECT_EQ(c.kind, ClassifyPageClick(c.x, c.y, &tab)) << "(" << c.x << ", " << c.y << ")";
        EXPECT_EQ(c.tab, tab) << "(" << c.x << ", " << c.y << ")";
    }
}

/* Client points and the rounded outline follow the page's real size; the
 * art is drawn for 400 x 300. */
TEST(PageGeometry, TheDesignSpaceScalesWithThePageSize)
{
    const struct { INT32 x, y, width, height, designX, designY, ellipseWidth, ellipseHeight; } cases[] = {
        { 175, 150, 350, 300, 200, 150, 44, 50 },
        { -10, 5, 400, 281, -10, 5, 50, 47 }, /* signed, towards zero */
        { 5, 5, 0, 0, -1, -1, 0, 0 },                                                     /* not measured: nothing */
    };
    for (const auto &c : cases) {
        INT32 x, y, w, h;
        ToDesignSpace(c.x, c.y, c.width, c.height, &x, &y);
        RegionCornerEllipse(c.width, c.height, &w, &h);
        EXPECT_EQ((std::vector<INT32>{ c.designX, c.designY, c.ellipseWidth, c.ellipseHeight }),
                  (std::vector<INT32>{ x, y, w, h })) << c.width << " x " << c.height;
    }
}

/* A stored place is taken back only when the user can reach the page there:
 * its own size, and the title band inside the work area. */
TEST(PageGeometry, APlacementFitsWithThePagesSizeAndItsTitleBandOnTheWorkArea)
{
    const RECT work = { 0, 0, 1280, 1000 };
    const struct { RECT stored; BOOL fits; } cases[] = {
        { { 37, 971, 437, 1271 }, TRUE },
        { { 37, 972, 437, 1272 }, FALSE },
        { { 37, -5, 437, 295 }, FALSE },
        { { -1, 41, 399, 341 }, FALSE },
        { { 881, 41, 1281, 341 }, FALSE },
        { { 37, 41, 437, 342 }, FALSE },
        /* Hostile records whose 32-bit differences wrap back to the page's size. */
        { { 37, 2147483600, 437, -2147483396 }, FALSE },
        { { 2147483600, 41, -2147483296, 341 }, FALSE },
        { { 37, -2147483648, 437, -2147483348 }, FALSE },
        { { 37, 2147483000, 437, 2147483300 }, FALSE },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.fits, PlacementFits(&c.stored, 400, 300, &work)) << c.stored.left << ", " << c.stored.top;
}

/* A smaller screen has each side raised to at least 1600 x 1200. */
TEST(PageGeometry, CaptureSizeKeepsAScreenOfAtLeast1920000PixelsAndRoundsTheBufferTo64KiB)
{
    const UINT32 cases[][5] = { { 800, 2400, 800, 2400, 7733248 }, { 1000, 1500, 1600, 1500, 9633792 } };
    for (const auto &c : cases) {
        UINT32 width = c[0];
        UINT32 height = c[1];
        UINT32 buffer = 0;
        ComputeCaptureSize(&width, &height, &buffer);
        EXPECT_EQ((std::vector<UINT32>{ c[2], c[3], c[4] }), (std::vector<UINT32>{ width, height, buffer }));
    }
}
