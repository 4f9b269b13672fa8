/*
 * Hotkey texts: the formatting rule on its own, then the texts with the
 * system's key names, and ShowHotkey writing into a real control. Key names
 * depend on the keyboard layout; the cases use keys whose names are the
 * same everywhere (F keys, letters, Insert), and the fallback cases first
 * make sure the layout really has no name for their key.
 */
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

static std::string SystemKeyName(LONG argument)
{
    char name[64] = "";
    if (GetKeyNameTextA(argument, name, 56) <= 0)
        return "";
    return name;
}

static std::string TextOf(HotkeyCode hotkey)
{
    char text[HOTKEY_TEXT_SIZE] = "(unset)";
    EXPECT_EQ(0, HotkeyText(hotkey, text, sizeof text));
    return text;
}

struct FormatCase {
    const char *what;
    HotkeyCode hotkey;
    const char *keyName;
    const char *text;
};

TEST(FormatHotkeyText, NamesPrefixesAndFallbackNumbers)
{
    static const FormatCase cases[] = {
        { "none", 0, "F9", "None" },
        { "none without a name", 0, NULL, "None" },
        { "plain key", 0x0078, "F9", "F9" },
        { "Alt", 0x0478, "F9", "Alt - F9" },
        { "scan code does not show", 0x00430478, "F9", "Alt - F9" },
        { "Shift and Control places do not show", 0x0378, "F9", "F9" },
        { "nameless key", 0x00FF, "", "0x00FF" },
        { "no name at all", 0x00FF, NULL, "0x00FF" },
        { "four digits at least", 0x0005, "", "0x0005" },
        { "nameless with Alt and extended", 0x0C2D, "", "Alt - 0x082D" },
        { "Shift and Control places left out of the number", 0x0F2D, "", "Alt - 0x082D" },
        { "Shift place left out, no Alt", 0x012D, "", "0x002D" },
        { "bits 12-15 kept in the number", 0xF07F, "", "0xF07F" },
        { "scan code left out of the number", 0x007FF82D, "", "0xF82D" },
        { "upper-case digits", 0x00AB, "", "0x00AB" },
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.what);
        char text[HOTKEY_TEXT_SIZE] = "(unset)";
        EXPECT_EQ(0, FormatHotkeyText(c.hotkey, c.keyName, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
}

TEST(FormatHotkeyText, LongNamesAreCutTo55Bytes)
{
    std::string longName(80, 'k');
    char text[HOTKEY_TEXT_SIZE];
    ASSERT_EQ(0, FormatHotkeyText(0x0078, longName.c_str(), text, sizeof text));
    EXPECT_EQ(std::string(55, 'k'), text);
    ASSERT_EQ(0, FormatHotkeyText(0x0478, longName.c_str(), text, sizeof text));
    EXPECT_EQ("Alt - " + std::string(55, 'k'), text);
}

TEST(FormatHotkeyText, TooSmallABufferIsLeftUntouched)
{
    char text[9];
    memcpy(text, "01234567", 9);
    EXPECT_EQ(1, FormatHotkeyText(0x0478, "F9", text, 8));      /* "Alt - F9" needs 9 */
    EXPECT_STREQ("01234567", text);
    EXPECT_EQ(1, FormatHotkeyText(0, NULL, text, 4));            /* "None" needs 5 */
    EXPECT_STREQ("01234567", text);
    EXPECT_EQ(1, FormatHotkeyText(0x0478, "F9", NULL, 64));
    EXPECT_EQ(0, FormatHotkeyText(0x0478, "F9", text, 9));
    EXPECT_STREQ("Alt - F9", text);
}

struct TextCase {
    const char *what;
    HotkeyCode hotkey;
    const char *text;
};

TEST(HotkeyText, ShowsTheSystemsKeyNames)
{
    static const TextCase cases[] = {
        { "none", 0, "None" },
        { "Movie Key default", 120, "F9" },
        { "Capture Key default", 121, "F10" },
        { "Log Key default", 122, "F11" },
        { "Overlay Key default", 123, "F12" },
        { "letter", 0x41, "A" },
        { "Alt+F9", 0x0478, "Alt - F9" },
        { "assigned Alt+F9 with its scan code", 0x00430478, "Alt - F9" },
        { "extended Insert", 0x082D, "Insert" },
        { "Alt, extended, Insert", 0x0C2D, "Alt - Insert" },
        { "Shift and Control places ignored", 0x0378, "F9" },
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.text, TextOf(c.hotkey));
    }
}

TEST(HotkeyText, ExtendedBitChoosesTheOtherKeyOfTheSameVirtualKey)
{
    /* Insert without the extended bit is the keypad's 0/Ins key. */
    std::string keypad = TextOf(0x002D);
    EXPECT_NE("Insert", keypad);
    EXPECT_EQ(SystemKeyName(MapVirtualKeyA(0x2D, MAPVK_VK_TO_VSC) << 16), keypad);
}

TEST(HotkeyText, ScanCodeBitsTakePrecedenceOverTheVirtualKey)
{
    static const TextCase cases[] = {
        { "F9's key with F1's scan code", 0x003B0078, "F1" },
        { "F10's key with F9's scan code and Alt", 0x00430479, "Alt - F9" },
        { "F9's key with a letter's scan code", 0x001E0078, "A" },
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.text, TextOf(c.hotkey));
    }
}

