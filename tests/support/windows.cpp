#include "support/windows.h"

#include "support/companion.h"

#include <string.h>

std::string WindowText(HWND window)
{
    char text[4096] = "";
    /* WM_GETTEXT rather than GetWindowText: the latter does not ask windows
     * of other processes for their text. */
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    return text;
}

struct FindData {
    DWORD pid;
    std::vector<HWND> windows;
    bool hiddenToo;
};

static BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM lParam)
{
    FindData *data = (FindData *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == data->pid && (data->hiddenToo || IsWindowVisible(window)))
        data->windows.push_back(window);
    return TRUE;
}

static std::vector<HWND> ProcessWindows(DWORD pid, bool hiddenToo = false)
{
    FindData data{ pid, {}, hiddenToo };
    EnumWindows(CollectProcessWindow, (LPARAM)&data);
    return data.windows;
}

HWND FindProcessWindow(DWORD pid, const std::string &caption)
{
    for (HWND window : ProcessWindows(pid))
        if (WindowText(window) == caption)
            return window;
    return NULL;
}

HWND FindHiddenOrShownProcessWindow(DWORD pid, const std::string &caption)
{
    for (HWND window : ProcessWindows(pid, true))
        if (WindowText(window) == caption)
            return window;
    return NULL;
}

HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = FindProcessWindow(pid, caption)) != NULL; }, timeoutMs);
    return found;
}

std::vector<std::string> ProcessWindowCaptions(DWORD pid)
{
    std::vector<std::string> captions;
    for (HWND window : ProcessWindows(pid))
        captions.push_back(WindowText(window));
    return captions;
}

static BOOL CALLBACK CollectChild(HWND child, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(child);
    return TRUE;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content{};
    content.caption = WindowText(box);
    content.owned = GetWindow(box, GW_OWNER) != NULL;
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, (LPARAM)&children);
    for (HWND child : children) {
        if (!IsWindowVisible(child))
            continue;
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (_stricmp(className, "Button") == 0) {
            content.buttons.push_back(WindowText(child));
        } else if (_stricmp(className, "Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON)
                content.hasIcon = content.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
            else if (content.text.empty())
                content.text = WindowText(child);
        }
    }
    return content;
}

bool PressMessageBoxButton(HWND box, const std::string &buttonText)
{
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, (LPARAM)&children);
    for (HWND child : children) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        if (_stricmp(className, "Button") == 0 && WindowText(child) == buttonText) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), (LPARAM)child);
            return true;
        }
    }
    return false;
}
