/* Hotkey codes: matching, event codes, assigned codes and key-name arguments. */
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

static KBDLLHOOKSTRUCT Event(DWORD vkCode, DWORD scanCode, DWORD flags)
{
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = vkCode;
    event.scanCode = scanCode;
    event.flags = flags;
    return event;
}

struct MatchCase {
    const char *what;
    HotkeyCode hotkey;
    HotkeyCode eventCode;
    BOOL matches;
};

TEST(HotkeyMatches, ComparesUnderTheMatchMask)
{
    static const MatchCase cases[] = {
        { "Alt+F10 against system-key F10", 0x0479, 0x0479, TRUE },
        { "Shift and Control places ignored", 0x0779, 0x0479, TRUE },
        { "Shift place alone ignored", 0x0579, 0x0479, TRUE },
        { "Shift place is no Alt", 0x0179, 0x0479, FALSE },
        { "scan code ignored", 0x00440479, 0x0479, TRUE },
        { "all high bits ignored", 0xFFFF0479, 0x0479, TRUE },
        { "plain F10 never matches a system key", 0x0079, 0x0479, FALSE },
        { "plain F10 against plain F10", 0x0079, 0x0079, TRUE },
        { "Alt+F10 against plain F10", 0x0479, 0x0079, FALSE },
        { "extended flag compared", 0x0879, 0x0079, FALSE },
        { "extended against extended", 0x0C2D, 0x0C2D, TRUE },
        { "not extended against extended", 0x042D, 0x0C2D, FALSE },
        { "bits 12-15 compared", 0x1479, 0x0479, FALSE },
        { "other key", 0x0478, 0x0479, FALSE },
        { "none against an empty event", 0, 0, FALSE },
        { "flags only against an event of flags only", 0x0400, 0x0400, FALSE },
        { "extended Alt without a key", 0x0C00, 0x0C00, FALSE },
        { "none against F10", 0, 0x0479, FALSE },
    };
    for (const MatchCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << std::hex << ": hotkey 0x" << c.hotkey << ", event 0x"
                                        << c.eventCode);
        EXPECT_EQ(c.matches, HotkeyMatches(c.hotkey, c.eventCode));
    }
}

struct EventCodeCase {
    const char *what;
    WPARAM message;
    DWORD vkCode, scanCode, flags;
    HotkeyCode code;
};

TEST(HotkeyEventCode, TakesTheAltBitFromTheMessageKindAlone)
{
    static const EventCodeCase cases[] = {
        { "system key-down", WM_SYSKEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 0x0479 },
        { "system key-up", WM_SYSKEYUP, 0x79, 0x44, LLKHF_ALTDOWN | LLKHF_UP, 0x0479 },
        { "system key without Alt flag (F10 alone)", WM_SYSKEYDOWN, 0x79, 0x44, 0, 0x0479 },
        { "key-down with Alt flag", WM_KEYDOWN, 0x79, 0x44, LLKHF_ALTDOWN, 0x0079 },
        { "key-up", WM_KEYUP, 0x79, 0x44, LLKHF_UP, 0x0079 },
        { "extended key-down", WM_KEYDOWN, 0x2D, 0x52, LLKHF_EXTENDED, 0x082D },
        { "extended system key", WM_SYSKEYDOWN, 0x2D, 0x52, LLKHF_EXTENDED | LLKHF_ALTDOWN, 0x0C2D },
        { "injected flag ignored", WM_KEYDOWN, 0x78, 0x43, LLKHF_INJECTED, 0x0078 },
        { "low byte of the virtual key", WM_SYSKEYDOWN, 0x178, 0x43, 0, 0x0478 },
        { "no virtual key", WM_SYSKEYDOWN, 0x00, 0x43, 0, 0x0400 },
    };
    for (const EventCodeCase &c : cases) {
        SCOPED_TRACE(c.what);
        KBDLLHOOKSTRUCT event = Event(c.vkCode, c.scanCode, c.flags);
        EXPECT_EQ(c.code, HotkeyEventCode(c.message, &event));
    }
}

