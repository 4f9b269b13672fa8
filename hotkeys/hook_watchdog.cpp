/*
 * Keeping the keyboard hook alive. The platform removes a low-level hook
 * whose thread keeps input waiting longer than its low-level hook timeout,
 * and says nothing: the hotkeys would then reach games and the hotkey fields
 * stop taking keys until a restart. The companion's one thread also calls
 * into the hook library and dispatches the pages, so it can be away that
 * long. The main loop therefore looks, once a pass, at how long the thread
 * was away; when that was longer than the timeout and input arrived
 * meanwhile, the hook may be gone and is installed anew.
 */
#include "hotkeys/hotkeys.h"

#include "base/base.h"

#include <stdlib.h>
#include <string.h>

HHOOK KeyboardHook;
DWORD KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
DWORD KeyboardHookInstalledAt;
/* A re-install failed: the hotkeys are gone until one succeeds. */
static BOOL KeyboardHookMissing;

DWORD EffectiveHookTimeout(BOOL configured, DWORD milliseconds)
{
    /* Current Windows caps the setting at one second. */
    if (!configured || milliseconds == 0)
        return DEFAULT_HOOK_TIMEOUT_MS;
    return milliseconds > MAX_HOOK_TIMEOUT_MS ? MAX_HOOK_TIMEOUT_MS : milliseconds;
}

BOOL KeyboardHookMayBeLost(DWORD awayMs, DWORD timeoutMs, BOOL inputWhileAway)
{
    return inputWhileAway && awayMs > timeoutMs;
}

BOOL ParseHookTimeoutText(const char *data, DWORD size, DWORD *milliseconds)
{
    /* Tweaking tools do not always store the text's terminator: the text
     * is ended here, one byte behind whatever was stored. */
    char text[HOOK_TIMEOUT_TEXT_SIZE + 1];
    if (size > HOOK_TIMEOUT_TEXT_SIZE)
        return FALSE;
    memcpy(text, data, size);
    text[size] = '\0';
    char *end;
    unsigned long parsed = strtoul(text, &end, 10);
    if (end == text)
        return FALSE;
    *milliseconds = (DWORD)parsed;
    return TRUE;
}

void ReadKeyboardHookTimeout(void)
{
    /* Stored as a number, though tweaking tools write it as text too. */
    char data[HOOK_TIMEOUT_TEXT_SIZE];
    DWORD value = 0;
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    BOOL configured = FALSE;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, "LowLevelHooksTimeout", NULL, &type, (BYTE *)data, &size) == ERROR_SUCCESS) {
            if (type == REG_DWORD && size == sizeof value) {
                memcpy(&value, data, sizeof value);
                configured = TRUE;
            } else if (type == REG_SZ) {
                configured = ParseHookTimeoutText(data, size, &value);
            }
        }
        RegCloseKey(key);
    }
    KeyboardHookTimeout = EffectiveHookTimeout(configured, value);
}

void InstallKeyboardHook(void)
{
    KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, ProgramInstance, 0);
    KeyboardHookInstalledAt = GetTickCount();
}

void RemoveKeyboardHook(void)
{
    if (KeyboardHook)
        UnhookWindowsHookEx(KeyboardHook);
    KeyboardHook = NULL;
    /* Removed on purpose: nothing may bring it back. */
    KeyboardHookMissing = FALSE;
}

BOOL WatchKeyboardHook(DWORD awaySince, DWORD now)
{
    /* A hook that never went in is not retried here: start-up reported it.
     * One the watchdog lost is, but once per timeout: each try may wait. */
    if (!KeyboardHook) {
        if (!KeyboardHookMissing || now - KeyboardHookInstalledAt <= KeyboardHookTimeout)
            return FALSE;
        InstallKeyboardHook();
        KeyboardHookMissing = !KeyboardHook;
        return TRUE;
    }
    DWORD away = now - awaySince;
    if (away <= KeyboardHookTimeout)
        return FALSE;
    LASTINPUTINFO input;
    input.cbSize = sizeof input;
    input.dwTime = 0;
    BOOL inputWhileAway = GetLastInputInfo(&input) && (DWORD)(now - input.dwTime) < away;
    if (!KeyboardHookMayBeLost(away, KeyboardHookTimeout, inputWhileAway))
        return FALSE;
    /* Removing a hook the platform already dropped fails harmlessly; the
     * old one goes first so that no key passes the procedure twice. */
    RemoveKeyboardHook();
    InstallKeyboardHook();
    KeyboardHookMissing = !KeyboardHook;
    return TRUE;
}
