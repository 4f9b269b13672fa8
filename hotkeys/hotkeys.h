/*
 * Hotkeys: the 32-bit hotkey codes, the texts the pages show for them, and
 * the companion's own low-level keyboard hook.
 *
 * Who owns what: the four hotkeys are fields of SharedSettings
 * (settings/settings.h); the table of hotkey fields and their four
 * assignment flags are here, and the pages set and clear the flags and hand
 * over the fields' windows. The hook only reads the flags. While a flag is
 * set it writes that flag's hotkey and the text of its field; otherwise it
 * only reads the hotkeys. The ids of the hotkey fields are in
 * resources/resource.h. Everything runs on the one thread.
 */
#pragma once

#include <windows.h>

#include <stddef.h>

/*
 * A hotkey, 0 for none. Bits 0-7: virtual-key code. Bits 8-9: the hotkey
 * control's Shift and Control places, never set here and ignored everywhere.
 * Bit 10: Alt. Bit 11: extended key. Bits 12-15: never set here, but
 * compared. Bits 16-31: scan code of the key press that assigned the hotkey
 * (0 in the defaults); only bits 16-23 are used, for the key's name.
 * The low 16 bits have the layout of the hotkey control's HKM_SETHOTKEY value.
 */
typedef DWORD HotkeyCode;

#define HOTKEY_KEY_MASK 0x00FFu
#define HOTKEY_ALT 0x0400u
#define HOTKEY_EXTENDED 0x0800u
/* What a keyboard event is compared against: everything but bits 8-9 and
 * the scan code. */
#define HOTKEY_MATCH_MASK 0xFCFFu
/* What the number shown for a nameless key keeps: Alt is shown as the
 * "Alt - " prefix instead. */
#define HOTKEY_NUMBER_MASK 0xF8FFu

/* Hotkey assignment flags, 0 or 1, one per hotkey field. */
extern UINT32 OverlayKeyAssigning;
extern UINT32 LogKeyAssigning;
extern UINT32 MovieKeyAssigning;
extern UINT32 CaptureKeyAssigning;

/* The hotkey fields in order of precedence (when several flags are set, the
 * first takes the key): control id, setting, flag, clear button, and the
 * field's window, NULL until a page that has the control hands it over. */
struct HotkeyField {
    int fieldId;
    DWORD *setting;
    UINT32 *assigning;
    int clearId;
    HWND window;
};
#define HOTKEY_FIELD_COUNT 4
extern HotkeyField HotkeyFields[HOTKEY_FIELD_COUNT];

/* A page hands over the hotkey fields it has (its children with their
 * control ids) when it is created; the others stay as they are. */
void HandHotkeyFields(HWND page);

/* Room for any hotkey text: "Alt - " and a key name of at most 55 bytes. */
#define HOTKEY_TEXT_SIZE 64

/* TRUE when a keyboard event with this event code triggers the hotkey. An
 * event code whose virtual-key byte is 0 matches nothing, so neither does a
 * hotkey of 0. */
BOOL HotkeyMatches(HotkeyCode hotkey, HotkeyCode eventCode);

/* The event code of a keyboard message: the virtual-key byte, HOTKEY_EXTENDED
 * for an extended key and HOTKEY_ALT for WM_SYSKEYDOWN and WM_SYSKEYUP. The
 * Alt bit comes from the kind of message alone. */
HotkeyCode HotkeyEventCode(WPARAM message, const KBDLLHOOKSTRUCT *event);

/* The hotkey a key press assigns: virtual-key byte, HOTKEY_EXTENDED for an
 * extended key, HOTKEY_ALT when Alt was down, and the scan code in bits
 * 16-31. */
HotkeyCode AssignedHotkeyCode(const KBDLLHOOKSTRUCT *event);

/* TRUE when the hotkey carries the scan code of its key (bits 16-31). */
BOOL HotkeyCarriesScanCode(HotkeyCode hotkey);

