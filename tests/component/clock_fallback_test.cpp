/* The millisecond clock on a system that reports no performance counter. */
#include "base/clock.h"
#include "support/imports.h"

#include <gtest/gtest.h>

static BOOL WINAPI NoPerformanceCounter(LARGE_INTEGER *frequency)
{
    frequency->QuadPart = 0;
    return FALSE;
}

TEST(MsClockFallback, WithoutAPerformanceCounterTheClockFollowsTheTickCount)
{
    void *system = ReplaceImport("QueryPerformanceFrequency", reinterpret_cast<void *>(NoPerformanceCounter));
    ASSERT_TRUE(system);
    SetupMsClock();
    DWORD before = GetTickCount();
    DWORD value = UpdateMsClock();
    DWORD after = GetTickCount();
    ReplaceImport("QueryPerformanceFrequency", system);
    SetupMsClock();
    EXPECT_LE(before, value);
    EXPECT_LE(value, after);
}
