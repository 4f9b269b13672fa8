/* Loading the hook library and the one call that configures it. */
#include "settings/hook_library.h"

#include "base/base.h"
#include "probe/probe.h"
#include "settings/settings.h"

#include <stdio.h>

HMODULE HookLibrary;
HHOOK LibraryCbtHook;
HHOOK LibraryCallWndProcHook;
BYTE LibraryBuffer[LIBRARY_BUFFER_SIZE];
UINT32 ShutdownFlag;

ZENTU_SETUP_PROC *ZentuSetup;
ZENTU_COUNT_PROC *ZentuCount;
static ZENTU_UNUSED_PROC *ZentuKey;
static ZENTU_UNUSED_PROC *ZentuFunc;

static int LibraryCallsRunning;
static void (*ActionAfterLibraryCalls)(void);

/* GetProcAddress hands back a generic pointer; the export's real type is
 * fixed by the library's interface header. */
template <typename Proc> static Proc *ResolveExport(const char *name)
{
    return reinterpret_cast<Proc *>(reinterpret_cast<void *>(GetProcAddress(HookLibrary, name)));
}

int LoadHookLibrary(void)
{
    char path[FOLDER_BUFFER_SIZE];
    /* A cut program folder would load a library from the wrong place. */
    if (!FolderPathsComplete)
        return 1;
    int length = snprintf(path, sizeof path, "%s\\zentu64.dll", ProgramFolder);
    if (length < 0 || (size_t)length >= sizeof path)
        return 1;
    HookLibrary = LoadLibraryA(path);
    return HookLibrary ? 0 : 1;
}

int CheckHookLibraryVersion(void)
{
    ZentuSetup = ResolveExport<ZENTU_SETUP_PROC>("ZentuSetup");
    ZentuKey = ResolveExport<ZENTU_UNUSED_PROC>("ZentuKey");
    ZentuFunc = ResolveExport<ZENTU_UNUSED_PROC>("ZentuFunc");
    ZentuCount = ResolveExport<ZENTU_COUNT_PROC>("ZentuCount");
    ZENTU_VERSION_PROC *zentuVersion = ResolveExport<ZENTU_VERSION_PROC>("ZentuVersion");

    int result = 0;
    if (!zentuVersion)
        result = 1;
    else if (zentuVersion() != BuildNumber)
        result = 2;
    if (result != 0)
        FreeHookLibrary();
    return result;
}

void InstallLibraryHooks(void)
{
    HOOKPROC cbtProc = ResolveExport<LRESULT CALLBACK(int, WPARAM, LPARAM)>("ZentuProcCBT");
    HOOKPROC callWndProc = ResolveExport<LRESULT CALLBACK(int, WPARAM, LPARAM)>("ZentuProcCALLWND");
    /* Thread id 0 makes the platform map the library into every process of
     * the desktop that the hooks reach; that is the library's way in. */
    LibraryCbtHook = SetWindowsHookExA(WH_CBT, cbtProc, HookLibrary, 0);
    LibraryCallWndProcHook = SetWindowsHookExA(WH_CALLWNDPROC, callWndProc, HookLibrary, 0);
}

void RemoveLibraryHooks(void)
{
    if (LibraryCallWndProcHook)
        UnhookWindowsHookEx(LibraryCallWndProcHook);
    LibraryCallWndProcHook = NULL;
    if (LibraryCbtHook)
        UnhookWindowsHookEx(LibraryCbtHook);
    LibraryCbtHook = NULL;
}

void ForgetHookLibrary(void)
{
    HookLibrary = NULL;
    ZentuSetup = NULL;
    ZentuCount = NULL;
    ZentuKey = NULL;
    ZentuFunc = NULL;
}

void FreeHookLibrary(void)
{
    HMODULE library = HookLibrary;
    ForgetHookLibrary();
    if (library)
        FreeLibrary(library);
}

void AfterLibraryCalls(void (*action)(void))
{
    if (LibraryCallsRunning)
        ActionAfterLibraryCalls = action;
    else
        action();
}

static void LeaveLibraryCall(void)
{
    void (*action)(void) = ActionAfterLibraryCalls;
    if (--LibraryCallsRunning == 0 && action) {
        ActionAfterLibraryCalls = NULL;
        action();
    }
}

void SetupCall(void)
{
    /* Only ZentuVersion is required of the library; a library without
     * ZentuSetup simply receives nothing. */
    if (!ZentuSetup)
        return;
    const SharedSettingsFields &s = SharedSettings;
    const ApiOffsetsFields &api = ApiOffsets;
    LibraryCallsRunning++;
    ZentuSetup(LibraryCbtHook,
               LibraryCallWndProcHook,
               ShutdownFlag,
               1,
               s.SamplingRate,
               ProgramFolder,
               s.MovieDirectory,
               s.ScreenshotDirectory,
               BenchmarksFolder,
               s.DetailedStats,
               s.OverlayCorner,
               api.Reserved1,
               api.Reserved2,
               api.D3D9DevicePresentOffset,
               api.D3D9SwapChainPresentOffset,
               api.WglSwapBuffersOffset,
               api.WglSwapLayerBuffersOffset,
               0,
               SystemFolder,
               s.MovieFramerate,
               0,
               1,
               s.FramerateOnScreenshot,
               s.MovieHalfSize,
               LibraryBuffer,
               s.NoCursor,
               s.NoSync,
               s.BenchmarkStop,
               s.BenchmarkTime,
               CaptureWidth,
               CaptureHeight,
               CaptureBufferSize,
               0,
               api.D3D9DebugDevicePresentOffset,
               api.D3D9DebugSwapChainPresentOffset,
               api.D3D9SetCursorPropertiesOffset,
               api.D3D9SetCursorPositionOffset,
               api.D3D9ShowCursorOffset,
               api.D3D9SetCursorPropertiesProbe,
               api.D3D9SetCursorPositionProbe,
               api.D3D9ShowCursorProbe,
               api.Reserved3,
               api.Reserved4,
               api.Reserved5,
               api.Reserved6,
               api.Reserved7,
               api.Reserved8,
               api.D3D9DevicePresentProbe,
               api.D3D9SwapChainPresentProbe,
               api.Reserved9,
               api.Reserved10,
               api.Reserved11,
               api.Reserved12,
               api.Reserved13,
               api.DisplayDriverKind,
               s.OverlayKey,
               s.LogKey,
               s.MovieKey,
               s.CaptureKey);
    LeaveLibraryCall();
}

void CountCall(void)
{
    if (!ZentuCount)
        return;
    LibraryCallsRunning++;
    ZentuCount(1, 0);
    LeaveLibraryCall();
}
