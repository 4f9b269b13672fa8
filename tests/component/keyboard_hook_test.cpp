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
struct Role {
    const char *name;
    UINT32 *flag;
    HotkeyCode *hotkey;
    HotkeyCode start;
    HWND *page;
    int id;
};
static const Role Roles[4] = {
    { "Movie", &MovieKeyAssigning, &SharedSettings.MovieKey, 0x78, &MoviesPage, IDC_MOVIES_MOVIE_KEY },
    { "Capture", &CaptureKeyAssigning, &SharedSettings.CaptureKey, 0x0479, &ScreenshotsPage, IDC_SCREENSHOTS_CAPTURE_KEY },
    { "Overlay", &OverlayKeyAssigning, &SharedSettings.OverlayKey, 0x047B, &FpsPage, IDC_FPS_OVERLAY_KEY },
    { "Log", &LogKeyAssigning, &SharedSettings.LogKey, 0x047A, &FpsPage, IDC_FPS_LOG_KEY },
};
static const char Marker[] = "(untouched)";
enum { NOWHERE = -1, ALL = 0xF };

static HWND Field(int role)
{
    return GetDlgItem(*Roles[role].page, Roles[role].id);
}

/* Removes the EM_SETSELs posted to a field; counts 1 for each selecting all. */
static int SelectAllsPosted(int role)
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, Field(role), EM_SETSEL, EM_SETSEL, PM_REMOVE)) {
        bool all = msg.wParam == 0 && msg.lParam == -1;
        count += all ? 1 : 100;
    }
    return count;
}

static LRESULT Send(WPARAM message, DWORD vk, DWORD scan, DWORD eventFlags, int code = HC_ACTION)
{
    KBDLLHOOKSTRUCT event = { vk, scan, eventFlags, 0, 0 };
    return KeyboardHookProc(code, message, (LPARAM)&event);
}

/* Hidden pages with one field per hotkey role, handed to the hook as the real pages hand theirs. */
class KeyboardHook : public testing::Test {
protected:
    void SetUp() override
    {
        HWND *pages[] = { &FpsPage, &MoviesPage, &ScreenshotsPage };
        for (HWND *page : pages)
            *page = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, NULL, NULL, NULL, NULL);
        for (const Role &role : Roles)
            CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 99, 20, *role.page, (HMENU)(INT_PTR)role.id, NULL, NULL);
        for (HWND *page : pages)
            HandHotkeyFields(*page);
    }
    void TearDown() override
    {
        HWND *pages[] = { &FpsPage, &MoviesPage, &ScreenshotsPage };
        for (HWND *page : pages) {
            DestroyWindow(*page);
            *page = NULL;
        }
    }
    /* Every hotkey at its start, the fields in flags assigning (any value but 0 means assigning), focus on one. */
    static void Prepare(int focus, int flags)
    {
        SetFocus(focus == NOWHERE ? NULL : Field(focus));
        for (int role = 0; role < 4; role++) {
            *Roles[role].hotkey = Roles[role].start;
            *Roles[role].flag = (flags >> role & 1) ? 7 : 0;
            SetWindowTextA(Field(role), Marker);
            SelectAllsPosted(role);
        }
    }
};

