/* The capture size's raise: each side at least 1600 x 1200 on a screen of fewer than 1,920,000 pixels. */
#include "settings/hook_library.h"

#include <gtest/gtest.h>

TEST(CaptureSizeRaise, EachSideOneShortOfTheLeastIsRaisedToIt)
{
    static const struct { UINT32 width, height, raisedWidth, raisedHeight; } cases[] = {
        { 1599, 1000, 1600, 1200 },
        { 1000, 1199, 1600, 1200 },
        { 1599, 1199, 1600, 1200 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        UINT32 width = c.width;
        UINT32 height = c.height;
        UINT32 buffer = 0;
        ComputeCaptureSize(&width, &height, &buffer);
        EXPECT_EQ(c.raisedWidth, width);
        EXPECT_EQ(c.raisedHeight, height);
    }
}
