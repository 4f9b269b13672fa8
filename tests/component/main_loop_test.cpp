/* The main loop in-process, against the real registry and message queue. */
#include "app/app.h"
#include "app/clock.h"
#include "settings/settings.h"

#include "support/registry.h"

#include <gtest/gtest.h>

class MainLoop : public testing::Test {
protected:
    void SetUp() override
    {
        FillFolderPaths();
        ApplySettingDefaults();
        SetupMsClock();
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
    }
    ScopedKeyRestore restore_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };
};

TEST_F(MainLoop, QuitEndsTheLoopEvenWhenARefreshIsDueInTheSamePass)
{
    /* The main tool keeps "Running" at 1; a refresh in the quit's pass would
     * bring it back and the loop would never end. */
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", 1);
    SharedSettings.Running = 1;
    LastRefreshTime = UpdateMsClock() - 10000;
    PostQuitMessage(0);
    RunMainLoop();
    EXPECT_EQ(0u, SharedSettings.Running);
}

TEST_F(MainLoop, RefreshReadingRunningZeroEndsTheLoopOnlyWhenDue)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", 0);
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Time", 77);
    SharedSettings.Running = 1;

    ULONGLONG start = GetTickCount64();
    LastRefreshTime = UpdateMsClock();
    RunMainLoop();
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_EQ(0u, SharedSettings.Running);
    EXPECT_EQ(77u, SharedSettings.BenchmarkTime);
    EXPECT_GE(elapsed, 2950u) << "refreshed before 3000 ms had passed";
    EXPECT_LT(elapsed, 6000u);
}

TEST_F(MainLoop, RefreshIsImmediateWhenTheDueTimeWrapsPast2To32)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", 0);
    SharedSettings.Running = 1;
    ULONGLONG start = GetTickCount64();
    /* A last refresh less than 3000 below 2^32 makes the sum wrap small. */
    LastRefreshTime = 0xFFFFFFFFu - 1000;
    RunMainLoop();
    EXPECT_EQ(0u, SharedSettings.Running);
    EXPECT_LT(GetTickCount64() - start, 1000u);
}
