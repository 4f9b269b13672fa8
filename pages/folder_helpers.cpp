/* Choosing, showing and opening folders on the pages. */
#include "pages/pages.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

static const char FolderTooLongText[] = "The folder path is too long: at most 255 characters.";

int CopyChosenFolder(char *destination, const char *path)
{
    /* A longer path cut to 255 characters would name another folder, one
     * the user never chose, and the hook library would save into it. */
    size_t length = strnlen(path, 256);
    if (length > 255)
        return 1;
    /* The rest zeroed like strncpy; byte 255 is never written and stays the
     * terminator. */
    memcpy(destination, path, length);
    memset(destination + length, 0, 255 - length);
    return 0;
}

int AcceptChosenFolder(HWND owner, char *destination, const char *path)
{
    if (CopyChosenFolder(destination, path) == 0)
        return 1;
    MessageBoxA(owner, FolderTooLongText, "Zentu", MB_OK | MB_ICONWARNING);
    return 0;
}

int PickFolder(HWND owner, char *destination, const char *prompt)
{
    IMalloc *allocator = NULL;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;
    /* The new-style browser is built on COM; the thread is otherwise not a
     * COM thread, so it joins an apartment for the dialog's lifetime. */
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    char path[MAX_PATH] = "";
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof browse);
    browse.hwndOwner = owner;
    browse.pidlRoot = NULL;
    browse.pszDisplayName = path;
    browse.lpszTitle = prompt;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = NULL;
    browse.lParam = 0;

    int chosen = 0;
    LPITEMIDLIST items = SHBrowseForFolderA(&browse);
    if (items) {
        if (SHGetPathFromIDListA(items, path))
            chosen = AcceptChosenFolder(owner, destination, path);
        allocator->Free(items);
    }
    allocator->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return chosen;
}

void RepaintControl(HWND page, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(page, id), &rect);
    POINT corners[2] = { { rect.left, rect.top }, { rect.right, rect.bottom } };
    ScreenToClient(page, &corners[0]);
    ScreenToClient(page, &corners[1]);
    RECT client = { corners[0].x, corners[0].y, corners[1].x, corners[1].y };
    InvalidateRect(page, &client, TRUE);
    UpdateWindow(page);
}

int FolderWithBackslash(const char *path, char *dest, size_t size)
{
    size_t length = strlen(path);
    if (length > 260)
        length = 260;
    BOOL append = length > 0 && path[length - 1] != '\\';
    if (length + (append ? 1 : 0) + 1 > size)
        return 1;
    memcpy(dest, path, length);
    if (append)
        dest[length++] = '\\';
    dest[length] = '\0';
    return 0;
}

void ExploreFolder(HWND owner, const char *path)
{
    char folder[264];
    if (FolderWithBackslash(path, folder, sizeof folder) != 0)
        return;
    LaunchShell(owner, "explore", folder, NULL, SW_SHOWNORMAL);
}
