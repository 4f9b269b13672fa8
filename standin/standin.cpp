/*
 * Stand-in for the hook library "zentu64.dll", for ./run and the tests.
 *
 * It exports what the companion resolves and appends one line per ZentuSetup
 * and ZentuCount call to a log: ZENTU_STANDIN_LOG when set, otherwise
 * "zentu64-calls.log" beside the DLL. Each line is appended and the file
 * closed at once, so a reader sees whole lines even if the companion is killed
 * right after. The tests read them back with ReadCalls (tests/support);
 * scripts/decode-calls.awk shows them in ./run.
 *
 * Line format (tab-separated):
 *   ZentuSetup  <microseconds>  <arg 1> ... <arg 59>
 *   ZentuCount  <microseconds>  <arg 1> <arg 2>
 * and the frame lines the library's copies in the games write (frames.cpp):
 *   ZentuFrames <microseconds>  <pid> <exe> <entry> <state> <count> <where>
 * Hook handles and addresses are written as 0x<hex>; the five text addresses
 * as 0x<hex>=<text>, the text with '%', control bytes and bytes above 0x7E
 * written as %HH. 32-bit arguments are unsigned decimals.
 *
 * Stall on demand: when ZENTU_STANDIN_STALL names a file, a ZentuSetup call
 * that finds that file deletes it and then takes 2 s before it returns, as a
 * slow library call would; a test sees the stall begin when the file goes.
 * ZENTU_STANDIN_SEND does the same, but the call takes in the messages that
 * other threads send meanwhile, as a library call that sends a message to
 * another thread's window does, and writes its line when it returns.
 *
 * Hook witness: when ZENTU_STANDIN_HOOKS names a file, ZentuProcCBT appends a
 * line to it when a window of the class "ZentuHookWitness" is created and
 * ZentuProcCALLWND one when the message WM_APP + 0x5A7 is sent, in whichever
 * process of the desktop the platform runs them.
 *
 * Loading by name: when ZENTU_STANDIN_LOAD names a library, the first
 * ZentuSetup call loads it with LoadLibraryA by that bare name, as the real
 * library may load a helper of its own; the process's search order decides
 * where it comes from.
 *
 * Build variants (compile definitions): STANDIN_NO_VERSION,
 * STANDIN_VERSION=<n>, STANDIN_NO_HOOK_PROCS, STANDIN_NO_SETUP.
 */
#include "standin/standin.h"

#include "resources/version.h"
#include "settings/hook_library_abi.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define ZENTU_STANDIN_WITNESS_CLASS "ZentuHookWitness"
#define ZENTU_STANDIN_WITNESS_MESSAGE (WM_APP + 0x5A7)

void RecordAppend(RecordLine *line, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    size_t room = sizeof line->text - line->length;
    int written = vsnprintf(line->text + line->length, room, format, args);
    va_end(args);
    if (written > 0)
        line->length += (size_t)written < room ? (size_t)written : room - 1;
}

void RecordStart(RecordLine *line, const char *name)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    unsigned long long f = (unsigned long long)frequency.QuadPart;
    unsigned long long c = (unsigned long long)counter.QuadPart;
    line->length = 0;
    RecordAppend(line, "%s\t%llu", name, c / f * 1000000ULL + c % f * 1000000ULL / f);
}

void RecordWrite(RecordLine *line, const char *path)
{
    RecordAppend(line, "\r\n");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line->text, (DWORD)line->length, &written, NULL);
    CloseHandle(file);
}

void RecordAppendText(RecordLine *line, const char *text)
{
    static const char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < 256 && text[i]; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c > 0x7E || c == '%')
            RecordAppend(line, "%%%c%c", hex[c >> 4], hex[c & 15]);
        else
            RecordAppend(line, "%c", c);
    }
}

BOOL RecordPath(char *path, size_t size)
{
    DWORD length = GetEnvironmentVariableA("ZENTU_STANDIN_LOG", path, (DWORD)size);
    if (length > 0 && length < size)
        return TRUE;
    length = GetModuleFileNameA(StandInModule, path, (DWORD)size);
    if (length == 0 || length >= size)
        return FALSE;
    char *slash = strrchr(path, '\\');
    if (!slash || (size_t)(slash - path) + sizeof "\\zentu64-calls.log" > size)
        return FALSE;
    strcpy(slash, "\\zentu64-calls.log");
    return TRUE;
}