struct FallbackCase {
    const char *what;
    HotkeyCode hotkey;
    LONG nameArgument;      /* what the layout must have no name for */
    const char *text;
};

TEST(HotkeyText, KeysWithoutANameShowTheirNumber)
{
    static const FallbackCase cases[] = {
        { "virtual key without a scan code", 0x00FF, (LONG)(MapVirtualKeyA(0xFF, MAPVK_VK_TO_VSC) << 16), "0x00FF" },
        { "same with Alt", 0x04FF, (LONG)(MapVirtualKeyA(0xFF, MAPVK_VK_TO_VSC) << 16), "Alt - 0x00FF" },
        { "nameless scan code, Alt and extended", 0x007F0C2D, 0x017F0000, "Alt - 0x082D" },
        { "nameless scan code, bits 8-9 and 12-15", 0x007FF32D, 0x007F0000, "0xF02D" },
        /* Bits 24-31 alone still replace the mapping, with scan code 0. */
        { "scan code 0 from bits 24-31", 0x01000078, 0x00000000, "0x0078" },
    };
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ("", SystemKeyName(c.nameArgument)) << "this layout names the key; pick a nameless one";
        EXPECT_EQ(c.text, TextOf(c.hotkey));
    }
}

TEST(HotkeyText, TooSmallABufferIsLeftUntouched)
{
    char text[4] = "abc";
    EXPECT_EQ(1, HotkeyText(120, text, 2));
    EXPECT_STREQ("abc", text);
}

TEST(ShowHotkey, WritesTheTextIntoThePagesControl)
{
    HWND page = CreateWindowExA(0, "STATIC", "hotkey text page", WS_POPUP, 0, 0, 200, 100, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(page != NULL);
    HWND field = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 120, 24, page,
                                 (HMENU)(INT_PTR)1088, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(field != NULL);

    static const TextCase cases[] = {
        { "Alt+F9", 0x0478, "Alt - F9" },
        { "F10", 121, "F10" },
        { "none", 0, "None" },
        { "nameless", 0x01000078, "0x0078" },
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.what);
        SetWindowTextA(field, "(untouched)");
        EXPECT_EQ(0, ShowHotkey(page, 1088, c.hotkey));
        char text[HOTKEY_TEXT_SIZE] = "";
        GetWindowTextA(field, text, sizeof text);
        EXPECT_STREQ(c.text, text);
    }
    /* No such control, or no page: reported, nothing written. */
    SetWindowTextA(field, "(untouched)");
    EXPECT_NE(0, ShowHotkey(page, 1080, 0x0478));
    EXPECT_NE(0, ShowHotkey(NULL, 1088, 0x0478));
    char text[HOTKEY_TEXT_SIZE] = "";
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ("(untouched)", text);
    DestroyWindow(page);
}
