/* The keyboard hook with hidden pages whose fields show what it writes. Outside a chain,
 * KeyboardHookProc reads 1 for a swallowed event, 0 for a passed-on one. */
#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "support/companion.h"

#include <gtest/gtest.h>

#include <string.h>

/* The fields in the hook's order of precedence, with the hotkeys each case starts from. */
static const struct Role { const char *name; UINT32 *flag; HotkeyCode *hotkey, start; HWND *page; int id; } Roles[4] = {
    { "Movie", &MovieKeyAssigning, &SharedSettings.MovieKey, 0x78, &MoviesPage, IDC_MOVIES_MOVIE_KEY },
    { "Capture", &CaptureKeyAssigning, &SharedSettings.CaptureKey, 0x0479, &ScreenshotsPage,
      IDC_SCREENSHOTS_CAPTURE_KEY },
    { "Overlay", &OverlayKeyAssigning, &SharedSettings.OverlayKey, 0x047B, &FpsPage, IDC_FPS_OVERLAY_KEY },
    { "Log", &LogKeyAssigning, &SharedSettings.LogKey, 0x047A, &FpsPage, IDC_FPS_LOG_KEY },
};
static const char Marker[] = "(untouched)";

static HWND Field(int r) { return GetDlgItem(*Roles[r].page, Roles[r].id); }

/* Removes the EM_SETSELs posted to a field; counts 1 for each selecting all. */
static int SelectAllsPosted(int r)
{
    int count = 0;
    for (MSG msg; PeekMessageA(&msg, Field(r), EM_SETSEL, EM_SETSEL, PM_REMOVE);)
        count += msg.wParam == 0 && msg.lParam == -1 ? 1 : 100;
    return count;
}

