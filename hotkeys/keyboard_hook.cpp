/* The companion's low-level keyboard hook. */
#include "hotkeys/hotkeys.h"

HHOOK KeyboardHook;

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(KeyboardHook, code, wParam, lParam);
}
