/* The main loop in-process, against the real registry and message queue. */
#include "app/app.h"
#include "app/clock.h"
#include "hotkeys/hotkeys.h"
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

/* A window whose message keeps the loop's thread away, as a slow library
 * call or shell launch would, optionally with user input arriving meanwhile;
 * it then ends the loop. */
static BOOL StallWithInput;

static LRESULT CALLBACK StallingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_USER)
        return DefWindowProcA(window, message, wParam, lParam);
    Sleep(100);
    if (StallWithInput) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = 1;
        input.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &input, sizeof input);
    }
    Sleep(2 * KeyboardHookTimeout);
    PostQuitMessage(0);
    return 0;
}

TEST_F(MainLoop, AStallWithInputMeanwhileInstallsTheKeyboardHookAnew)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StallingProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "ZentuStallTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ZentuStallTest", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(window != NULL);
    ProgramInstance = GetModuleHandleA(NULL);
    KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", 1);

    const BOOL withInput[] = { FALSE, TRUE };
    for (BOOL input : withInput) {
        SCOPED_TRACE(input ? "input during the stall" : "no input during the stall");
        InstallKeyboardHook();
        ASSERT_TRUE(KeyboardHook != NULL);
        HHOOK before = KeyboardHook;
        StallWithInput = input;
        SharedSettings.Running = 1;
        LastRefreshTime = UpdateMsClock();
        PostMessageA(window, WM_USER, 0, 0);
        RunMainLoop();
        EXPECT_TRUE(KeyboardHook != NULL);
        if (input)
            EXPECT_NE(before, KeyboardHook) << "the hook was not installed anew";
        else
            EXPECT_EQ(before, KeyboardHook) << "the hook was installed anew without need";
        RemoveKeyboardHook();
    }
    DestroyWindow(window);
}