/* The number the companion was built to accept, unless a variant says other. */
#ifndef STANDIN_VERSION
#define STANDIN_VERSION ZENTU_BUILD_NUMBER
#endif

#define EXPORT extern "C" __declspec(dllexport)

HMODULE StandInModule;

#ifndef STANDIN_NO_SETUP
static void AppendAddress(RecordLine *line, const void *address)
{
    RecordAppend(line, "\t0x%llx", (unsigned long long)(ULONG_PTR)address);
}

static void AppendTextAddress(RecordLine *line, const char *address)
{
    AppendAddress(line, address);
    if (address) {
        RecordAppend(line, "=");
        RecordAppendText(line, address);
    }
}

#endif

static void AppendNumber(RecordLine *line, UINT32 value)
{
    RecordAppend(line, "\t%u", value);
}

static void WriteLine(RecordLine *line)
{
    char path[MAX_PATH];
    if (RecordPath(path, sizeof path))
        RecordWrite(line, path);
}

#ifndef STANDIN_NO_SETUP
EXPORT ZENTU_SETUP_PROC ZentuSetup;

static void LoadByNameOnDemand(void)
{
    static BOOL done;
    if (done)
        return;
    done = TRUE;
    char name[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ZENTU_STANDIN_LOAD", name, sizeof name);
    if (length > 0 && length < sizeof name)
        LoadLibraryA(name);
}

static void StallOnDemand(const char *variable)
{
    char trigger[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(variable, trigger, sizeof trigger);
    if (length == 0 || length >= sizeof trigger || !DeleteFileA(trigger))
        return;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 2000;) {
        MSG msg;
        if (strcmp(variable, "ZENTU_STANDIN_SEND") != 0)
            Sleep(2000);
        else if (!PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE))
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_SENDMESSAGE);
    }
}

EXPORT int WINAPI ZentuSetup(
    HHOOK cbtHook, HHOOK callWndProcHook, UINT32 shutdownFlag, UINT32 always1a, UINT32 samplingRate,
    const char *programFolder, const char *movieDirectory, const char *screenshotDirectory,
    const char *benchmarksFolder, UINT32 detailedStats, UINT32 overlayCorner, UINT32 reserved1,
    UINT32 reserved2, UINT32 d3d9DevicePresentOffset, UINT32 d3d9SwapChainPresentOffset,
    UINT32 wglSwapBuffersOffset, UINT32 wglSwapLayerBuffersOffset, UINT32 always0a,
    const char *systemFolder, UINT32 movieFramerate, UINT32 always0b, UINT32 always1b,
    UINT32 framerateOnScreenshot, UINT32 movieHalfSize, void *libraryBuffer, UINT32 noCursor,
    UINT32 noSync, UINT32 benchmarkStop, UINT32 benchmarkTime, UINT32 captureWidth,
    UINT32 captureHeight, UINT32 captureBufferSize, UINT32 always0c,
    UINT32 d3d9DebugDevicePresentOffset, UINT32 d3d9DebugSwapChainPresentOffset,
    UINT32 d3d9SetCursorPropertiesOffset, UINT32 d3d9SetCursorPositionOffset,
    UINT32 d3d9ShowCursorOffset, UINT32 d3d9SetCursorPropertiesProbe,
    UINT32 d3d9SetCursorPositionProbe, UINT32 d3d9ShowCursorProbe, UINT32 reserved3,
    UINT32 reserved4, UINT32 reserved5, UINT32 reserved6, UINT32 reserved7, UINT32 reserved8,
    UINT32 d3d9DevicePresentProbe, UINT32 d3d9SwapChainPresentProbe, UINT32 reserved9,
    UINT32 reserved10, UINT32 reserved11, UINT32 reserved12, UINT32 reserved13,
    UINT32 displayDriverKind, UINT32 overlayKey, UINT32 logKey, UINT32 movieKey, UINT32 captureKey)
{
    LoadByNameOnDemand();
    PublishToGames(shutdownFlag, d3d9DevicePresentOffset, d3d9SwapChainPresentOffset, wglSwapBuffersOffset);
    RecordLine line;       /* a call may come in while another one runs */
    RecordStart(&line, "ZentuSetup");
    AppendAddress(&line, cbtHook);
    AppendAddress(&line, callWndProcHook);
    const UINT32 head[] = { shutdownFlag, always1a, samplingRate };
    for (UINT32 value : head)
        AppendNumber(&line, value);
    AppendTextAddress(&line, programFolder);
    AppendTextAddress(&line, movieDirectory);
    AppendTextAddress(&line, screenshotDirectory);
    AppendTextAddress(&line, benchmarksFolder);
    const UINT32 middle[] = { detailedStats, overlayCorner, reserved1, reserved2, d3d9DevicePresentOffset,
                              d3d9SwapChainPresentOffset, wglSwapBuffersOffset, wglSwapLayerBuffersOffset,
                              always0a };
    for (UINT32 value : middle)
        AppendNumber(&line, value);
    AppendTextAddress(&line, systemFolder);
    const UINT32 beforeBuffer[] = { movieFramerate, always0b, always1b, framerateOnScreenshot, movieHalfSize };
    for (UINT32 value : beforeBuffer)
        AppendNumber(&line, value);
    AppendAddress(&line, libraryBuffer);
    const UINT32 tail[] = { noCursor, noSync, benchmarkStop, benchmarkTime, captureWidth, captureHeight,
                            captureBufferSize, always0c, d3d9DebugDevicePresentOffset,
                            d3d9DebugSwapChainPresentOffset, d3d9SetCursorPropertiesOffset,
                            d3d9SetCursorPositionOffset, d3d9ShowCursorOffset, d3d9SetCursorPropertiesProbe,
                            d3d9SetCursorPositionProbe, d3d9ShowCursorProbe, reserved3, reserved4, reserved5,
                            reserved6, reserved7, reserved8, d3d9DevicePresentProbe, d3d9SwapChainPresentProbe,
                            reserved9, reserved10, reserved11, reserved12, reserved13, displayDriverKind,
                            overlayKey, logKey, movieKey, captureKey };
    for (UINT32 value : tail)
        AppendNumber(&line, value);
    StallOnDemand("ZENTU_STANDIN_SEND");
    WriteLine(&line);
    StallOnDemand("ZENTU_STANDIN_STALL");
    return 0;
}
#endif

