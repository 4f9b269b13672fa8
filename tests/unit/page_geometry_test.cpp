#include "pages/pages.h"

#include <gtest/gtest.h>

#include <string>

TEST(PageGeometry, ClicksInTheTabRowChooseATabAndTheTitleBandDrags)
{
    struct ClickCase {
        INT32 x, y;
        PageClickKind kind;
        int tab;
    };
    static const ClickCase cases[] = {
        { 74, 39, CLICK_TAB, 0 }, { 10, 59, CLICK_TAB, 0 }, { 9, 45, CLICK_TAB, -1 }, { 75, 59, CLICK_TAB, 1 },
        { 120, 45, CLICK_TAB, 1 }, { 121, 45, CLICK_TAB, 2 }, { 180, 45, CLICK_TAB, 2 }, { 181, 45, CLICK_TAB, 3 },
        { 266, 45, CLICK_TAB, 3 }, { 267, 45, CLICK_TAB, -1 }, { 100, 38, CLICK_NOTHING, -1 },
        { 100, 29, CLICK_NOTHING, -1 }, { 100, 60, CLICK_NOTHING, -1 }, { 100, 28, CLICK_DRAG, -1 },
        { 399, 0, CLICK_DRAG, -1 },
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        int tab = 99;
        EXPECT_EQ(c.kind, ClassifyPageClick(c.x, c.y, &tab));
        EXPECT_EQ(c.tab, tab);
    }
}

/* Client points and the rounded outline follow the page's real size; the
 * art is drawn for 400 x 300. */
TEST(PageGeometry, TheDesignSpaceScalesWithThePageSize)
{
    struct SizeCase {
        INT32 x, y, width, height;
        INT32 designX, designY, ellipseWidth, ellipseHeight;
    };
    static const SizeCase cases[] = {
        { 175, 150, 350, 300, 200, 150, 44, 50 },
        { -10, 5, 400, 281, -10, 5, 50, 47 },        /* signed, truncated towards zero */
        { 599, 449, 600, 450, 399, 299, 75, 75 },
        { 5, 5, 0, 0, -1, -1, 0, 0 },                /* not measured yet: maps nothing */
    };
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        INT32 x, y, w, h;
        ToDesignSpace(c.x, c.y, c.width, c.height, &x, &y);
        EXPECT_EQ(c.designX, x);
        EXPECT_EQ(c.designY, y);
        RegionCornerEllipse(c.width, c.height, &w, &h);
        EXPECT_EQ(c.ellipseWidth, w);
        EXPECT_EQ(c.ellipseHeight, h);
    }
}

/* A stored place is taken back only when the user can reach the page there:
 * its own size, and the title band inside the work area. */
TEST(PageGeometry, APlacementFitsWithThePagesSizeAndItsTitleBandOnTheWorkArea)
{
    const RECT work = { 0, 0, 1280, 1000 };
    struct FitCase {
        const char *name;
        RECT stored;
        BOOL fits;
    };
    static const FitCase cases[] = {
        { "on the work area", { 37, 41, 437, 341 }, TRUE },
        { "title band just on it", { 37, 971, 437, 1271 }, TRUE },
        { "title band one row lower", { 37, 972, 437, 1272 }, FALSE },
        { "above it", { 37, -5, 437, 295 }, FALSE },
        { "left of it", { -1, 41, 399, 341 }, FALSE },
        { "right of it", { 881, 41, 1281, 341 }, FALSE },
        { "another width", { 37, 41, 447, 341 }, FALSE },
        { "another height", { 37, 41, 437, 342 }, FALSE },
    };
    for (const FitCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.fits, PlacementFits(&c.stored, 400, 300, &work));
    }
}

TEST(PageGeometry, CaptureSizeRaisesSmallScreensAndRoundsTheBufferTo64KiB)
{
    struct CaptureCase {
        UINT32 width, height, expectedWidth, expectedHeight, expectedBuffer;
    };
    static const CaptureCase cases[] = {
        { 1024, 768, 1600, 1200, 7733248 },   { 1920, 1080, 1920, 1080, 8323072 },
        { 800, 2400, 800, 2400, 7733248 },    /* exactly 1,920,000 pixels: not raised */
        { 1600, 1199, 1600, 1200, 7733248 }, { 2560, 1440, 2560, 1440, 14745600 },
    };
    for (const CaptureCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        UINT32 width = c.width, height = c.height, buffer = 0;
        ComputeCaptureSize(&width, &height, &buffer);
        EXPECT_EQ(c.expectedWidth, width);
        EXPECT_EQ(c.expectedHeight, height);
        EXPECT_EQ(c.expectedBuffer, buffer);
    }
}

TEST(PageGeometry, ExploredFoldersEndInOneBackslash)
{
    char folder[264];
    ASSERT_EQ(0, FolderWithBackslash("C:\\Movies", folder, sizeof folder));
    EXPECT_STREQ("C:\\Movies\\", folder);
    ASSERT_EQ(0, FolderWithBackslash("C:\\Movies\\", folder, sizeof folder));
    EXPECT_STREQ("C:\\Movies\\", folder);
    ASSERT_EQ(0, FolderWithBackslash(std::string(300, 'x').c_str(), folder, sizeof folder));
    EXPECT_EQ(std::string(260, 'x') + "\\", folder);
    EXPECT_EQ(1, FolderWithBackslash("C:\\Movies", folder, 10));
}
