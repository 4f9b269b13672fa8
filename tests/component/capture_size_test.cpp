/* The capture size the pages compute from the screen, on a screen larger than this test's display. */
#include "support/page_set.h"

#include "support/imports.h"

typedef int(WINAPI GET_SYSTEM_METRICS_PROC)(int index);
static GET_SYSTEM_METRICS_PROC *SystemMetrics;

static int WINAPI WideScreenMetrics(int index)
{
    if (index == SM_CXSCREEN)
        return 1920;
    if (index == SM_CYSCREEN)
        return 1200;
    return SystemMetrics(index);
}

class CaptureSize : public PagesInProcess {};

TEST_F(CaptureSize, AScreenOfAtLeast1920000PixelsIsCapturedAtItsOwnWidthAndHeight)
{
    void *system = ReplaceImport("GetSystemMetrics", reinterpret_cast<void *>(WideScreenMetrics));
    ASSERT_TRUE(system);
    SystemMetrics = reinterpret_cast<GET_SYSTEM_METRICS_PROC *>(system);
    Create();
    ReplaceImport("GetSystemMetrics", system);
    EXPECT_EQ(1920u, CaptureWidth);
    EXPECT_EQ(1200u, CaptureHeight);
    EXPECT_EQ(9240576u, CaptureBufferSize);
}
