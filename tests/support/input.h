/* Input as a user gives it. */
#pragma once

#include <windows.h>

/* A key pressed and released through SendInput, with its scan code. */
inline void PressKey(WORD vk)
{
    INPUT input[2] = {};
    WORD scan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    for (int i = 0; i < 2; i++)
        input[i].type = INPUT_KEYBOARD, input[i].ki = { vk, scan, i ? (DWORD)KEYEVENTF_KEYUP : 0, 0, 0 };
    SendInput(2, input, sizeof *input);
}
