/*
 * The keyboard hook in-process: synthetic low-level keyboard events handed
 * to FilterHotkeyEvent and KeyboardHookProc, with hidden pages whose real
 * hotkey fields show what the hook writes. Called directly, outside any hook
 * chain, CallNextHookEx answers 0, so a passed-on event reads 0 and a
 * swallowed one 1 from both functions; keyboard_hook_chain_test.cpp follows
 * the events through a real hook chain.
 */
#include "keyboard_hook_pages.h"

#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

/* Both ways into the hook, so every case runs through each. */
struct Entry {
    const char *name;
    LRESULT (*call)(WPARAM message, const KBDLLHOOKSTRUCT *event);
};
static LRESULT ThroughFilter(WPARAM message, const KBDLLHOOKSTRUCT *event)
{
    return FilterHotkeyEvent(message, event);
}
static LRESULT ThroughHookProc(WPARAM message, const KBDLLHOOKSTRUCT *event)
{
    return KeyboardHookProc(HC_ACTION, message, (LPARAM)event);
}
static const Entry Entries[] = {
    { "FilterHotkeyEvent", ThroughFilter },
    { "KeyboardHookProc", ThroughHookProc },
};

static const LRESULT SWALLOWED = 1;
static const LRESULT PASSED_ON = 0;

static const char *MessageName(WPARAM message)
{
    switch (message) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    default: return "other message";
    }
}

class KeyboardHookEvents : public HotkeyPages {
protected:
    /* Nothing of the pages changed: every hotkey at its default, every field
     * showing the marker, nothing posted to any field or to the thread. */
    void ExpectNoAssignment(const HotkeyCode expected[4])
    {
        for (int role = 0; role < 4; role++) {
            SCOPED_TRACE(FieldRoles[role].name);
            EXPECT_EQ(expected[role], *FieldRoles[role].hotkey);
            EXPECT_EQ(FieldMarker, FieldText(role));
            EXPECT_TRUE(TakePosted(role).empty());
        }
        EXPECT_EQ(0, TakeThreadMessages());
    }
    void CurrentHotkeys(HotkeyCode out[4])
    {
        for (int role = 0; role < 4; role++)
            out[role] = *FieldRoles[role].hotkey;
    }
};

/* ---- Filtering mode: no field assigning ---- */

struct FilterCase {
    const char *what;
    int role;             /* the hotkey set for the case */
    HotkeyCode hotkey;
    WPARAM message;
    DWORD vkCode, scanCode, flags;
    LRESULT expected;
};

