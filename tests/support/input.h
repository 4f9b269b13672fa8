/* Input as a user gives it, and a message pump for the test's own windows. */
#pragma once

#include <windows.h>

/* A key going down or up through SendInput, with its scan code. */
void SendKey(WORD vk, bool up);
/* A key pressed and released. */
void PressKey(WORD vk);
/* Dispatches the test thread's messages for that long. */
void PumpFor(DWORD milliseconds);
