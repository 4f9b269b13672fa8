#include "pages/page_frame.h"

#include <gtest/gtest.h>

#include <string>

TEST(PageGeometry, CaptureSizeRaisesSmallScreensAndRoundsTheBuffer)
{
    struct CaptureCase {
        UINT32 width, height;
        UINT32 expectedWidth, expectedHeight, expectedBuffer;
    };
    static const CaptureCase cases[] = {
        { 1024, 768, 1600, 1200, 7733248 },
        { 1920, 1080, 1920, 1080, 8323072 },
        { 800, 2400, 800, 2400, 7733248 },        /* exactly 1,920,000 pixels: not raised */
        { 1600, 1199, 1600, 1200, 7733248 },
        { 1280, 1024, 1600, 1200, 7733248 },
        { 2560, 1440, 2560, 1440, 14745600 },
    };
    for (const CaptureCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        UINT32 width = c.width, height = c.height, buffer = 0;
        ComputeCaptureSize(&width, &height, &buffer);
        EXPECT_EQ(c.expectedWidth, width);
        EXPECT_EQ(c.expectedHeight, height);
        EXPECT_EQ(c.expectedBuffer, buffer);
        EXPECT_EQ(0u, buffer % 65536);
    }
}

TEST(PageGeometry, CornerEllipseFollowsTheWindowSize)
{
    INT32 w, h;
    RegionCornerEllipse(350, 300, &w, &h);
    EXPECT_EQ(44, w);
    EXPECT_EQ(50, h);
    RegionCornerEllipse(400, 281, &w, &h);
    EXPECT_EQ(50, w);
    EXPECT_EQ(47, h);
}

TEST(PageGeometry, ClicksMapIntoTheDesignSpace)
{
    INT32 x, y;
    ToDesignSpace(175, 150, 350, 300, &x, &y);
    EXPECT_EQ(200, x);
    EXPECT_EQ(150, y);
    ToDesignSpace(-10, 5, 400, 281, &x, &y);   /* signed, truncated towards zero */
    EXPECT_EQ(-10, x);
    EXPECT_EQ(5, y);
}

TEST(PageGeometry, TabRowBordersAndDragZone)
{
    struct ClickCase {
        INT32 x, y;
        PageClickKind kind;
        int tab;
    };
    static const ClickCase cases[] = {
        { 74, 39, CLICK_TAB, 0 },
        { 10, 59, CLICK_TAB, 0 },
        { 9, 45, CLICK_TAB, -1 },
        { 75, 59, CLICK_TAB, 1 },
        { 120, 45, CLICK_TAB, 1 },
        { 121, 45, CLICK_TAB, 2 },
        { 180, 45, CLICK_TAB, 2 },
        { 181, 45, CLICK_TAB, 3 },
        { 266, 45, CLICK_TAB, 3 },
        { 267, 45, CLICK_TAB, -1 },
        { 100, 38, CLICK_NOTHING, -1 },
        { 100, 29, CLICK_NOTHING, -1 },
        { 100, 60, CLICK_NOTHING, -1 },
        { 100, 28, CLICK_DRAG, -1 },
        { 399, 0, CLICK_DRAG, -1 },
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        int tab = 99;
        EXPECT_EQ(c.kind, ClassifyPageClick(c.x, c.y, &tab));
        EXPECT_EQ(c.tab, tab);
    }
}

TEST(PageGeometry, ExploredFoldersEndInOneBackslash)
{
    char folder[264];
    ASSERT_EQ(0, FolderWithBackslash("C:\\Movies", folder, sizeof folder));
    EXPECT_STREQ("C:\\Movies\\", folder);
    ASSERT_EQ(0, FolderWithBackslash("C:\\Movies\\", folder, sizeof folder));
    EXPECT_STREQ("C:\\Movies\\", folder);
    std::string longest(300, 'x');
    ASSERT_EQ(0, FolderWithBackslash(longest.c_str(), folder, sizeof folder));
    EXPECT_EQ(std::string(260, 'x') + "\\", folder);
    EXPECT_EQ(1, FolderWithBackslash("C:\\Movies", folder, 10));
}

TEST(PageGeometry, StartupCommandQuotesTheMainToolBesideTheCompanion)
{
    char command[300];
    ASSERT_EQ(0, StartupCommand("C:\\Program Files\\Zentu", command, sizeof command));
    EXPECT_STREQ("\"C:\\Program Files\\Zentu\\zentu.exe\"", command);
    EXPECT_EQ(1, StartupCommand("C:\\Program Files\\Zentu", command, 20));
}