TEST(HotkeyEventCode, AnEventMatchesTheHotkeyItsPressAssigns)
{
    /* Alt+F9 pressed once to assign it, and again to use it. */
    KBDLLHOOKSTRUCT altF9 = Event(0x78, 0x43, LLKHF_ALTDOWN);
    HotkeyCode assigned = AssignedHotkeyCode(&altF9);
    EXPECT_TRUE(HotkeyMatches(assigned, HotkeyEventCode(WM_SYSKEYDOWN, &altF9)));
    EXPECT_TRUE(HotkeyMatches(assigned, HotkeyEventCode(WM_SYSKEYUP, &altF9)));
    EXPECT_FALSE(HotkeyMatches(assigned, HotkeyEventCode(WM_KEYDOWN, &altF9)));
}

struct AssignedCase {
    const char *what;
    DWORD vkCode, scanCode, flags;
    HotkeyCode code;
};

TEST(AssignedHotkeyCode, CarriesKeyExtendedAltAndScanCode)
{
    static const AssignedCase cases[] = {
        { "Alt-down F9", 0x78, 0x43, LLKHF_ALTDOWN, 0x00430478 },
        { "F9", 0x78, 0x43, 0, 0x00430078 },
        { "Caps Lock", VK_CAPITAL, 0x3A, 0, 0x003A0014 },
        { "extended Insert", 0x2D, 0x52, LLKHF_EXTENDED, 0x0052082D },
        { "Alt and extended", 0x2D, 0x52, LLKHF_EXTENDED | LLKHF_ALTDOWN, 0x00520C2D },
        { "injected and up flags ignored", 0x78, 0x43, LLKHF_INJECTED | LLKHF_UP, 0x00430078 },
        { "scan code bits above 15 fall off", 0x78, 0xABCD1234, 0, 0x12340078 },
        { "no scan code", 0x78, 0, 0, 0x00000078 },
        { "low byte of the virtual key", 0x1FF, 0x7F, 0, 0x007F00FF },
    };
    for (const AssignedCase &c : cases) {
        SCOPED_TRACE(c.what);
        KBDLLHOOKSTRUCT event = Event(c.vkCode, c.scanCode, c.flags);
        EXPECT_EQ(c.code, AssignedHotkeyCode(&event));
    }
}

struct ArgumentCase {
    const char *what;
    HotkeyCode hotkey;
    UINT mappedScanCode;
    LONG argument;
};

TEST(HotkeyKeyNameArgument, ScanCodeOfTheHotkeyTakesPrecedence)
{
    static const ArgumentCase cases[] = {
        { "default F9 uses the mapping", 0x0078, 0x43, 0x00430000 },
        { "own scan code over the mapping", 0x00520060, 0x99, 0x00520000 },
        { "F10's key with F1's scan code", 0x003B0079, 0x44, 0x003B0000 },
        { "extended from the mapping", 0x0C2D, 0x52, 0x01520000 },
        { "extended with own scan code", 0x00520C2D, 0x11, 0x01520000 },
        { "bits 24-31 alone count as a scan code of 0", 0x01000078, 0x43, 0x00000000 },
        { "only bits 16-23 of the scan code", 0x12340878, 0x43, 0x01340000 },
        { "Alt and Shift places do not count", 0x0778, 0x43, 0x00430000 },
        { "mapping wider than a byte", 0x0078, 0x1E0, 0x00E00000 },
        { "no mapping", 0x00FF, 0, 0 },
    };
    for (const ArgumentCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.argument, HotkeyKeyNameArgument(c.hotkey, c.mappedScanCode));
    }
}

TEST(HotkeyCarriesScanCode, AnyOfBits16To31)
{
    EXPECT_FALSE(HotkeyCarriesScanCode(0x0000FFFF));
    EXPECT_TRUE(HotkeyCarriesScanCode(0x00010000));
    EXPECT_TRUE(HotkeyCarriesScanCode(0x80000000));
    EXPECT_TRUE(HotkeyCarriesScanCode(0x00430478));
}
