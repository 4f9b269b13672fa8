/* Input as a user gives it, and a message pump for the test's own windows. */
#pragma once

#include <windows.h>

#include <functional>

/* The tests' own key events carry this, for the tests' low-level hooks. */
const ULONG_PTR TestKeys = 0x5A4B4859;

/* A key going down or up through SendInput, with its scan code; extraInfo
 * reaches low-level hooks. */
inline void SendKey(WORD vk, bool up, ULONG_PTR extraInfo = 0)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.ki.dwExtraInfo = extraInfo;
    SendInput(1, &input, sizeof input);
}

inline void PressKey(WORD vk, ULONG_PTR extraInfo = 0)
{
    SendKey(vk, false, extraInfo);
    SendKey(vk, true, extraInfo);
}

/* Dispatches the test thread's messages (and the low-level hook calls the
 * system sends it) until done() holds or the deadline passes. */
inline bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        /* Woken by the next message; the cap also catches changes elsewhere. */
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(deadline - now < 20 ? deadline - now : 20), QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }
