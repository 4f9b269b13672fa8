/*
 * The companion's whole life: start-up in its fixed order, the main loop
 * that re-reads the settings every 3000 ms, and the orderly shutdown.
 */
#include "app/app.h"

#include "base/base.h"
#include "base/clock.h"
#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "probe/probe.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include <stdio.h>
#include <string.h>

#ifndef ZENTU_MAKER_URL
#define ZENTU_MAKER_URL "https://www.example.com/zentu/"
#endif

/* Where the version box sends users for a fresh installation. */
static const char MakerWebAddress[] = ZENTU_MAKER_URL;
/* Microsoft's DirectX end-user runtime download page. */
static const char DirectXWebAddress[] = "https://www.microsoft.com/en-us/download/details.aspx?id=35";

static const char MutexName[] = "Zentu64Running";
/* How long the end waits for running shell launches before the library goes. */
static const DWORD LaunchWaitMs = 1500;
static const DWORD RefreshInterval = 3000;
static const DWORD LoopWaitMs = 5;
/* QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER |
 * QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY */
static const DWORD LoopWakeMask = 0xFF;

DWORD LastRefreshTime;

static HANDLE SingleInstanceMutex;
/* Set for good when the system ends the user's session. */
static BOOL SessionEnded;

static void ShowVersionBox(void)
{
    char text[512];
    snprintf(text, sizeof text,
             "Could not locate the correct version of ZENTU64.DLL.\r\n\r\n"
             "Try uninstalling any previous versions of Zentu and then reboot your machine.\r\n\r\n"
             "After this reinstall the latest version of Zentu from %s",
             MakerWebAddress);
    MessageBoxA(NULL, text, "ZENTU64 error", MB_TOPMOST | MB_ICONERROR);
}

/* The hook library must load and be of our build. */
static int LinkHookLibrary(void)
{
    if (LoadHookLibrary() != 0) {
        MessageBoxA(NULL, "Could not locate ZENTU64.DLL", "ZENTU64 Error", MB_TOPMOST);
        return EXIT_NO_LIBRARY;
    }
    switch (CheckHookLibraryVersion()) {
    case 0:
        return EXIT_NORMAL;
    case 1:
        ShowVersionBox();
        return EXIT_NO_LIBRARY_VERSION;
    default:
        ShowVersionBox();
        return EXIT_WRONG_LIBRARY_VERSION;
    }
}

static void ShowDirectXBox(const char *text)
{
    char message[512];
    int length = snprintf(message, sizeof message, "%s%s", text, DirectXWebAddress);
    if (length < 0 || (size_t)length >= sizeof message)
        return;
    MessageBoxA(NULL, message, "ZENTU error", MB_TOPMOST | MB_ICONERROR);
}

/* Without a usable Direct3D 9 there is nothing to capture. */
static int ReportDirect3D9Probe(int probeResult)
{
    switch (probeResult) {
    case DIRECT3D9_PROBE_DONE:
        return EXIT_NORMAL;
    case DIRECT3D9_PROBE_NO_LIBRARY:
        ShowDirectXBox("This software requires DirectX 9.\r\n\r\n"
                       "Please download the runtime through Windows Update or by going to the following "
                       "URL:\r\n\r\n");
        return EXIT_NO_DIRECT3D9;
    default:
        ShowDirectXBox("There was a problem initializing DirectX 9.\r\n\r\n"
                       "Please ensure your video drivers are up to date and you have the latest version of "
                       "DirectX installed.  You can download the latest DirectX runtime from the following "
                       "URL:\r\n\r\n");
        return EXIT_DIRECT3D9_UNUSABLE;
    }
}

void RunMainLoop(void)
{
    /* When the thread last waited for input: the keyboard hook's procedure
     * runs only while the thread retrieves or waits for messages. */
    DWORD awaySince = KeyboardHookInstalledAt;
    while (SharedSettings.Running && !SessionEnded) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                SharedSettings.Running = 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD now = UpdateMsClock();
        /* A refresh would read "Running" back from the registry, where the
         * main tool keeps it at 1; a page that posted WM_QUIT, or the end of
         * the session, wants the companion to end, so a pass that cleared it
         * ends the loop without one. */
        if (SharedSettings.Running && RefreshIsDue(now, LastRefreshTime, RefreshInterval)) {
            RefreshSettings();
            SetupCall();
            LastRefreshTime = now;
        }
        WatchKeyboardHook(awaySince, GetTickCount());
        MsgWaitForMultipleObjectsEx(0, NULL, LoopWaitMs, LoopWakeMask, 0);
        awaySince = GetTickCount();
    }
}

/* The hook library hears last that the companion goes, and loses its hooks
 * and its module. Safe to run again, whether the loop ended, the session
 * does, or both: the library gets one last call, and whatever is installed
 * or loaded at the time goes. */