EXPORT ZENTU_COUNT_PROC ZentuCount;

EXPORT int WINAPI ZentuCount(UINT32 first, UINT32 second)
{
    static RecordLine line;
    RecordStart(&line, "ZentuCount");
    AppendNumber(&line, first);
    AppendNumber(&line, second);
    WriteLine(&line);
    return 0;
}

EXPORT int WINAPI ZentuKey(void)
{
    return 0;
}

EXPORT int WINAPI ZentuFunc(void)
{
    return 0;
}

#ifndef STANDIN_NO_VERSION
EXPORT ZENTU_VERSION_PROC ZentuVersion;

EXPORT UINT32 WINAPI ZentuVersion(void)
{
    return STANDIN_VERSION;
}
#endif

#ifndef STANDIN_NO_HOOK_PROCS
/* Appends one line to the file ZENTU_STANDIN_HOOKS names, in whichever
 * process the platform runs the hook procedure. */
static void WitnessHook(const char *text)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ZENTU_STANDIN_HOOKS", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    CloseHandle(file);
}

/* Which procedure the platform runs for which hook: a window of the class
 * ZENTU_STANDIN_WITNESS_CLASS created reaches the WH_CBT procedure, the
 * message ZENTU_STANDIN_WITNESS_MESSAGE sent reaches the WH_CALLWNDPROC one. */
EXPORT LRESULT CALLBACK ZentuProcCBT(int code, WPARAM wParam, LPARAM lParam)
{
    ReachGame();
    char className[64] = "";
    if (code == HCBT_CREATEWND && GetClassNameA((HWND)wParam, className, sizeof className) &&
        strcmp(className, ZENTU_STANDIN_WITNESS_CLASS) == 0)
        WitnessHook("ZentuProcCBT created the witness\n");
    return CallNextHookEx(NULL, code, wParam, lParam);
}

EXPORT LRESULT CALLBACK ZentuProcCALLWND(int code, WPARAM wParam, LPARAM lParam)
{
    ReachGame();
    const CWPSTRUCT *sent = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && sent && sent->message == ZENTU_STANDIN_WITNESS_MESSAGE)
        WitnessHook("ZentuProcCALLWND saw the witness message\n");
    return CallNextHookEx(NULL, code, wParam, lParam);
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        StandInModule = instance;
        DisableThreadLibraryCalls(instance);
        StartFrames();
    }
    if (reason == DLL_PROCESS_DETACH)
        LeaveGame(reserved != NULL);
    return TRUE;
}
