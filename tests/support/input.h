/* Input as a user gives it: keys through SendInput, with their scan codes, and the desktop's view of them. */
#pragma once

#include <windows.h>

inline void SendKey(WORD vk, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void KeyDown(WORD vk)
{
    SendKey(vk, 0);
}

inline void KeyUp(WORD vk)
{
    SendKey(vk, KEYEVENTF_KEYUP);
}

inline void PressKey(WORD vk)
{
    KeyDown(vk);
    KeyUp(vk);
}

/* Held as every program of the desktop sees it. */
inline bool KeyHeld(WORD vk)
{
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}