/* assigned: the focused field's new hotkey, with its text; 0 when none. */
struct PressCase {
    const char *what;
    int focus;
    int flags;
    int flagsAfter;
    WPARAM message;
    DWORD vk;
    DWORD scan;
    DWORD eventFlags;
    LRESULT swallowed;
    HotkeyCode assigned;
    const char *text;
    int code;
};
static const PressCase PressCases[] = {
    /* Filtering: only system keys matching one of the hotkeys. */
    { "plain F9, a plain hotkey", NOWHERE, 0, 0, WM_KEYDOWN, 0x78, 0x43, 0, 0, 0, NULL, HC_ACTION },
    { "Alt+F10, the Capture Key", NOWHERE, 0, 0, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 1, 0, NULL, HC_ACTION },
    { "Alt+F11, the Log Key", NOWHERE, 0, 0, WM_SYSKEYDOWN, 0x7A, 0x57, LLKHF_ALTDOWN, 1, 0, NULL, HC_ACTION },
    { "Alt+Tab, no hotkey", NOWHERE, 0, 0, WM_SYSKEYDOWN, VK_TAB, 0x0F, LLKHF_ALTDOWN, 0, 0, NULL, HC_ACTION },
    { "plain F10, the Capture Key without Alt", NOWHERE, 0, 0, WM_KEYDOWN, 0x79, 0x44, 0, 0, 0, NULL, HC_ACTION },
    /* Assigning: the next key press, over the hotkeys; all but lock keys kept. */
    { "Alt+F10 assigned", 0, 1, 1, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 1, 0x00440479, "Alt - F10", HC_ACTION },
    { "Caps Lock, F2's scan code", 0, 1, 1, WM_KEYDOWN, VK_CAPITAL, 0x3C, 0, 0, 0x003C0014, "F2", HC_ACTION },
    { "Num Lock, F3's scan code", 0, 1, 1, WM_KEYDOWN, VK_NUMLOCK, 0x3D, 0, 0, 0x003D0090, "F3", HC_ACTION },
    { "Scroll Lock, F4's scan code", 0, 1, 1, WM_KEYDOWN, VK_SCROLL, 0x3E, 0, 0, 0x003E0091, "F4", HC_ACTION },
    /* Hook codes other than HC_ACTION carry no event: passed on, nothing assigned, no flag cleared. */
    { "Alt+F10, HC_NOREMOVE", 0, 1, 1, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 0, 0, NULL, HC_NOREMOVE },
    /* Modifiers alone, media keys and events without a key are no hotkeys. */
    { "Shift", 0, 1, 1, WM_KEYDOWN, VK_SHIFT, 0x2A, 0, 1, 0, NULL, HC_ACTION },
    { "Alt", 0, 1, 1, WM_SYSKEYDOWN, VK_MENU, 0x38, LLKHF_ALTDOWN, 1, 0, NULL, HC_ACTION },
    { "Pause", 0, 1, 1, WM_KEYDOWN, VK_PAUSE, 0, 0, 1, VK_PAUSE, "Pause", HC_ACTION },
    { "left Shift", 0, 1, 1, WM_KEYDOWN, VK_LSHIFT, 0x2A, 0, 1, 0, NULL, HC_ACTION },
    { "0xB9, the last media key", 0, 1, 1, WM_KEYDOWN, 0xB9, 0, 0, 1, 0, NULL, HC_ACTION },
    { "0xBA, named by the A key's scan code", 0, 1, 1, WM_KEYDOWN, 0xBA, 0x1E, 0, 1, 0x001E00BA, "A", HC_ACTION },
    { "0x100, byte 0", 0, 1, 1, WM_KEYDOWN, 0x100, 0x1E, 0, 1, 0, NULL, HC_ACTION },
    /* Flags of fields that lost the focus unannounced are stale: cleared on the way to the focused one. */
    { "all flags, Capture focused", 1, ALL, 0xE, WM_KEYDOWN, VK_F5, 0x3F, 0, 1, 0x003F0074, "F5", HC_ACTION },
    { "all flags, no focus", NOWHERE, ALL, 0, WM_KEYDOWN, VK_F5, 0x3F, 0, 0, 0, NULL, HC_ACTION },
};

TEST_F(KeyboardHook, APressIsDecidedByTheHotkeysOrTakenByTheFocusedAssigningField)
{
    for (const PressCase &c : PressCases) {
        SCOPED_TRACE(c.what);
        Prepare(c.focus, c.flags);
        EXPECT_EQ(c.swallowed, Send(c.message, c.vk, c.scan, c.eventFlags, c.code));
        /* Releases the key again, so that the next case starts with nothing held. */
        Send(c.message == WM_SYSKEYDOWN ? WM_SYSKEYUP : WM_KEYUP, c.vk, c.scan, c.eventFlags | LLKHF_UP);
        for (int role = 0; role < 4; role++) {
            SCOPED_TRACE(Roles[role].name);
            bool takes = c.assigned && role == c.focus;
            EXPECT_EQ(takes ? c.assigned : Roles[role].start, *Roles[role].hotkey);
            EXPECT_EQ((c.flagsAfter >> role & 1) ? 7u : 0u, *Roles[role].flag);
            EXPECT_EQ(takes ? c.text : Marker, WindowText(Field(role)));
            EXPECT_EQ(takes ? 1 : 0, SelectAllsPosted(role)) << "all of the new text selected";
        }
    }
}

