/*
 * Shell launches of the pages (help files, folders) on a short-lived worker
 * thread. The shell can block for seconds (an offline network folder, a
 * slow association), and the pages' thread also owns the low-level keyboard
 * hook, which the platform silently removes when its thread keeps input
 * waiting that long. A launch still under way is not started twice: clicks
 * on a folder of an unreachable share would otherwise gather threads.
 */
#include "pages/pages.h"

#include <objbase.h>
#include <shellapi.h>
#include <stddef.h>
#include <string.h>

struct ShellLaunch {
    HWND owner;
    char verb[16];
    char file[MAX_PATH + 4];
    char directory[MAX_PATH];
    int show;
    ULONG mask;
};

/* The launches under way, the same when they open the same thing on behalf
 * of the same page (zero-filled, so compared as bytes up to show). */
static SRWLOCK RunningLock = SRWLOCK_INIT;
static ShellLaunch *RunningLaunches[8];

/* Takes a free place for the launch; FALSE when the same one is under way,
 * or too many are. */
static BOOL EnterRunning(ShellLaunch *launch)
{
    AcquireSRWLockExclusive(&RunningLock);
    ShellLaunch **place = NULL;
    BOOL same = FALSE;
    for (ShellLaunch *&running : RunningLaunches) {
        if (!running)
            place = place ? place : &running;
        else
            same = same || memcmp(running, launch, offsetof(ShellLaunch, show)) == 0;
    }
    if (place && !same)
        *place = launch;
    ReleaseSRWLockExclusive(&RunningLock);
    return place && !same;
}

static void LeaveRunning(ShellLaunch *launch)
{
    AcquireSRWLockExclusive(&RunningLock);
    for (ShellLaunch *&running : RunningLaunches)
        if (running == launch)
            running = NULL;
    ReleaseSRWLockExclusive(&RunningLock);
}

static DWORD WINAPI ShellLaunchThread(LPVOID parameter)
{
    ShellLaunch *launch = (ShellLaunch *)parameter;
    /* Associations and folder windows may be served through COM. */
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    /* The thread ends right after the call: the shell must have finished
     * with the launch by then (SEE_MASK_NOASYNC). */
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = launch->mask;
    info.hwnd = launch->owner;
    info.lpVerb = launch->verb;
    info.lpFile = launch->file;
    info.lpDirectory = launch->directory[0] ? launch->directory : NULL;
    info.nShow = launch->show;
    ShellExecuteExA(&info);
    if (SUCCEEDED(com))
        CoUninitialize();
    LeaveRunning(launch);
    HeapFree(GetProcessHeap(), 0, launch);
    return 0;
}

/* Copies text whole into a field of size bytes; FALSE when it does not fit. */
static BOOL CopyWhole(char *field, size_t size, const char *text)
{
    size_t length = text ? strlen(text) : 0;
    if (length >= size)
        return FALSE;
    memcpy(field, text ? text : "", length + 1);
    return TRUE;
}

void LaunchShell(HWND owner, const char *verb, const char *file, const char *directory, int show)
{
    ShellLaunch *launch = (ShellLaunch *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *launch);
    if (!launch)
        return;
    launch->owner = owner;
    launch->show = show;
    /* A box about a failed launch needs a page the user sees to stand in
     * front of; behind a hidden one it would wait unseen. */
    launch->mask = SEE_MASK_NOASYNC | (owner && IsWindowVisible(owner) ? 0 : SEE_MASK_FLAG_NO_UI);
    /* A cut path would open something else: nothing is better. */
    if (!CopyWhole(launch->verb, sizeof launch->verb, verb) || !CopyWhole(launch->file, sizeof launch->file, file) ||
        !CopyWhole(launch->directory, sizeof launch->directory, directory) || !EnterRunning(launch)) {
        HeapFree(GetProcessHeap(), 0, launch);
        return;
    }
    HANDLE thread = CreateThread(NULL, 0, ShellLaunchThread, launch, 0, NULL);
    if (!thread) {
        LeaveRunning(launch);
        HeapFree(GetProcessHeap(), 0, launch);
        return;
    }
    CloseHandle(thread);
}
