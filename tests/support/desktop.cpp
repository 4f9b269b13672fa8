#include "support/desktop.h"

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (cond())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        /* Woken by the next message; the cap also catches changes elsewhere. */
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(deadline - now < 20 ? deadline - now : 20), QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    WaitUntil([] { return false; }, milliseconds);
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    /* GetWindowText would not ask another process's window for its text. */
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    return text;
}

static BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(window);
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo)
{
    std::vector<HWND> all;
    EnumWindows(CollectWindow, (LPARAM)&all);
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && (hiddenToo || IsWindowVisible(window)) && WindowText(window) == caption)
            return window;
    }
    return NULL;
}

HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] {
        found = FindProcessWindow(pid, caption, false);
        return found != NULL;
    }, timeoutMs);
    return found;
}

void ClickButton(HWND button)
{
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
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
    MessageBoxContent content{ "", false, {} };
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
    for (HWND child : Children(box))
        if (IsClass(child, "Button") && WindowText(child) == buttonText) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), (LPARAM)child);
            return true;
        }
    return false;
}

AnsweredBox AnswerMessageBox(DWORD pid, const std::string &caption, const std::string &button, DWORD timeoutMs)
{
    AnsweredBox answered = { false, { "", false, {} }, NULL };
    HWND box = WaitForProcessWindow(pid, caption, timeoutMs);
    if (!box)
        return answered;
    answered.content = ReadMessageBox(box);
    answered.owner = GetWindow(box, GW_OWNER);
    answered.found = PressMessageBoxButton(box, button);
    return answered;
}