TEST(KeyboardHook, DecidesByTheHotkeysOrLetsTheFocusedAssigningFieldTakeTheKey)
{
    for (HWND *page : { &FpsPage, &MoviesPage, &ScreenshotsPage })
        *page = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, NULL, NULL, NULL, NULL);
    for (const Role &role : Roles)
        CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 99, 20, *role.page, (HMENU)(INT_PTR)role.id, NULL, NULL);
    for (HWND page : { FpsPage, MoviesPage, ScreenshotsPage })
        HandHotkeyFields(page);
    enum { NOWHERE = -1, ALL = 0xF };
    /* flags: of the fields, by role bit; assigned: the focused field's new hotkey, with its text; 0 when none */
    static const struct { const char *what; int focus, flags, flagsAfter; WPARAM message; DWORD vk, scan, eventFlags;
                          LRESULT swallowed; HotkeyCode assigned; const char *text; int code = HC_ACTION; } cases[] = {
        /* Filtering: only system keys matching one of the hotkeys. */
        { "plain F9, a plain hotkey", NOWHERE, 0, 0, WM_KEYDOWN, 0x78, 0x43, 0, 0, 0, NULL },
        { "Alt+F10, the Capture Key", NOWHERE, 0, 0, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 1, 0, NULL },
        { "Alt+F11 up, the Log Key", NOWHERE, 0, 0, WM_SYSKEYUP, 0x7A, 0x57, LLKHF_ALTDOWN | LLKHF_UP, 1, 0, NULL },
        { "Alt+Tab, no hotkey", NOWHERE, 0, 0, WM_SYSKEYDOWN, VK_TAB, 0x0F, LLKHF_ALTDOWN, 0, 0, NULL },
        { "Alt+F4 up, no hotkey", NOWHERE, 0, 0, WM_SYSKEYUP, VK_F4, 0x3E, LLKHF_ALTDOWN | LLKHF_UP, 0, 0, NULL },
        { "plain F10, the Capture Key without Alt", NOWHERE, 0, 0, WM_KEYDOWN, 0x79, 0x44, 0, 0, 0, NULL },
        /* Assigning: the next key press, over the hotkeys; all but lock keys kept. */
        { "Alt+F10, the Capture Key", 0, 1, 1, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 1, 0x00440479, "Alt - F10" },
        { "F9 up", 0, 1, 1, WM_KEYUP, 0x78, 0x43, LLKHF_UP, 1, 0, NULL },
        { "Caps Lock, F2's scan code", 0, 1, 1, WM_KEYDOWN, VK_CAPITAL, 0x3C, 0, 0, 0x003C0014, "F2" },
        { "Num Lock, F3's scan code", 0, 1, 1, WM_KEYDOWN, VK_NUMLOCK, 0x3D, 0, 0, 0x003D0090, "F3" },
        { "Scroll Lock, F4's scan code", 0, 1, 1, WM_KEYDOWN, VK_SCROLL, 0x3E, 0, 0, 0x003E0091, "F4" },
        /* Hook codes other than HC_ACTION carry no event: passed on, nothing assigned, no flag cleared. */
        { "Alt+F10, HC_NOREMOVE", 0, 1, 1, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 0, 0, NULL, HC_NOREMOVE },
        /* Modifiers alone, media keys and events without a key are no hotkeys. */
        { "Shift", 0, 1, 1, WM_KEYDOWN, VK_SHIFT, 0x2A, 0, 1, 0, NULL },
        { "Alt", 0, 1, 1, WM_SYSKEYDOWN, VK_MENU, 0x38, LLKHF_ALTDOWN, 1, 0, NULL },
        { "Pause", 0, 1, 1, WM_KEYDOWN, VK_PAUSE, 0, 0, 1, VK_PAUSE, "Pause" },
        { "left Shift", 0, 1, 1, WM_KEYDOWN, VK_LSHIFT, 0x2A, 0, 1, 0, NULL },
        { "0xB9, the last media key", 0, 1, 1, WM_KEYDOWN, 0xB9, 0, 0, 1, 0, NULL },
        { "0xBA, named by the A key's scan code", 0, 1, 1, WM_KEYDOWN, 0xBA, 0x1E, 0, 1, 0x001E00BA, "A" },
        { "0x100, byte 0", 0, 1, 1, WM_KEYDOWN, 0x100, 0x1E, 0, 1, 0, NULL },
        /* Flags of fields that lost the focus unannounced are stale: cleared on the way to the focused one. */
        { "all flags, Capture focused", 1, ALL, 0xE, WM_KEYDOWN, VK_F5, 0x3F, 0, 1, 0x003F0074, "F5" },
        { "all flags, no focus", NOWHERE, ALL, 0, WM_KEYDOWN, VK_F5, 0x3F, 0, 0, 0, NULL },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetFocus(c.focus < 0 ? NULL : Field(c.focus));
        for (int r = 0; r < 4; r++) {
            *Roles[r].hotkey = Roles[r].start;
            *Roles[r].flag = (c.flags >> r & 1) ? 7 : 0;  /* any value but 0 means assigning */
            SetWindowTextA(Field(r), Marker);
            SelectAllsPosted(r);
        }
        KBDLLHOOKSTRUCT event = { c.vk, c.scan, c.eventFlags, 0, 0 };
        EXPECT_EQ(c.swallowed, KeyboardHookProc(c.code, c.message, (LPARAM)&event));
        for (int r = 0; r < 4; r++) {
            SCOPED_TRACE(Roles[r].name);
            bool takes = c.assigned && r == c.focus;
            EXPECT_EQ(takes ? c.assigned : Roles[r].start, *Roles[r].hotkey);
            EXPECT_EQ((c.flagsAfter >> r & 1) ? 7u : 0u, *Roles[r].flag);
            EXPECT_EQ(takes ? c.text : Marker, WindowText(Field(r)));
            EXPECT_EQ(takes ? 1 : 0, SelectAllsPosted(r)) << "all of the new text selected";
        }
    }
    for (HWND *page : { &FpsPage, &MoviesPage, &ScreenshotsPage })
        DestroyWindow(*page), *page = NULL;
}

/* Tweaking tools write "LowLevelHooksTimeout" as text as well as a number. */
TEST(KeyboardHookTimeout, IsReadAsNumberOrTextWithin1000Or300WithoutIt)
{
    static const char Desktop[] = "Control Panel\\Desktop", Name[] = "LowLevelHooksTimeout";
    ScopedValueRestore restore(HKEY_CURRENT_USER, Desktop, Name);
    static const struct { DWORD type, number; const char *text; DWORD timeout; } cases[] = {  /* REG_NONE: none */
        { REG_NONE, 0, NULL, 300 }, { REG_DWORD, 200, NULL, 200 }, { REG_DWORD, 5000, NULL, 1000 },
        { REG_DWORD, 0, NULL, 300 }, { REG_DWORD, 1, NULL, 1 }, { REG_DWORD, 1000, NULL, 1000 },
        { REG_DWORD, 1001, NULL, 1000 }, { REG_SZ, 0, "450", 450 }, { REG_SZ, 0, "2500", 1000 },
        { REG_SZ, 0, "soon", 300 }, { REG_BINARY, 200, NULL, 300 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ": " << (c.text ? c.text : "") << c.number);
        DeleteValue(HKEY_CURRENT_USER, Desktop, Name);
        if (c.type != REG_NONE)
            SetRawValue(HKEY_CURRENT_USER, Desktop, Name, c.type, c.text ? (const void *)c.text : &c.number,
                        c.text ? (DWORD)strlen(c.text) + 1 : sizeof c.number);
        KeyboardHookTimeout = 12345, ReadKeyboardHookTimeout();
        EXPECT_EQ(c.timeout, KeyboardHookTimeout);
    }
}
