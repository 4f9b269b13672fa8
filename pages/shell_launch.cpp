/*
 * Shell launches of the pages (help files, folders) on a short-lived worker
 * thread. The shell can block for seconds (an offline network folder, a
 * slow association), and the pages' thread also owns the low-level keyboard
 * hook, which the platform silently removes when its thread keeps input
 * waiting that long. A launch still under way is not started twice: clicks
 * on a folder of an unreachable share would otherwise gather threads.
 *
 * The hook library's window hooks run on a worker too, whenever the shell
 * creates or destroys a window there, up to the thread's last moment: a
 * launch counts as under way until its thread has ended, and the library
 * may go only when none is (WaitForShellLaunches). Everything here but the
 * worker's own body runs on the pages' thread, so nothing is locked.
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

/* The launches under way with their threads. A place is taken back (thread
 * handle closed, launch freed) once its thread has ended. */
struct LaunchPlace {
    ShellLaunch *launch;
    HANDLE thread;
};
static LaunchPlace LaunchPlaces[8];

static void TakeBackEndedLaunches(void)
{
    for (LaunchPlace &place : LaunchPlaces) {
        if (!place.thread || WaitForSingleObject(place.thread, 0) != WAIT_OBJECT_0)
            continue;
        CloseHandle(place.thread);
        HeapFree(GetProcessHeap(), 0, place.launch);
        place.thread = NULL;
        place.launch = NULL;
    }
}

/* A free place for the launch; NULL when the same one is under way (the
 * same verb, file and folder on behalf of the same page: zero-filled, so
 * compared as bytes up to show), or too many are. */
static LaunchPlace *FreePlaceFor(const ShellLaunch *launch)
{
    LaunchPlace *free = NULL;
    for (LaunchPlace &place : LaunchPlaces) {
        if (!place.thread) {
            if (!free)
                free = &place;
            continue;
        }
        if (memcmp(place.launch, launch, offsetof(ShellLaunch, show)) == 0)
            return NULL;
    }
    return free;
}

static DWORD WINAPI ShellLaunchThread(LPVOID parameter)
{
    const ShellLaunch *launch = (const ShellLaunch *)parameter;
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
    TakeBackEndedLaunches();
    ShellLaunch *launch = (ShellLaunch *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *launch);
    if (!launch)
        return;
    launch->owner = owner;
    launch->show = show;
    /* A box about a failed launch needs a page the user sees to stand in
     * front of; behind a hidden one it would wait unseen. */
    launch->mask = SEE_MASK_NOASYNC | (owner && IsWindowVisible(owner) ? 0 : SEE_MASK_FLAG_NO_UI);
    /* A cut path would open something else: nothing is better. */
    BOOL complete = CopyWhole(launch->verb, sizeof launch->verb, verb);
    complete = complete && CopyWhole(launch->file, sizeof launch->file, file);
    complete = complete && CopyWhole(launch->directory, sizeof launch->directory, directory);
    LaunchPlace *place = complete ? FreePlaceFor(launch) : NULL;
    HANDLE thread = place ? CreateThread(NULL, 0, ShellLaunchThread, launch, 0, NULL) : NULL;
    if (!thread) {
        HeapFree(GetProcessHeap(), 0, launch);
        return;
    }
    place->launch = launch;
    place->thread = thread;
}

BOOL WaitForShellLaunches(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        TakeBackEndedLaunches();
        HANDLE running[ARRAYSIZE(LaunchPlaces)];
        DWORD count = 0;
        for (const LaunchPlace &place : LaunchPlaces) {
            if (place.thread) {
                running[count] = place.thread;
                count++;
            }
        }
        if (count == 0)
            return TRUE;
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return FALSE;
        /* The shell may send to the page that owns the launch (a box about
         * a failed launch is owned by it): such messages are taken in while
         * waiting, or the launch could not end. */
        DWORD woken = MsgWaitForMultipleObjectsEx(count, running, timeoutMs - waited, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0 + count) {
            MSG msg;
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}
