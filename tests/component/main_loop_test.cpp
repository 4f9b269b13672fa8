/* The main loop in-process, against the real registry and message queue: a
 * refresh would read "Running" back, so the key holds 1. */
#include "app/app.h"
#include "base/base.h"
#include "base/clock.h"
#include "hotkeys/hotkeys.h"
#include "settings/settings.h"
#include "support/imports.h"
#include "support/registry.h"

#include <gtest/gtest.h>

#include <vector>

/* Messages left from earlier tests would end the loop at once. */
static void DropQueuedMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        continue;
}

/* Keeps the loop's thread away, as a slow library call or shell launch
 * would, with user input meanwhile or not; then ends the loop, or leaves
 * that to the first refresh. */
static BOOL StallWithInput, QuitAfterStall;

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
    if (QuitAfterStall)
        PostQuitMessage(0);
}

/* Once a re-install with a wrong instance failed, puts the program's back and notes when that try was. */
static DWORD FailedAt;
static void CALLBACK Mend(HWND, UINT, UINT_PTR, DWORD)
{
    if (KeyboardHook || FailedAt)
        return;
    FailedAt = KeyboardHookInstalledAt;
    ProgramInstance = GetModuleHandleA(NULL);
}

/* The hook is live from its installation, so time away counts from there, also before the loop. A failed re-install
 * is tried again until it succeeds, not more often than the timeout: here before the first refresh ends the loop. */
TEST(MainLoop, AStallWithInputMeanwhileInstallsTheKeyboardHookAnewUntilItIsInAndAQuitEndsIt)
{
    ScopedKeyRestore restore(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
    FillFolderPaths();
    ApplySettingDefaults();
    SetupMsClock();
    DropQueuedMessages();
    ProgramInstance = GetModuleHandleA(NULL);
    KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
    const struct { BOOL beforeLoop, input, failOnce, anew; } cases[] = {
        { FALSE, FALSE, FALSE, FALSE },
        { FALSE, TRUE, FALSE, TRUE },
        { TRUE, FALSE, FALSE, FALSE },
        { TRUE, TRUE, FALSE, TRUE },
        { FALSE, TRUE, TRUE, TRUE },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.beforeLoop << c.input << c.failOnce);
        /* 1 as the main tool keeps it. */
        SetSetting("Running", !c.failOnce);
        InstallKeyboardHook();
        HHOOK before = KeyboardHook;
        ASSERT_TRUE(before != NULL);
        FailedAt = 0;
        if (c.failOnce)
            ProgramInstance = (HINSTANCE)(ULONG_PTR)0x10000;
        UINT_PTR mend = SetTimer(NULL, 0, 20, Mend);
        StallWithInput = c.input;
        QuitAfterStall = !c.failOnce;
        SharedSettings.Running = 1;
        if (c.beforeLoop)
            Stall(NULL, 0, 0, 0);
        else
            SetTimer(NULL, 0, 0, Stall);
        LastRefreshTime = UpdateMsClock();
        RunMainLoop();
        KillTimer(NULL, mend);
        EXPECT_EQ(0u, SharedSettings.Running) << "the quit message did not end it";
        EXPECT_TRUE(KeyboardHook != NULL);
        EXPECT_EQ(c.anew, before != KeyboardHook);
        EXPECT_EQ(c.failOnce, FailedAt != 0);
        EXPECT_GE(c.failOnce ? KeyboardHookInstalledAt - FailedAt : 300u, 300u) << "tried again too soon";
        RemoveKeyboardHook();
    }
}

/* The loop on a clock the test drives: each wait moves it on by 1 ms and returns at once, keeping the
 * refresh times since the start and the wait asked for. */
static LONGLONG FakeMs, Frequency;
static DWORD Start, Wait;
static std::vector<DWORD> Refreshes;
static BOOL WINAPI FakeCounter(LARGE_INTEGER *counter)
{
    counter->QuadPart = FakeMs * Frequency / 1000;
    return TRUE;
}
static DWORD WINAPI FakeWait(DWORD, const HANDLE *, DWORD ms, DWORD mask, DWORD)
{
    Wait = ms << 16 | mask;
    if (LastRefreshTime - Start != Refreshes.back())
        Refreshes.push_back(LastRefreshTime - Start);
    FakeMs++;
    /* The fourth refresh is due next pass. */
    if (MsClock - Start == 11999 || MsClock - Start == 20000)
        PostQuitMessage(0);
    return WAIT_TIMEOUT;
}

TEST(MainLoop, RefreshesEvery3000MsWaiting5MsAPassAndAQuitInThePassOfARefreshEndsItWithoutOne)
{
    ScopedKeyRestore restore(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
    SetSetting("Running", 1);
    QueryPerformanceFrequency((LARGE_INTEGER *)&Frequency);
    SetupMsClock();
    DropQueuedMessages();
    void *counter = ReplaceImport("QueryPerformanceCounter", (void *)FakeCounter);
    void *wait = ReplaceImport("MsgWaitForMultipleObjectsEx", (void *)FakeWait);
    ASSERT_TRUE(counter && wait);
    SharedSettings.Running = 1;
    Start = UpdateMsClock();
    LastRefreshTime = Start;
    Refreshes.assign(1, 0);
    RunMainLoop();
    ReplaceImport("QueryPerformanceCounter", counter);
    ReplaceImport("MsgWaitForMultipleObjectsEx", wait);
    EXPECT_EQ((std::vector<DWORD>{ 0, 3000, 6000, 9000 }), Refreshes);
    EXPECT_EQ(12000u, MsClock - Start) << "the loop went on after the quit";
    EXPECT_EQ(5u << 16 | QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY, Wait)
        << "5 ms for any input but raw input";
}
