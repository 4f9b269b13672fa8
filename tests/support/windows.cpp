#include "support/windows.h"

#include "support/companion.h"

std::string WindowText(HWND window)
{
    char text[4096] = "";
    /* WM_GETTEXT rather than GetWindowText: the latter does not ask windows
     * of other processes for their text. */
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    return text;
}

static BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(window);
    return TRUE;
}

/* The top-level windows of a process, the hidden ones too when asked. */
static std::vector<HWND> ProcessWindows(DWORD pid, bool hiddenToo)
{
    std::vector<HWND> all, found;
    EnumWindows(CollectWindow, (LPARAM)&all);
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && (hiddenToo || IsWindowVisible(window)))
            found.push_back(window);
    }
    return found;
}

static HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo)
{
    for (HWND window : ProcessWindows(pid, hiddenToo))
        if (WindowText(window) == caption)
            return window;
    return NULL;
}

HWND FindHiddenOrShownProcessWindow(DWORD pid, const std::string &caption)
{
    return FindProcessWindow(pid, caption, true);
}

HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = FindProcessWindow(pid, caption, false)) != NULL; }, timeoutMs);
    return found;
}

std::vector<std::string> ProcessWindowCaptions(DWORD pid)
{
    std::vector<std::string> captions;
    for (HWND window : ProcessWindows(pid, false))
        captions.push_back(WindowText(window));
    return captions;
}

static std::vector<HWND> Children(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, CollectWindow, (LPARAM)&children);
    return children;
}

static bool IsClass(HWND window, const char *name)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content{ WindowText(box), "", false, {} };
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child))
            continue;
        if (IsClass(child, "Button"))
            content.buttons.push_back(WindowText(child));
        else if (IsClass(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            content.hasIcon = content.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        else if (IsClass(child, "Static") && content.text.empty())
            content.text = WindowText(child);
    }
    return content;
}

bool PressMessageBoxButton(HWND box, const std::string &buttonText)
{
    for (HWND child : Children(box)) {
        if (IsClass(child, "Button") && WindowText(child) == buttonText) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), (LPARAM)child);
            return true;
        }
    }
    return false;
}
