/*
 * Shell launches of the pages (help files, folders) on a short-lived worker
 * thread. ShellExecuteA can block for seconds (an offline network folder, a
 * slow association), and the pages' thread also owns the low-level keyboard
 * hook, which the platform silently removes when its thread keeps input
 * waiting that long.
 */
#include "pages/pages.h"

#include <objbase.h>
#include <shellapi.h>
#include <string.h>

struct ShellLaunch {
    HWND owner;
    char verb[16];
    char file[MAX_PATH + 4];
    char directory[MAX_PATH];
    int show;
};

static DWORD WINAPI ShellLaunchThread(LPVOID parameter)
{
    ShellLaunch *launch = (ShellLaunch *)parameter;
    /* Associations and folder windows may be served through COM. */
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteA(launch->owner, launch->verb, launch->file, NULL,
                  launch->directory[0] ? launch->directory : NULL, launch->show);
    if (SUCCEEDED(com))
        CoUninitialize();
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
    /* A cut path would open something else: nothing is better. */
    if (!CopyWhole(launch->verb, sizeof launch->verb, verb) || !CopyWhole(launch->file, sizeof launch->file, file) ||
        !CopyWhole(launch->directory, sizeof launch->directory, directory)) {
        HeapFree(GetProcessHeap(), 0, launch);
        return;
    }
    HANDLE thread = CreateThread(NULL, 0, ShellLaunchThread, launch, 0, NULL);
    if (!thread) {
        HeapFree(GetProcessHeap(), 0, launch);
        return;
    }
    CloseHandle(thread);
}