/* One key event of a sequence: while the Movie field assigns (it has the focus) or not. */
struct KeyStep {
    bool assigning;
    WPARAM message;
    DWORD vk;
    LRESULT swallowed;
};
struct ReleaseCase {
    const char *what;
    KeyStep steps[3];
};
static const ReleaseCase ReleaseCases[] = {
    { "Alt+F11, the Log Key, pressed and released, and released once more",
      { { false, WM_SYSKEYDOWN, VK_F11, 1 }, { false, WM_SYSKEYUP, VK_F11, 1 }, { false, WM_SYSKEYUP, VK_F11, 0 } } },
    { "Alt+F11 pressed, Alt let go first",
      { { false, WM_SYSKEYDOWN, VK_F11, 1 }, { false, WM_KEYUP, VK_F11, 1 } } },
    { "F10 pressed alone, released as Alt+F10, the Capture Key",
      { { false, WM_KEYDOWN, VK_F10, 0 }, { false, WM_SYSKEYUP, VK_F10, 0 } } },
    { "Alt+F10 up with no press seen", { { false, WM_SYSKEYUP, VK_F10, 0 } } },
    { "Alt+F4, no hotkey", { { false, WM_SYSKEYDOWN, VK_F4, 0 }, { false, WM_SYSKEYUP, VK_F4, 0 } } },
    { "F9 pressed and released while assigning",
      { { true, WM_KEYDOWN, VK_F9, 1 }, { true, WM_KEYUP, VK_F9, 1 } } },
    { "Alt held before the field took the focus",
      { { false, WM_SYSKEYDOWN, VK_LMENU, 0 }, { true, WM_KEYUP, VK_LMENU, 0 } } },
    { "F7 held before the field took the focus, released as a system key",
      { { false, WM_KEYDOWN, VK_F7, 0 }, { true, WM_SYSKEYUP, VK_F7, 0 } } },
    { "Shift pressed while assigning, released after",
      { { true, WM_KEYDOWN, VK_SHIFT, 1 }, { false, WM_KEYUP, VK_SHIFT, 1 } } },
    { "Caps Lock pressed while assigning", { { true, WM_KEYDOWN, VK_CAPITAL, 0 }, { true, WM_KEYUP, VK_CAPITAL, 0 } } },
    { "a swallowed press whose release never came, then a press passed on",
      { { true, WM_KEYDOWN, VK_F6, 1 }, { false, WM_KEYDOWN, VK_F6, 0 }, { false, WM_KEYUP, VK_F6, 0 } } },
};

TEST_F(KeyboardHook, AReleaseIsSwallowedExactlyWhenItsPressWas)
{
    for (const ReleaseCase &c : ReleaseCases) {
        SCOPED_TRACE(c.what);
        for (const KeyStep &step : c.steps) {
            if (step.message == 0)
                break;
            Prepare(step.assigning ? 0 : NOWHERE, step.assigning ? 1 : 0);
            bool up = step.message == WM_KEYUP || step.message == WM_SYSKEYUP;
            bool system = step.message == WM_SYSKEYDOWN || step.message == WM_SYSKEYUP;
            DWORD eventFlags = (up ? LLKHF_UP : 0) | (system ? LLKHF_ALTDOWN : 0);
            EXPECT_EQ(step.swallowed, Send(step.message, step.vk, 0, eventFlags)) << "message " << step.message;
        }
    }
}

/* Tweaking tools write "LowLevelHooksTimeout" as text as well as a number. */
struct TimeoutCase {
    DWORD type; /* REG_NONE: no value */
    DWORD number;
    const char *text;
    DWORD timeout;
};
static const TimeoutCase TimeoutCases[] = {
    { REG_NONE, 0, NULL, 300 },
    { REG_DWORD, 200, NULL, 200 },
    { REG_DWORD, 5000, NULL, 1000 },
    { REG_DWORD, 0, NULL, 300 },
    { REG_DWORD, 1, NULL, 1 },
    { REG_DWORD, 1000, NULL, 1000 },
    { REG_DWORD, 1001, NULL, 1000 },
    { REG_SZ, 0, "450", 450 },
    { REG_SZ, 0, "2500", 1000 },
    { REG_SZ, 0, "soon", 300 },
    { REG_BINARY, 200, NULL, 300 },
};

TEST(KeyboardHookTimeout, IsReadAsNumberOrTextWithin1000Or300WithoutIt)
{
    static const char Desktop[] = "Control Panel\\Desktop";
    static const char Name[] = "LowLevelHooksTimeout";
    ScopedValueRestore restore(HKEY_CURRENT_USER, Desktop, Name);
    for (const TimeoutCase &c : TimeoutCases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ": " << (c.text ? c.text : "") << c.number);
        DeleteValue(HKEY_CURRENT_USER, Desktop, Name);
        if (c.text) {
            SetRawValue(HKEY_CURRENT_USER, Desktop, Name, c.type, c.text, (DWORD)strlen(c.text) + 1);
        } else if (c.type != REG_NONE) {
            SetRawValue(HKEY_CURRENT_USER, Desktop, Name, c.type, &c.number, sizeof c.number);
        }
        KeyboardHookTimeout = 12345;
        ReadKeyboardHookTimeout();
        EXPECT_EQ(c.timeout, KeyboardHookTimeout);
    }
}