/* The argument for GetKeyNameTextA: the hotkey's own scan code when it
 * carries one, otherwise mappedScanCode (MapVirtualKeyA's scan code for the
 * virtual key), in bits 16-23; bit 24 for an extended key. */
LONG HotkeyKeyNameArgument(HotkeyCode hotkey, UINT mappedScanCode);

/*
 * The text of a hotkey, given the name the system has for its key (NULL or
 * "" when it has none): "None" for 0; the name, at most 55 bytes of it, or
 * the code AND HOTKEY_NUMBER_MASK as "0x%.4X" when there is no name; both
 * behind "Alt - " when the Alt bit is set. Returns 0 on success, 1 when text
 * (size bytes) is too small, leaving it untouched.
 */
int FormatHotkeyText(HotkeyCode hotkey, const char *keyName, char *text, size_t size);

/* The text of a hotkey with the key's name from the system. Returns 0 on
 * success, 1 when text is too small (untouched); HOTKEY_TEXT_SIZE is always
 * enough. */
int HotkeyText(HotkeyCode hotkey, char *text, size_t size);

/* Writes the hotkey's text into a hotkey field's window. Returns 0 on
 * success, 1 when the window did not take it. */
int ShowHotkey(HWND field, HotkeyCode hotkey);

/* The installed WH_KEYBOARD_LL hook, null when not installed. */
extern HHOOK KeyboardHook;

/* GetTickCount at the last attempt to install it: the hook is live, and
 * the thread's time away counts, from there. */
extern DWORD KeyboardHookInstalledAt;

/* Installs and removes the companion's keyboard hook (KeyboardHook). */
void InstallKeyboardHook(void);
void RemoveKeyboardHook(void);

/* The platform's low-level hook timeout: how long the thread may keep input
 * waiting before the hook is silently removed. */
#define DEFAULT_HOOK_TIMEOUT_MS 300u
#define MAX_HOOK_TIMEOUT_MS 1000u
extern DWORD KeyboardHookTimeout;

/* The timeout in force for a "LowLevelHooksTimeout" setting (configured
 * FALSE when there is none): 300 ms by default, at most 1000 ms. */
DWORD EffectiveHookTimeout(BOOL configured, DWORD milliseconds);

/* The longest "LowLevelHooksTimeout" text read, in bytes. */
#define HOOK_TIMEOUT_TEXT_SIZE 16

/* The number of milliseconds a "LowLevelHooksTimeout" stored as text says:
 * size bytes of data, read whole whether or not they end in a terminator.
 * FALSE (milliseconds untouched) when they hold no number or are longer
 * than HOOK_TIMEOUT_TEXT_SIZE. */
BOOL ParseHookTimeoutText(const char *data, DWORD size, DWORD *milliseconds);

/* Reads "LowLevelHooksTimeout" into KeyboardHookTimeout. */
void ReadKeyboardHookTimeout(void);

/* TRUE when the platform may have removed the hook: the thread was away
 * longer than the timeout and input arrived meanwhile. */
BOOL KeyboardHookMayBeLost(DWORD awayMs, DWORD timeoutMs, BOOL inputWhileAway);

/* Called once a loop pass with the tick count (GetTickCount) at which the
 * thread last waited for input and the tick count now; installs the hook
 * anew when it may have been lost, and again, once per timeout, while that
 * fails. TRUE when it did. */
BOOL WatchKeyboardHook(DWORD awaySince, DWORD now);

/* The hook procedure: returns 1 to swallow the event, otherwise whatever the
 * rest of the hook chain returns. */
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);

/* Decides about one keyboard event (code HC_ACTION): 1 to swallow it, 0 to
 * pass it on. While a hotkey field is assigning, a key press also becomes
 * that field's hotkey. A release is swallowed exactly when the last press of
 * its key was. Only KeyboardHookProc calls it (and the tests). */
int FilterHotkeyEvent(WPARAM message, const KBDLLHOOKSTRUCT *event);
