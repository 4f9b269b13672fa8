#include "support/input.h"

void SendKey(WORD vk, bool up, ULONG_PTR extraInfo)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.ki.dwExtraInfo = extraInfo;
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD vk, ULONG_PTR extraInfo)
{
    SendKey(vk, false, extraInfo);
    SendKey(vk, true, extraInfo);
}

void PumpFor(DWORD milliseconds)
{
    ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount64() < end);
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
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
        /* Woken by the next message; the short cap also catches conditions
         * that change elsewhere. */
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(deadline - now < 20 ? deadline - now : 20), QS_ALLINPUT);
    }
}
