/* Hotkeys' pure rules: what an event is compared as, what a press assigns, the texts (the system's
 * names of keys named alike on every layout; scan code 0 has none), and when the hook may be lost. */
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

#include <string>

TEST(HotkeyCode, EventsTakeAltFromTheMessageKindAndPressesAssignItFromTheAltFlag)
{
    static const struct { const char *what; WPARAM message; DWORD vk, scan, flags; HotkeyCode eventCode, assigned; }
        cases[] = {
        { "F10 alone arrives as a system key", WM_SYSKEYDOWN, 0x79, 0x44, 0, 0x0479, 0x00440079 },
        { "key-down flagged Alt", WM_KEYDOWN, 0x41, 0x1E, LLKHF_ALTDOWN, 0x0041, 0x001E0441 },
        { "extended Insert", WM_SYSKEYUP, 0x2D, 0x52, LLKHF_EXTENDED | LLKHF_ALTDOWN | LLKHF_UP, 0x0C2D, 0x00520C2D },
        { "high bits of key and scan code", WM_KEYUP, 0x178, 0xABCD0043, LLKHF_INJECTED, 0x0078, 0x00430078 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        KBDLLHOOKSTRUCT event = { c.vk, c.scan, c.flags, 0, 0 };
        EXPECT_EQ(c.eventCode, HotkeyEventCode(c.message, &event));
        EXPECT_EQ(c.assigned, AssignedHotkeyCode(&event));
    }
}

TEST(HotkeyCode, MatchIgnoresOnlyTheScanCodeAndTheShiftAndControlPlaces)
{
    static const struct { HotkeyCode hotkey, eventCode; BOOL matches; } cases[] = {
        { 0xFFFF0778, 0x0478, TRUE },
        { 0x0078, 0x0478, FALSE },
        { 0x0478, 0x0C78, FALSE },
        { 0x1478, 0x0478, FALSE },
        { 0x0479, 0x0478, FALSE },
        { 0x0400, 0x0400, FALSE }, /* no key, no match */
        { 0, 0, FALSE },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.matches, HotkeyMatches(c.hotkey, c.eventCode)) << std::hex << c.hotkey << " " << c.eventCode;
}

TEST(HotkeyCode, KeyNameArgumentTakesTheHotkeysOwnScanCodeOverTheMapping)
{
    static const struct { HotkeyCode hotkey; UINT mapped; LONG argument; } cases[] = {
        { 0x0078, 0x43, 0x00430000 },
        { 0x12340078, 0x99, 0x00340000 },
        { 0x01000078, 0x43, 0 },
        { 0x0C2D, 0x52, 0x01520000 },
        { 0x00520C2D, 0x11, 0x01520000 },
        { 0x0078, 0x1E0, 0x00E00000 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.argument, HotkeyKeyNameArgument(c.hotkey, c.mapped)) << std::hex << c.hotkey << " " << c.mapped;
}

TEST(HotkeyText, IsTheKeysNameOrNumberBehindTheAltPrefixCutTo55Bytes)
{
    static const struct { HotkeyCode hotkey; const char *text; } cases[] = {
        { 0, "None" },
        { 0x0778, "Alt - F9" }, /* Shift and Control places */
        { 0x0C2D, "Alt - Insert" },
        { 0x003B0078, "F1" }, /* the scan code names the key */
        { 0x01000078, "0x0078" }, /* scan code 0 */
        { 0x0100F3AB, "0xF0AB" },
        { 0x01000405, "Alt - 0x0005" },
    };
    char text[HOTKEY_TEXT_SIZE] = "";
    for (const auto &c : cases) {
        EXPECT_EQ(0, HotkeyText(c.hotkey, text, sizeof text));
        EXPECT_STREQ(c.text, text) << std::hex << c.hotkey;
    }
    ASSERT_EQ(0, FormatHotkeyText(0x0478, std::string(80, 'k').c_str(), text, sizeof text));
    EXPECT_EQ("Alt - " + std::string(55, 'k'), text);
    EXPECT_EQ(1, FormatHotkeyText(0x0478, "F9", text, 8)) << "\"Alt - F9\" needs 9 bytes";
    EXPECT_EQ(1, HotkeyText(120, text, 2));
    EXPECT_EQ("Alt - " + std::string(55, 'k'), text) << "a buffer too small is left untouched";
}

TEST(HookWatchdog, TheHookMayBeLostOnlyAfterAnAbsenceLongerThanTheTimeoutWithInputMeanwhile)
{
    static const struct { DWORD away, timeout; BOOL input, mayBeLost; } cases[] = {
        { 301, 300, TRUE, TRUE },
        { 300, 300, TRUE, FALSE }, /* the whole timeout waited */
        { 1001, 1000, TRUE, TRUE },
        { 5000, 300, FALSE, FALSE }, /* nothing was kept waiting */
        { 999, 1000, TRUE, FALSE },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.mayBeLost, KeyboardHookMayBeLost(c.away, c.timeout, c.input))
            << c.away << " ms away, timeout " << c.timeout << ", input " << c.input;
}
