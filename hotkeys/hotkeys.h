/*
 * Hotkeys: the companion's own low-level keyboard hook.
 */
#pragma once

#include <windows.h>

/* The installed WH_KEYBOARD_LL hook, null when not installed. */
extern HHOOK KeyboardHook;

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
