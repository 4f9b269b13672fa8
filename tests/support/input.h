/* Input as a user gives it. */
#pragma once

#include <windows.h>

/* A key pressed and released through SendInput, with its scan code. */
inline void PressKey(WORD vk)
{
    INPUT input[2] = {};
    for (int i = 0; i < 2; i++) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = vk;
        input[i].ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
        input[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, input, sizeof *input);
}