TEST_F(KeyboardHookEvents, FilteringSwallowsOnlySystemKeysMatchingAHotkey)
{
    static const FilterCase cases[] = {
        { "F9 down alone, Movie Key F9", MOVIE_FIELD, 120, WM_KEYDOWN, 0x78, 0x43, 0, PASSED_ON },
        { "F9 up alone, Movie Key F9", MOVIE_FIELD, 120, WM_KEYUP, 0x78, 0x43, 0, PASSED_ON },
        { "Alt+F9 down, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, SWALLOWED },
        { "Alt+F9 up, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_SYSKEYUP, 0x78, 0x43, LLKHF_ALTDOWN, SWALLOWED },
        { "Alt+F9 down, Movie Key F9", MOVIE_FIELD, 120, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, PASSED_ON },
        { "Alt+F9 up, Movie Key F9", MOVIE_FIELD, 120, WM_SYSKEYUP, 0x78, 0x43, LLKHF_ALTDOWN, PASSED_ON },
        /* The Alt bit comes from the message kind alone. */
        { "plain key-down flagged Alt, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_KEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, PASSED_ON },
        { "plain key-up, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_KEYUP, 0x78, 0x43, 0, PASSED_ON },
        { "system key-down without Alt flag, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_SYSKEYDOWN, 0x78, 0x43, 0, SWALLOWED },
        { "F10 alone as system key, Capture Key F10", CAPTURE_FIELD, 121, WM_SYSKEYDOWN, 0x79, 0x44, 0, PASSED_ON },
        /* Each of the four hotkeys is compared. */
        { "Alt+F10, Capture Key Alt+F10", CAPTURE_FIELD, 0x0479, WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, SWALLOWED },
        { "Alt+F12, Overlay Key Alt+F12", OVERLAY_FIELD, 0x047B, WM_SYSKEYDOWN, 0x7B, 0x58, LLKHF_ALTDOWN, SWALLOWED },
        { "Alt+F11 up, Log Key Alt+F11", LOG_FIELD, 0x047A, WM_SYSKEYUP, 0x7A, 0x57, LLKHF_ALTDOWN, SWALLOWED },
        /* Masked and ignored bits of the stored hotkey. */
        { "stored scan code ignored", MOVIE_FIELD, 0x00990478, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, SWALLOWED },
        { "stored Shift and Control places ignored", MOVIE_FIELD, 0x0778, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, SWALLOWED },
        { "stored bits 12-15 compared", MOVIE_FIELD, 0x1478, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, PASSED_ON },
        /* Extended keys. */
        { "Alt+Insert, Movie Key Alt+Insert", MOVIE_FIELD, 0x0C2D, WM_SYSKEYDOWN, 0x2D, 0x52, LLKHF_EXTENDED | LLKHF_ALTDOWN, SWALLOWED },
        { "Alt+keypad 0 (same virtual key, not extended), Movie Key Alt+Insert", MOVIE_FIELD, 0x0C2D, WM_SYSKEYDOWN, 0x2D, 0x52, LLKHF_ALTDOWN, PASSED_ON },
        { "Alt+F9 flagged extended, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_EXTENDED | LLKHF_ALTDOWN, PASSED_ON },
        /* Events without a virtual key. */
        { "virtual-key byte 0, every hotkey's flags only", MOVIE_FIELD, 0x0400, WM_SYSKEYDOWN, 0x00, 0x10, LLKHF_ALTDOWN, PASSED_ON },
        { "virtual key 0x100, Movie Key Alt only", MOVIE_FIELD, 0x0400, WM_SYSKEYUP, 0x100, 0x10, LLKHF_ALTDOWN, PASSED_ON },
        { "virtual-key byte 0, Movie Key none", MOVIE_FIELD, 0, WM_SYSKEYDOWN, 0x00, 0x00, 0, PASSED_ON },
        { "virtual key 0x178 counts as F9, Movie Key Alt+F9", MOVIE_FIELD, 0x0478, WM_SYSKEYDOWN, 0x178, 0x43, LLKHF_ALTDOWN, SWALLOWED },
        { "not a key message", MOVIE_FIELD, 0x0478, WM_CHAR, 0x78, 0x43, LLKHF_ALTDOWN, PASSED_ON },
    };
    for (const Entry &entry : Entries) {
        for (const FilterCase &c : cases) {
            SCOPED_TRACE(testing::Message() << entry.name << ": " << c.what << " (" << MessageName(c.message) << ")");
            ResetFields();
            *FieldRoles[c.role].hotkey = c.hotkey;
            HotkeyCode before[4];
            CurrentHotkeys(before);
            KBDLLHOOKSTRUCT event = KeyEvent(c.vkCode, c.scanCode, c.flags);
            EXPECT_EQ(c.expected, entry.call(c.message, &event));
            ExpectNoAssignment(before);
        }
    }
}

TEST_F(KeyboardHookEvents, FilteringIgnoresTheHotkeysOfOtherKeys)
{
    /* All four hotkeys on Alt combinations; a fifth key passes. */
    for (const Entry &entry : Entries) {
        SCOPED_TRACE(entry.name);
        ResetFields();
        *FieldRoles[MOVIE_FIELD].hotkey = 0x0478;
        *FieldRoles[CAPTURE_FIELD].hotkey = 0x0479;
        *FieldRoles[OVERLAY_FIELD].hotkey = 0x047B;
        *FieldRoles[LOG_FIELD].hotkey = 0x047A;
        KBDLLHOOKSTRUCT f8 = KeyEvent(0x77, 0x42, LLKHF_ALTDOWN);
        EXPECT_EQ(PASSED_ON, entry.call(WM_SYSKEYDOWN, &f8));
        KBDLLHOOKSTRUCT f11 = KeyEvent(0x7A, 0x57, LLKHF_ALTDOWN);
        EXPECT_EQ(SWALLOWED, entry.call(WM_SYSKEYDOWN, &f11));
    }
}

TEST_F(KeyboardHookEvents, HotkeysOfNoneNeverSwallowAnything)
{
    for (const Entry &entry : Entries) {
        SCOPED_TRACE(entry.name);
        ResetFields();
        for (int role = 0; role < 4; role++)
            *FieldRoles[role].hotkey = 0;
        for (DWORD vk = 0; vk < 0x100; vk++) {
            KBDLLHOOKSTRUCT event = KeyEvent(vk, 0, LLKHF_ALTDOWN);
            ASSERT_EQ(PASSED_ON, entry.call(WM_SYSKEYDOWN, &event)) << "virtual key " << vk;
        }
    }
}

/* ---- Assignment mode: a field has the focus ---- */

struct AssignCase {
    const char *what;
    WPARAM message;
    DWORD vkCode, scanCode, flags;
    LRESULT expected;
    bool assigns;
    HotkeyCode code;           /* the new Movie Key when assigned */
    const char *text;          /* its field's text; NULL: the system's name of nameArgument */
    LONG nameArgument;
};

TEST_F(KeyboardHookEvents, AssigningTakesTheNextKeyPressAndSwallowsAllButLockKeys)
{
    static const AssignCase cases[] = {
        { "F9 down", WM_KEYDOWN, 0x78, 0x43, 0, SWALLOWED, true, 0x00430078, "F9", 0 },
        { "Alt-down F9", WM_SYSKEYDOWN, 0x78, 0x43, LLKHF_ALTDOWN, SWALLOWED, true, 0x00430478, "Alt - F9", 0 },
        /* Here Alt comes from LLKHF_ALTDOWN, not from the message kind. */
        { "F10 alone as system key", WM_SYSKEYDOWN, 0x79, 0x44, 0, SWALLOWED, true, 0x00440079, "F10", 0 },
        { "key-down flagged Alt", WM_KEYDOWN, 0x41, 0x1E, LLKHF_ALTDOWN, SWALLOWED, true, 0x001E0441, "Alt - A", 0 },
        { "Alt+Insert, extended", WM_SYSKEYDOWN, 0x2D, 0x52, LLKHF_EXTENDED | LLKHF_ALTDOWN, SWALLOWED, true, 0x00520C2D, "Alt - Insert", 0 },
        { "injected flag does not count", WM_KEYDOWN, 0x78, 0x43, LLKHF_INJECTED, SWALLOWED, true, 0x00430078, "F9", 0 },
        { "scan code bits above 15 fall off", WM_KEYDOWN, 0x78, 0x12340043, 0, SWALLOWED, true, 0x00430078, "F9", 0 },
        /* Lock keys are assigned and still reach the system. */
        { "Caps Lock down", WM_KEYDOWN, VK_CAPITAL, 0x3A, 0, PASSED_ON, true, 0x003A0014, NULL, 0x003A0000 },
        { "Num Lock down", WM_KEYDOWN, VK_NUMLOCK, 0x45, LLKHF_EXTENDED, PASSED_ON, true, 0x00450890, NULL, 0x01450000 },
        { "Alt+Scroll Lock down", WM_SYSKEYDOWN, VK_SCROLL, 0x46, LLKHF_ALTDOWN, PASSED_ON, true, 0x00460491, NULL, 0x00460000 },
        { "Caps Lock up", WM_KEYUP, VK_CAPITAL, 0x3A, LLKHF_UP, PASSED_ON, false, 0, NULL, 0 },
        { "Num Lock system up", WM_SYSKEYUP, VK_NUMLOCK, 0x45, LLKHF_EXTENDED | LLKHF_UP, PASSED_ON, false, 0, NULL, 0 },
        /* Key-ups and other messages assign nothing and are swallowed. */
        { "F9 up", WM_KEYUP, 0x78, 0x43, LLKHF_UP, SWALLOWED, false, 0, NULL, 0 },
        { "Alt+F9 up", WM_SYSKEYUP, 0x78, 0x43, LLKHF_UP | LLKHF_ALTDOWN, SWALLOWED, false, 0, NULL, 0 },
        { "not a key message", WM_CHAR, 0x78, 0x43, 0, SWALLOWED, false, 0, NULL, 0 },
        /* Modifiers alone and the media block are swallowed, not assigned. */
        { "Shift", WM_KEYDOWN, VK_SHIFT, 0x2A, 0, SWALLOWED, false, 0, NULL, 0 },
        { "Control", WM_KEYDOWN, VK_CONTROL, 0x1D, 0, SWALLOWED, false, 0, NULL, 0 },
        { "Alt", WM_SYSKEYDOWN, VK_MENU, 0x38, LLKHF_ALTDOWN, SWALLOWED, false, 0, NULL, 0 },
        { "left Shift", WM_KEYDOWN, VK_LSHIFT, 0x2A, 0, SWALLOWED, false, 0, NULL, 0 },
        { "right Alt", WM_SYSKEYDOWN, VK_RMENU, 0x38, LLKHF_EXTENDED | LLKHF_ALTDOWN, SWALLOWED, false, 0, NULL, 0 },
        { "volume up", WM_KEYDOWN, VK_VOLUME_UP, 0x30, LLKHF_EXTENDED, SWALLOWED, false, 0, NULL, 0 },
        { "0xB9, last of the block", WM_KEYDOWN, 0xB9, 0x00, 0, SWALLOWED, false, 0, NULL, 0 },
        /* Just outside the excluded ranges. */
        { "0x0F, below Shift", WM_KEYDOWN, 0x0F, 0x00, 0, SWALLOWED, true, 0x0000000F, "0x000F", 0 },
        { "Pause, above Alt", WM_KEYDOWN, VK_PAUSE, 0x45, 0, SWALLOWED, true, 0x00450013, NULL, 0x00450000 },
        { "0x9F, below left Shift", WM_KEYDOWN, 0x9F, 0x00, 0, SWALLOWED, true, 0x0000009F, "0x009F", 0 },
        { "0xBA, after the block", WM_KEYDOWN, 0xBA, 0x27, 0, SWALLOWED, true, 0x002700BA, NULL, 0x00270000 },
        /* A key the system has no name for shows its number. */
        { "nameless key", WM_KEYDOWN, 0xFF, 0x7F, 0, SWALLOWED, true, 0x007F00FF, "0x00FF", 0 },
        { "nameless extended key with Alt", WM_SYSKEYDOWN, 0xFF, 0x7F, LLKHF_EXTENDED | LLKHF_ALTDOWN, SWALLOWED, true, 0x007F0CFF, "Alt - 0x08FF", 0 },
        /* No virtual key: such a hotkey could never match, so none is stored. */
        { "virtual-key byte 0", WM_KEYDOWN, 0x00, 0x1E, 0, SWALLOWED, false, 0, NULL, 0 },
        { "virtual key 0x110 (byte Shift)", WM_KEYDOWN, 0x110, 0x2A, 0, SWALLOWED, false, 0, NULL, 0 },
        /* Without a scan code the name comes from the virtual key, as it
         * will when the page shows the stored hotkey next time. */
        { "F9 without scan code", WM_KEYDOWN, 0x78, 0x00, 0, SWALLOWED, true, 0x00000078, "F9", 0 },
    };
    /* The nameless cases rely on this keyboard layout having no name for
     * scan code 0x7F; the system's names stand in where layouts differ. */
    ASSERT_EQ("", SystemKeyName(0x007F0000)) << "pick a nameless scan code for this layout";
    ASSERT_EQ("", SystemKeyName(0x017F0000)) << "pick a nameless scan code for this layout";
    ASSERT_EQ(0u, MapVirtualKeyA(0x0F, MAPVK_VK_TO_VSC));
    ASSERT_EQ(0u, MapVirtualKeyA(0x9F, MAPVK_VK_TO_VSC));
    ASSERT_EQ("", SystemKeyName(0)) << "scan code 0 has a name on this layout";

    for (const Entry &entry : Entries) {
        for (const AssignCase &c : cases) {
            SCOPED_TRACE(testing::Message() << entry.name << ": " << c.what << " (" << MessageName(c.message) << ")");
            ResetFields();
            StartAssigning(MOVIE_FIELD);
            HotkeyCode before[4];
            CurrentHotkeys(before);
            KBDLLHOOKSTRUCT event = KeyEvent(c.vkCode, c.scanCode, c.flags);
            EXPECT_EQ(c.expected, entry.call(c.message, &event));
            if (!c.assigns) {
                ExpectNoAssignment(before);
                continue;
            }
            EXPECT_EQ(c.code, SharedSettings.MovieKey);
            std::string expectedText = c.text ? c.text : SystemKeyName(c.nameArgument);
            if (!c.text) {
                EXPECT_NE("", expectedText) << "the system has no name for this key";
                if (c.code & HOTKEY_ALT)
                    expectedText = "Alt - " + expectedText;
            }
            EXPECT_EQ(expectedText, FieldText(MOVIE_FIELD));
            auto posted = TakePosted(MOVIE_FIELD);
            ASSERT_EQ(1u, posted.size()) << "one EM_SETSEL to the field";
            EXPECT_EQ(0u, posted[0].first);
            EXPECT_EQ(-1, posted[0].second);
            for (int role = CAPTURE_FIELD; role <= LOG_FIELD; role++) {
                SCOPED_TRACE(FieldRoles[role].name);
                EXPECT_EQ(before[role], *FieldRoles[role].hotkey);
                EXPECT_EQ(FieldMarker, FieldText(role));
                EXPECT_TRUE(TakePosted(role).empty());
            }
            EXPECT_EQ(0, TakeThreadMessages());
        }
    }
}

/* Only one field can hold the focus; a flag whose field lost it without
 * telling its page (or one set by a stray command) is stale: the hook clears
 * it, and only the focused field takes the key. */
TEST_F(KeyboardHookEvents, OnlyTheFocusedFieldTakesTheKeyAndStaleFlagsAreCleared)
{
    for (const Entry &entry : Entries) {
        for (int focused = MOVIE_FIELD; focused <= LOG_FIELD; focused++) {
            SCOPED_TRACE(testing::Message() << entry.name << ": focus in " << FieldRoles[focused].name);
            ResetFields();
            StartAssigning(focused);
            for (const FieldRole &role : FieldRoles)
                *role.assigning = 1;
            HotkeyCode before[4];
            CurrentHotkeys(before);
            KBDLLHOOKSTRUCT f5 = KeyEvent(VK_F5, 0x3F, 0);
            EXPECT_EQ(SWALLOWED, entry.call(WM_KEYDOWN, &f5));
            for (int role = 0; role < 4; role++) {
                SCOPED_TRACE(FieldRoles[role].name);
                auto posted = TakePosted(role);
                if (role == focused) {
                    EXPECT_EQ(0x003F0074u, *FieldRoles[role].hotkey);
                    EXPECT_EQ("F5", FieldText(role));
                    ASSERT_EQ(1u, posted.size());
                    EXPECT_EQ(0u, posted[0].first);
                    EXPECT_EQ(-1, posted[0].second);
                    EXPECT_EQ(1u, *FieldRoles[role].assigning);
                } else {
                    EXPECT_EQ(before[role], *FieldRoles[role].hotkey);
                    EXPECT_EQ(FieldMarker, FieldText(role));
                    EXPECT_TRUE(posted.empty());
                    /* Fields before the focused one in precedence were
                     * looked at and found stale. */
                    if (role < focused) {
                        EXPECT_EQ(0u, *FieldRoles[role].assigning);
                    }
                }
            }
        }
    }
}

TEST_F(KeyboardHookEvents, AFlagWithoutTheFocusPassesTheKeyOnAndIsCleared)
{
    struct StaleCase {
        const char *what;
        WPARAM message;
        DWORD vkCode, flags;
        int expected;
    };
    static const StaleCase cases[] = {
        { "plain F5", WM_KEYDOWN, VK_F5, 0, PASSED_ON },
        /* Not assigning any more, the hook filters again. */
        { "Alt+F9, the Movie Key", WM_SYSKEYDOWN, 0x78, LLKHF_ALTDOWN, SWALLOWED },
    };
    for (const StaleCase &c : cases) {
        SCOPED_TRACE(c.what);
        ResetFields();
        SharedSettings.MovieKey = 0x0478;
        StartAssigning(CAPTURE_FIELD);
        SetFocus(NULL);
        HotkeyCode before[4];
        CurrentHotkeys(before);
        KBDLLHOOKSTRUCT event = KeyEvent(c.vkCode, 0x3F, c.flags);
        EXPECT_EQ(c.expected, KeyboardHookProc(HC_ACTION, c.message, (LPARAM)&event));
        EXPECT_EQ(0u, CaptureKeyAssigning);
        ExpectNoAssignment(before);
        EXPECT_EQ(FieldMarker, FieldText(CAPTURE_FIELD));
    }
}

TEST_F(KeyboardHookEvents, AnyNonZeroFlagMeansAssigning)
{
    ResetFields();
    StartAssigning(LOG_FIELD, 7);
    KBDLLHOOKSTRUCT f5 = KeyEvent(VK_F5, 0x3F, 0);
    EXPECT_EQ(SWALLOWED, FilterHotkeyEvent(WM_KEYDOWN, &f5));
    EXPECT_EQ(0x003F0074u, SharedSettings.LogKey);
    EXPECT_EQ("F5", FieldText(LOG_FIELD));
}

TEST_F(KeyboardHookEvents, AssigningWinsOverFiltering)
{
    /* Alt+F9 is the Movie Key, but while the Capture field assigns, the
     * press becomes the Capture Key instead of being filtered as a hotkey. */
    ResetFields();
    SharedSettings.MovieKey = 0x0478;
    StartAssigning(CAPTURE_FIELD);
    KBDLLHOOKSTRUCT altF9 = KeyEvent(0x78, 0x43, LLKHF_ALTDOWN);
    EXPECT_EQ(SWALLOWED, FilterHotkeyEvent(WM_SYSKEYDOWN, &altF9));
    EXPECT_EQ(0x00430478u, SharedSettings.CaptureKey);
    EXPECT_EQ(0x0478u, SharedSettings.MovieKey);
    EXPECT_EQ("Alt - F9", FieldText(CAPTURE_FIELD));
    /* Once the field lets go, plain F9 passes and Alt+F9 is swallowed again. */
    CaptureKeyAssigning = 0;
    KBDLLHOOKSTRUCT f9 = KeyEvent(0x78, 0x43, 0);
    EXPECT_EQ(PASSED_ON, FilterHotkeyEvent(WM_KEYDOWN, &f9));
    EXPECT_EQ(SWALLOWED, FilterHotkeyEvent(WM_SYSKEYDOWN, &altF9));
}

TEST_F(KeyboardHookEvents, AFlagLeftSetWithoutItsPageTakesNothingAndPostsNothingStray)
{
    ResetFields();
    HWND movies = MoviesPage;
    MoviesPage = NULL;
    MovieKeyAssigning = 1;
    KBDLLHOOKSTRUCT f5 = KeyEvent(VK_F5, 0x3F, 0);
    EXPECT_EQ(PASSED_ON, FilterHotkeyEvent(WM_KEYDOWN, &f5));
    EXPECT_EQ(120u, SharedSettings.MovieKey);
    EXPECT_EQ(0u, MovieKeyAssigning);
    EXPECT_EQ(0, TakeThreadMessages());
    MoviesPage = movies;
    EXPECT_EQ(FieldMarker, FieldText(MOVIE_FIELD));
}

TEST_F(KeyboardHookEvents, NullEventIsPassedOn)
{
    ResetFields();
    EXPECT_EQ(0, FilterHotkeyEvent(WM_SYSKEYDOWN, NULL));
    MovieKeyAssigning = 1;
    EXPECT_EQ(0, FilterHotkeyEvent(WM_KEYDOWN, NULL));
    EXPECT_EQ(120u, SharedSettings.MovieKey);
}

/* ---- Hook codes other than HC_ACTION ---- */

TEST_F(KeyboardHookEvents, OtherHookCodesAreNeitherFilteredNorAssigned)
{
    static const int codes[] = { -1, -2, 1, HC_NOREMOVE, 0x7FFFFFFF, (int)0x80000000 };
    for (int code : codes) {
        SCOPED_TRACE(testing::Message() << "nCode " << code);
        /* An event filtering would swallow ... */
        ResetFields();
        SharedSettings.MovieKey = 0x0478;
        KBDLLHOOKSTRUCT altF9 = KeyEvent(0x78, 0x43, LLKHF_ALTDOWN);
        EXPECT_EQ(0, KeyboardHookProc(code, WM_SYSKEYDOWN, (LPARAM)&altF9));
        /* ... and one assigning would take. */
        ResetFields();
        StartAssigning(MOVIE_FIELD);
        HotkeyCode before[4];
        CurrentHotkeys(before);
        KBDLLHOOKSTRUCT f5 = KeyEvent(VK_F5, 0x3F, 0);
        EXPECT_EQ(0, KeyboardHookProc(code, WM_KEYDOWN, (LPARAM)&f5));
        ExpectNoAssignment(before);
    }
}
