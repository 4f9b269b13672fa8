/*
 * The general page: version texts, three general options, the start-up
 * entry, and the notification message that brings the pages forward or
 * opens the popup menu.
 */
#include "pages/page_frame.h"

#include "base/base.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include <stdio.h>
#include <string.h>

/* The main tool beside the companion: starting the companion alone at logon
 * would end at once, since only the main tool sets "Running". */
static const char MainToolFileName[] = "zentu.exe";
static const char RunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

DWORD RunAtStartup;

/* The start-up entry's command: the main tool's quoted full path. */
int StartupCommand(const char *programFolder, char *command, size_t size)
{
    int length = snprintf(command, size, "\"%s\\%s\"", programFolder, MainToolFileName);
    return length < 0 || (size_t)length >= size ? 1 : 0;
}

static void UpdateStartupEntry(void)
{
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return;
    if (disposition == REG_OPENED_EXISTING_KEY) {
        if (RunAtStartup) {
            char command[FOLDER_BUFFER_SIZE + 32];
            if (StartupCommand(ProgramFolder, command, sizeof command) == 0)
                RegSetValueExA(key, "Zentu", 0, REG_SZ, (const BYTE *)command, (DWORD)strlen(command) + 1);
        } else {
            RegDeleteValueA(key, "Zentu");
        }
    }
    RegCloseKey(key);
}

/* The check boxes have stored their settings already (page_bindings.cpp). */
static void OnCommand(int id)
{
    switch (id) {
    case IDC_GENERAL_START_MINIMISED:
        SetupCall();
        break;
    case IDC_GENERAL_ALWAYS_ON_TOP:
        ApplyTopmost();
        SetupCall();
        break;
    case IDC_GENERAL_RUN_AT_STARTUP:
        UpdateStartupEntry();
        break;
    }
}

static void RestoreCurrentPage(void)
{
    ShowWindow(CurrentPage, SW_RESTORE);
    SetForegroundWindow(CurrentPage);
}

static void ShowPopupMenu(HWND page)
{
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuA(ProgramInstance, MAKEINTRESOURCEA(IDM_NOTIFY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    /* Without the foreground, the menu would not close when the user clicks
     * elsewhere. */
    SetForegroundWindow(CurrentPage);
    int command = TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_NONOTIFY |
                                            TPM_RETURNCMD,
                                 cursor.x, cursor.y, 0, page, NULL);
    switch (command) {
    case IDM_SETTINGS:
        RestoreCurrentPage();
        break;
    case IDM_EXIT:
        DestroyWindow(GeneralPage);
        break;
    case IDM_VIEW_MOVIES:
        ExploreFolder(MoviesPage, SharedSettings.MovieDirectory);
        break;
    case IDM_VIEW_SCREENSHOTS:
        ExploreFolder(ScreenshotsPage, SharedSettings.ScreenshotDirectory);
        break;
    case IDM_VIEW_BENCHMARKS:
        ExploreFolder(FpsPage, BenchmarksFolder);
        break;
    }
    /* The platform's advice for menus of notification icons: a message to
     * the owner makes the menu go away properly next time. */
    PostMessageA(CurrentPage, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

static void OnNotify(HWND page, LPARAM lParam)
{
    switch (lParam) {
    case WM_LBUTTONDBLCLK:
        RestoreCurrentPage();
        break;
    case WM_RBUTTONUP:
        ShowPopupMenu(page);
        break;
    }
}

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    switch (message) {
    case WM_INITDIALOG:
        InitialisePageFrame(PAGE_GENERAL, page);
        return TRUE;
    case WM_PAGE_NOTIFY:
        OnNotify(page, lParam);
        return TRUE;
    }
    if (HandleCommonPageMessage(PAGE_GENERAL, page, message, wParam, lParam, &result))
        return result;
    if (message == WM_COMMAND)
        OnCommand(LOWORD(wParam));
    return FALSE;
}
