/* Hotkey codes: how keyboard events match them and the text a page shows. */
#include "hotkeys/hotkeys.h"

#include <stdio.h>
#include <string.h>

static const char NoHotkeyText[] = "None";
static const char AltPrefix[] = "Alt - ";
/* GetKeyNameTextA gets 56 bytes including the terminator, so a name is at
 * most 55 bytes. */
static const int KeyNameSize = 56;
/* Bit 24 of GetKeyNameTextA's argument: the extended-key flag. */
static const LONG KeyNameExtended = 0x01000000;

BOOL HotkeyMatches(HotkeyCode hotkey, HotkeyCode eventCode)
{
    /* Events without a virtual key are never compared: otherwise a hotkey of
     * 0 (none) or one with only flag bits would fire on them. */
    if ((eventCode & HOTKEY_KEY_MASK) == 0)
        return FALSE;
    return (hotkey & HOTKEY_MATCH_MASK) == eventCode;
}

HotkeyCode HotkeyEventCode(WPARAM message, const KBDLLHOOKSTRUCT *event)
{
    HotkeyCode code = event->vkCode & HOTKEY_KEY_MASK;
    if (event->flags & LLKHF_EXTENDED)
        code |= HOTKEY_EXTENDED;
    /* The message kind alone decides, not LLKHF_ALTDOWN: F10 pressed alone
     * arrives as WM_SYSKEYDOWN too and so carries the Alt bit. */
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP)
        code |= HOTKEY_ALT;
    return code;
}

HotkeyCode AssignedHotkeyCode(const KBDLLHOOKSTRUCT *event)
{
    HotkeyCode code = event->vkCode & HOTKEY_KEY_MASK;
    if (event->flags & LLKHF_EXTENDED)
        code |= HOTKEY_EXTENDED;
    if (event->flags & LLKHF_ALTDOWN)
        code |= HOTKEY_ALT;
    /* 32-bit on purpose: scan-code bits above 15 fall off. */
    code |= (HotkeyCode)(event->scanCode << 16);
    return code;
}

BOOL HotkeyCarriesScanCode(HotkeyCode hotkey)
{
    return (hotkey & 0xFFFF0000u) != 0;
}

LONG HotkeyKeyNameArgument(HotkeyCode hotkey, UINT mappedScanCode)
{
    LONG argument;
    if (HotkeyCarriesScanCode(hotkey))
        argument = (LONG)(hotkey & 0x00FF0000u);
    else
        argument = (LONG)((mappedScanCode & 0xFFu) << 16);
    if (hotkey & HOTKEY_EXTENDED)
        argument |= KeyNameExtended;
    return argument;
}

int FormatHotkeyText(HotkeyCode hotkey, const char *keyName, char *text, size_t size)
{
    char result[HOTKEY_TEXT_SIZE];
    if (hotkey == 0) {
        snprintf(result, sizeof result, "%s", NoHotkeyText);
    } else {
        const char *prefix = (hotkey & HOTKEY_ALT) ? AltPrefix : "";
        if (keyName && keyName[0])
            snprintf(result, sizeof result, "%s%.*s", prefix, KeyNameSize - 1, keyName);
        else
            snprintf(result, sizeof result, "%s0x%.4X", prefix, (unsigned)(hotkey & HOTKEY_NUMBER_MASK));
    }
    size_t length = strlen(result);
    if (!text || length >= size)
        return 1;
    memcpy(text, result, length + 1);
    return 0;
}

int HotkeyText(HotkeyCode hotkey, char *text, size_t size)
{
    char keyName[HOTKEY_TEXT_SIZE];
    memset(keyName, 0, sizeof keyName);
    if (hotkey != 0) {
        /* A hotkey assigned from a key press knows its scan code; only the
         * defaults and hand-written registry values need the mapping, which
         * depends on the keyboard layout. */
        UINT mapped = 0;
        if (!HotkeyCarriesScanCode(hotkey))
            mapped = MapVirtualKeyA(hotkey & HOTKEY_KEY_MASK, MAPVK_VK_TO_VSC);
        if (GetKeyNameTextA(HotkeyKeyNameArgument(hotkey, mapped), keyName, KeyNameSize) <= 0)
            keyName[0] = '\0';
    }
    return FormatHotkeyText(hotkey, keyName, text, size);
}

int ShowHotkey(HWND field, HotkeyCode hotkey)
{
    char text[HOTKEY_TEXT_SIZE];
    if (HotkeyText(hotkey, text, sizeof text) != 0)
        return 1;
    return SetWindowTextA(field, text) ? 0 : 1;
}
