/* The main loop in-process, against the real registry and message queue: a
 * refresh would read "Running" back, so the key holds 1. */
#include "app/app.h"
#include "app/clock.h"
#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "settings/hook_library.h"
#include "settings/settings.h"
#include "support/companion.h"
#include "support/imports.h"

#include <gtest/gtest.h>

#include <thread>

/* Keeps the thread away, as a slow library call or shell launch would, with user input meanwhile or not. */
static void StayAway(BOOL withInput)
{
    Sleep(100);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    if (withInput)
        SendInput(1, &input, sizeof input);
    Sleep(2 * KeyboardHookTimeout);
}

static BOOL StallWithInput, StallOver, SeenStallOver;
static DWORD EndBy;
static void CALLBACK Stall(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    StayAway(StallWithInput);
    StallOver = TRUE;
}
/* Ends the loop once the keyboard hook is in, a tick after the stall (the watchdog has had a pass), or at the
 * deadline. */
static void CALLBACK EndOnceHooked(HWND, UINT, UINT_PTR, DWORD)
{
    if ((SeenStallOver && KeyboardHook) || (LONG)(GetTickCount() - EndBy) >= 0)
        PostQuitMessage(0);
    SeenStallOver = StallOver;
}

/* The tick counts of the tries to install a hook; the first fails. */
static std::vector<DWORD> InstallTries;
static void *RealInstall;
static HHOOK WINAPI FailFirstInstall(int id, HOOKPROC procedure, HINSTANCE module, DWORD thread)
{
    InstallTries.push_back(GetTickCount());
    return InstallTries.size() == 1 ? NULL : ((decltype(&SetWindowsHookExA))RealInstall)(id, procedure, module, thread);
}

/* The hook is live from its installation, so time away counts from there, also before the loop runs. A failed
 * re-install is tried again, though not more often than the timeout. A quit ends the loop. */
TEST(MainLoop, AStallWithInputMeanwhileInstallsTheKeyboardHookAnewUntilItIsInAndAQuitEndsIt)
{
    ScopedKeyRestore restore(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
    FillFolderPaths();
    ApplySettingDefaults();
    SetupMsClock();
    for (MSG msg; PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);) {}
    SetSetting("Running", 1);                   /* as the main tool keeps it */
    ProgramInstance = GetModuleHandleA(NULL);
    KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
    const struct { BOOL beforeLoop, input, failOnce, anew; } cases[] = {
        { FALSE, FALSE, FALSE, FALSE }, { FALSE, TRUE, FALSE, TRUE }, { TRUE, FALSE, FALSE, FALSE },
        { TRUE, TRUE, FALSE, TRUE }, { FALSE, TRUE, TRUE, TRUE },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.beforeLoop << c.input << c.failOnce);
        InstallKeyboardHook();
        HHOOK before = KeyboardHook;
        ASSERT_TRUE(before != NULL);
        InstallTries.clear();
        RealInstall = c.failOnce ? ReplaceImport("SetWindowsHookExA", (void *)FailFirstInstall) : NULL;
        StallWithInput = c.input;
        SeenStallOver = FALSE;
        if ((StallOver = c.beforeLoop))
            StayAway(c.input);
        SharedSettings.Running = 1;
        LastRefreshTime = UpdateMsClock();
        EndBy = GetTickCount() + 5000;
        UINT_PTR timer = SetTimer(NULL, 0, 20, EndOnceHooked);
        if (!c.beforeLoop)
            SetTimer(NULL, 0, 0, Stall);
        RunMainLoop();
        KillTimer(NULL, timer);
        if (RealInstall)
            ReplaceImport("SetWindowsHookExA", RealInstall);
        EXPECT_EQ(0u, SharedSettings.Running) << "the quit message did not end it";
        EXPECT_TRUE(KeyboardHook != NULL);
        EXPECT_EQ(c.anew, before != KeyboardHook);
        EXPECT_EQ(c.failOnce ? 2u : 0u, InstallTries.size());
        if (InstallTries.size() == 2) {
            EXPECT_GE(InstallTries[1] - InstallTries[0], KeyboardHookTimeout) << "tried again too soon";
        }
        RemoveKeyboardHook();
    }
}

/* A library call that lets a sent message in meets the end of the session: the library gets its last call after
 * that call has returned, and only then goes. */
TEST(MainLoop, ASessionEndDuringALibraryCallIsFinishedRightAfterThatCall)
{
    ScopedKeyRestore placement(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2");
    CompanionFolder folder("normal");
    const std::string send = folder.Path() + "\\send-now", library = folder.Path() + "\\zentu64.dll";
    SetEnvironmentVariableA("ZENTU_STANDIN_SEND", send.c_str());
    ProgramInstance = GetModuleHandleA(NULL);
    FillFolderPaths();
    ApplySettingDefaults();
    ASSERT_TRUE(HookLibrary = LoadLibraryA(library.c_str()));
    HMODULE held = LoadLibraryA(library.c_str());       /* freed too early, it stays mapped and the test can tell */
    ASSERT_EQ(0, CheckHookLibraryVersion());
    CreatePageSet();
    CloseHandle(CreateFileA(send.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    std::thread system([&] {
        for (DWORD start = GetTickCount(); GetFileAttributesA(send.c_str()) != INVALID_FILE_ATTRIBUTES &&
                                           GetTickCount() - start < 5000;)
            Sleep(10);
        SendMessageA(GeneralPage, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    });
    SetupCall();
    system.join();
    ExpectOneShutdownCallAtTheEnd(folder.SetupCalls());
    FreeLibrary(held);
    EXPECT_EQ(NULL, GetModuleHandleA(library.c_str())) << "the library was not freed";
    DestroyPageSet();
    SetEnvironmentVariableA("ZENTU_STANDIN_SEND", NULL);
}