static void UnlinkHookLibrary(void)
{
    /* Waiting for the launches takes in sent messages, and one of them may
     * end the session again. */
    static BOOL unlinking;
    if (unlinking)
        return;
    unlinking = TRUE;
    if (!ShutdownFlag) {
        ShutdownFlag = 1;
        SetupCall();
    }
    RemoveKeyboardHook();
    RemoveLibraryHooks();
    /* Unhooking does not wait for a hook procedure running on another
     * thread, and the shell runs the library's hooks on the launch threads:
     * the module may go only once they have ended. One that is still
     * running by then keeps it mapped; the process is ending anyway. */
    if (WaitForShellLaunches(LaunchWaitMs))
        FreeHookLibrary();
    else
        ForgetHookLibrary();
    unlinking = FALSE;
}

void EndCompanionSession(void)
{
    /* The system ends the process once the session's last top-level window
     * has answered, maybe without the loop ever running again; if it does
     * run, no refresh may bring "Running" back. */
    SessionEnded = TRUE;
    SharedSettings.Running = 0;
    AfterLibraryCalls(UnlinkHookLibrary);
}

static int ShutDown(void)
{
    UnlinkHookLibrary();
    DestroyPageSet();
    /* Released last: while hooks or the library live, a second instance
     * must not start another set. */
    if (SingleInstanceMutex) {
        CloseHandle(SingleInstanceMutex);
        SingleInstanceMutex = NULL;
    }
    return EXIT_NORMAL;
}

int ZentuMain(HINSTANCE instance, const char *commandLine)
{
    /* The main tool ends a companion it cannot reach with "/exit": that must
     * work before anything else, even while another instance runs. */
    if (commandLine && strstr(commandLine, "/exit"))
        return EXIT_NORMAL;

    RestrictLibrarySearch();

    /* One set of system-wide hooks per desktop. A mutex that exists but may
     * not be opened belongs to an instance running elevated: that one runs
     * the hooks already. Without a mutex for any other reason the companion
     * runs unprotected rather than not at all. */
    SingleInstanceMutex = CreateMutexA(NULL, FALSE, MutexName);
    DWORD mutexError = GetLastError();
    if (!SingleInstanceMutex && mutexError == ERROR_ACCESS_DENIED)
        return EXIT_ALREADY_RUNNING;
    if (SingleInstanceMutex && mutexError == ERROR_ALREADY_EXISTS) {
        CloseHandle(SingleInstanceMutex);
        SingleInstanceMutex = NULL;
        return EXIT_ALREADY_RUNNING;
    }

    SetupMsClock();
    FillFolderPaths();

    /* The folders come first: the directory settings start as the program
     * folder. "Overlay Corner" is read once, here only: the pages own it. */
    ApplySettingDefaults();
    ReadOverlayCorner();

    ProgramInstance = instance;

    int linkResult = LinkHookLibrary();
    if (linkResult != EXIT_NORMAL)
        return linkResult;

    /* A page hears first that the user's session ends. From here on every
     * step that takes in sent messages (a library call, a probe, a box) may
     * have ended it: start-up then stops and ends in order, before anything
     * more is installed. */
    SessionEndHandler = EndCompanionSession;
    /* The pages initialise from the start defaults, and the frame-rate page
     * already hands them to the library, before any hook or probe result
     * exists. The Direct3D 9 probe needs the general page as focus window. */
    CreatePageSet();
    if (SessionEnded)
        return ShutDown();
    /* Without OpenGL the two offsets simply stay 0. */
    ProbeOpenGL();
    int direct3dResult = ProbeDirect3D9(GeneralPage);
    if (SessionEnded)
        return ShutDown();
    int exitCode = ReportDirect3D9Probe(direct3dResult);
    if (exitCode != EXIT_NORMAL) {
        DestroyPageSet();
        return exitCode;
    }
    /* An outdated driver only gets a warning; the kind goes to the library. */
    CheckDisplayDriver();
    if (SessionEnded)
        return ShutDown();

    /* The first SetupCall that carries the hook handles and everything the
     * probes measured. */
    InstallLibraryHooks();
    SetupCall();

    ReadKeyboardHookTimeout();
    InstallKeyboardHook();

    /* Reported once; nothing retries. */
    if (!LibraryCbtHook || !LibraryCallWndProcHook || !KeyboardHook)
        MessageBoxA(NULL, "Hook Error", "Zentu", MB_OK);
    if (SessionEnded)
        return ShutDown();

    /* The keyboard hook runs on this thread: it must get the processor
     * ahead of the games whose keys it sees. */
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);

    /* The refresh interval counts from here: the probes may take a second. */
    LastRefreshTime = UpdateMsClock();

    SetDlgItemTextA(GeneralPage, IDC_GENERAL_VERSION, VersionText);
    SetDlgItemInt(GeneralPage, IDC_GENERAL_BUILD, BuildNumber, FALSE);

    /* A key without "Running" (the main tool is not there) ends the
     * companion right here, before the loop. */
    RefreshSettings();
    SetupCall();

    RunMainLoop();
    return ShutDown();
}
