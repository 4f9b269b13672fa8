/* The main loop in-process, against the real registry and message queue: a
 * refresh would read "Running" back, so the key holds 1. */
#include "app/app.h"
#include "base/base.h"
#include "base/clock.h"
#include "hotkeys/hotkeys.h"
#include "settings/settings.h"
#include "support/registry.h"

#include <gtest/gtest.h>

/* Keeps the loop's thread away, as a slow library call or shell launch
 * would, with user input meanwhile or not; then ends the loop. */
static BOOL StallWithInput;

static void CALLBACK Stall(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    Sleep(100);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    if (StallWithInput)
        SendInput(1, &input, sizeof input);
    Sleep(2 * KeyboardHookTimeout);
    PostQuitMessage(0);
}

TEST(MainLoop, AStallWithInputMeanwhileInstallsTheKeyboardHookAnewAndAQuitEndsIt)
{
    ScopedKeyRestore restore(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
    FillFolderPaths();
    ApplySettingDefaults();
    SetupMsClock();
    for (MSG msg; PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);) {}
    SetSetting("Running", 1);                   /* as the main tool keeps it */
    ProgramInstance = GetModuleHandleA(NULL);
    KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
    for (BOOL input : { FALSE, TRUE }) {
        InstallKeyboardHook();
        HHOOK before = KeyboardHook;
        ASSERT_TRUE(before != NULL);
        StallWithInput = input;
        SharedSettings.Running = 1;
        LastRefreshTime = UpdateMsClock();
        SetTimer(NULL, 0, 0, Stall);
        RunMainLoop();
        EXPECT_EQ(0u, SharedSettings.Running) << "the quit message did not end it";
        EXPECT_TRUE(KeyboardHook != NULL);
        EXPECT_EQ(!input, before == KeyboardHook) << (input ? "input came during the stall" : "no input came");
        RemoveKeyboardHook();
    }
}
