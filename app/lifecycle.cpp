/*
 * The companion's whole life: start-up in its fixed order, the main loop
 * that re-reads the settings every 3000 ms, and the orderly shutdown.
 */
#include "app/app.h"

#include "app/clock.h"
#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "probe/probe.h"
#include "resources/resource.h"
#include "resources/version.h"
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
static const DWORD RefreshInterval = 3000;
static const DWORD LoopWaitMs = 5;
/* QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER |
 * QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY */
static const DWORD LoopWakeMask = 0xFF;

const UINT32 BuildNumber = ZENTU_BUILD_NUMBER;
char VersionText[16];
HINSTANCE ProgramInstance;
UINT32 ShutdownFlag;
DWORD LastRefreshTime;

static HANDLE SingleInstanceMutex;

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

/* Step 8 and 9: the hook library must load and be of our build. */
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

/* Step 12: without a usable Direct3D 9 there is nothing to capture. */
static int RunDirect3D9Probe(void)
{
    switch (ProbeDirect3D9(GeneralPage)) {
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
    DWORD awaySince = GetTickCount();
    while (SharedSettings.Running) {
        BOOL quitArrived = FALSE;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                SharedSettings.Running = 0;
                quitArrived = TRUE;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD now = UpdateMsClock();
        /* A refresh would read "Running" back from the registry, where the
         * main tool keeps it at 1; a page that posted WM_QUIT wants the
         * companion to end, so the refresh waits for a pass without one. */
        if (!quitArrived && RefreshIsDue(now, LastRefreshTime, RefreshInterval)) {
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
 * and its module; runs once, whether the loop ended or the session does. */
static void UnlinkHookLibrary(void)
{
    static BOOL unlinked;
    if (unlinked)
        return;
    unlinked = TRUE;
    ShutdownFlag = 1;
    SetupCall();
    RemoveKeyboardHook();
    RemoveLibraryHooks();
    FreeHookLibrary();
}

void EndCompanionSession(void)
{
    /* The system ends the process once the session's last top-level window
     * has answered, without the loop ever running again. */
    SharedSettings.Running = 0;
    UnlinkHookLibrary();
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

/* Libraries loaded by name on the process's behalf (by the runtimes or the
 * shell) come from the program's own folder or the system folder, never from
 * the current folder or along PATH, where anyone may plant one. */
static void RestrictLibrarySearch(void)
{
    typedef BOOL(WINAPI SET_DEFAULT_DLL_DIRECTORIES_PROC)(DWORD flags);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SET_DEFAULT_DLL_DIRECTORIES_PROC *setDefault =
        kernel ? reinterpret_cast<SET_DEFAULT_DLL_DIRECTORIES_PROC *>(
                     reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
               : NULL;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    /* Older systems: at least take the current folder out of the search. */
    SetDllDirectoryA("");
}

int ZentuMain(HINSTANCE instance, const char *commandLine)
{
    /* 1. "/exit" anywhere ends at once: no mutex, no registry. */
    if (commandLine && strstr(commandLine, "/exit"))
        return EXIT_NORMAL;

    RestrictLibrarySearch();

    /* 2. Single instance. A mutex that exists but may not be opened belongs
     *    to an instance running elevated: that one runs the hooks already.
     *    Without a mutex handle for any other reason the companion runs. */
    SingleInstanceMutex = CreateMutexA(NULL, FALSE, MutexName);
    DWORD mutexError = GetLastError();
    if (!SingleInstanceMutex && mutexError == ERROR_ACCESS_DENIED)
        return EXIT_ALREADY_RUNNING;
    if (SingleInstanceMutex && mutexError == ERROR_ALREADY_EXISTS) {
        CloseHandle(SingleInstanceMutex);
        SingleInstanceMutex = NULL;
        return EXIT_ALREADY_RUNNING;
    }

    /* 3. Clock. */
    SetupMsClock();

    /* 4. Folders. */
    FillFolderPaths();

    /* 5. Start defaults, and 6. the one start-up read of "Overlay Corner". */
    ApplySettingDefaults();
    ReadOverlayCorner();

    /* 7. The pages load their resources from this instance. */
    ProgramInstance = instance;

    /* 8, 9. Hook library and its version. */
    int linkResult = LinkHookLibrary();
    if (linkResult != EXIT_NORMAL)
        return linkResult;

    /* 10. The pages, hidden. They initialise from the start defaults, and
     *     the frame-rate page already hands them to the library. */
    CreatePageSet();
    /* 11. OpenGL probe. Its result does not matter: without OpenGL the two
     *     offsets simply stay 0. */
    ProbeOpenGL();
    /* 12. Direct3D 9 probe, with the hidden general page as focus window
     *     (without a page the probe makes a hidden window of its own). */
    int direct3dResult = RunDirect3D9Probe();
    if (direct3dResult != EXIT_NORMAL) {
        DestroyPageSet();
        return direct3dResult;
    }
    /* 13. Display-driver check; an outdated driver only gets a warning. */
    CheckDisplayDriver();

    /* 14. The library's system-wide hooks, and 15. the first SetupCall that
     *     carries them and the probe results. */
    InstallLibraryHooks();
    SetupCall();

    /* 16. The companion's own keyboard hook, watched from the loop. */
    ReadKeyboardHookTimeout();
    InstallKeyboardHook();

    /* 17. A hook that did not install is reported once; nothing retries. */
    if (!LibraryCbtHook || !LibraryCallWndProcHook || !KeyboardHook)
        MessageBoxA(NULL, "Hook Error", "Zentu", MB_OK);

    /* 18. */
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);

    /* 19. The refresh interval counts from here. */
    LastRefreshTime = UpdateMsClock();

    /* 20. Version texts on the general page. */
    snprintf(VersionText, sizeof VersionText, "%d.%d.%d",
             ZENTU_VERSION_MAJOR, ZENTU_VERSION_MINOR, ZENTU_VERSION_PATCH);
    SetDlgItemTextA(GeneralPage, IDC_GENERAL_VERSION, VersionText);
    SetDlgItemInt(GeneralPage, IDC_GENERAL_BUILD, BuildNumber, FALSE);

    /* 21. First settings refresh. */
    RefreshSettings();
    SetupCall();

    /* 22. */
    RunMainLoop();
    return ShutDown();
}
