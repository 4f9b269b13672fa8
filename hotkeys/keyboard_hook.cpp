/*
 * The companion's low-level keyboard hook. At ordinary times it swallows the
 * system-key presses that match a hotkey, so that the game does not see an
 * Alt combination meant for the hook library. While a page's hotkey field
 * has the focus, the next key press becomes that field's hotkey, and every
 * key press but those of the lock keys is swallowed.
 *
 * A release goes wherever its press went: swallowed when the press was,
 * passed on when the system saw the press. A release swallowed after a
 * press the system saw would leave that key held in every program (F9
 * pressed, then Alt, then F9 let go as Alt+F9; Alt held while a hotkey field
 * takes the focus).
 *
 * The platform silently unhooks a low-level hook that keeps input waiting
 * too long, so nothing in here waits, blocks or touches the registry or
 * files. The hotkey fields belong to this thread, so setting their text is a
 * direct call; the selection goes by PostMessageA.
 */
#include "hotkeys/hotkeys.h"

/* Last key of the block that starts with the left and right Shift, Control
 * and Alt keys and runs on through the browser, volume, media and launch
 * keys. */
static const DWORD LastExcludedKey = 0xB9;

/* The field that takes the next key. A flag whose field no longer has the
 * focus is stale (the field went without telling its page): it is cleared,
 * and the key goes on as if nothing were assigning. */
static const HotkeyField *AssigningField(void)
{
    for (const HotkeyField &field : HotkeyFields) {
        if (!*field.assigning)
            continue;
        if (field.window && GetFocus() == field.window)
            return &field;
        *field.assigning = 0;
    }
    return NULL;
}

/* Modifiers pressed on their own are what the user holds on the way to the
 * real key, and the media keys belong to the system; neither becomes a
 * hotkey. Nor does an event without a virtual key: that hotkey could never
 * match anything. The byte tested is the byte that would be stored. */
static BOOL IsAssignableKey(DWORD vkCode)
{
    DWORD key = vkCode & HOTKEY_KEY_MASK;
    if (key == 0)
        return FALSE;
    if (key >= VK_SHIFT && key <= VK_MENU)
        return FALSE;
    if (key >= VK_LSHIFT && key <= LastExcludedKey)
        return FALSE;
    return TRUE;
}

/* The lock keys always reach the system, so that their lock state and
 * light still change while a field is assigning. */
static BOOL IsLockKey(DWORD vkCode)
{
    return vkCode == VK_CAPITAL || vkCode == VK_NUMLOCK || vkCode == VK_SCROLL;
}

/* Whether the last press of each virtual key was swallowed, by the key's
 * low byte. Every press sets its key's entry, so an entry left over from a
 * release that never came (the platform dropped the hook meanwhile) lasts
 * only until the key is next pressed. */
static BYTE PressSwallowed[256];

static BOOL IsKeyRelease(WPARAM message)
{
    return message == WM_KEYUP || message == WM_SYSKEYUP;
}

static int FilterRelease(const KBDLLHOOKSTRUCT *event)
{
    BYTE *swallowed = &PressSwallowed[event->vkCode & 0xFF];
    int result = *swallowed ? 1 : 0;
    *swallowed = 0;
    return result;
}

static void AssignHotkey(const HotkeyField *field, const KBDLLHOOKSTRUCT *event)
{
    HotkeyCode code = AssignedHotkeyCode(event);
    *field->setting = code;

    /* The same rule as the page's own display of a stored hotkey, so that
     * the field shows the same text now and after the next start. */
    char text[HOTKEY_TEXT_SIZE];
    if (HotkeyText(code, text, sizeof text) != 0)
        return;
    SetWindowTextA(field->window, text);
    /* Keep the whole text selected, so that the next key visibly replaces
     * it. (The field has the focus, so its window is there: a NULL window
     * would post to this thread's own queue instead.) */
    PostMessageA(field->window, EM_SETSEL, 0, -1);
}

static int FilterWhileAssigning(const HotkeyField *field, const KBDLLHOOKSTRUCT *event)
{
    if (IsAssignableKey(event->vkCode))
        AssignHotkey(field, event);
    return IsLockKey(event->vkCode) ? 0 : 1;
}

static int FilterSystemKey(WPARAM message, const KBDLLHOOKSTRUCT *event)
{
    /* Only system keys are swallowed: a plain key that matches a hotkey is
     * left to the game. An event without a virtual key matches nothing
     * (HotkeyMatches), so a hotkey of 0 never swallows it. */
    if (message != WM_SYSKEYDOWN)
        return 0;
    HotkeyCode eventCode = HotkeyEventCode(message, event);
    for (const HotkeyField &field : HotkeyFields)
        if (HotkeyMatches(*field.setting, eventCode))
            return 1;
    return 0;
}

int FilterHotkeyEvent(WPARAM message, const KBDLLHOOKSTRUCT *event)
{
    if (!event)
        return 0;
    const HotkeyField *field = AssigningField();
    if (IsKeyRelease(message))
        return FilterRelease(event);
    int swallowed = field ? FilterWhileAssigning(field, event) : FilterSystemKey(message, event);
    PressSwallowed[event->vkCode & 0xFF] = (BYTE)swallowed;
    return swallowed;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    /* Only HC_ACTION carries an event; anything else goes on as it came. */
    if (code != HC_ACTION)
        return CallNextHookEx(KeyboardHook, code, wParam, lParam);
    if (FilterHotkeyEvent(wParam, (const KBDLLHOOKSTRUCT *)lParam))
        return 1;
    return CallNextHookEx(KeyboardHook, HC_ACTION, wParam, lParam);
}
