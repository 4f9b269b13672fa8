/* Hotkey texts, from given names and from the system's (keys named alike on
 * every layout; scan code 0 has no name). */
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

#include <string>

TEST(HotkeyText, IsTheNameOrTheNumberBehindTheAltPrefix)
{
    static const struct {
        HotkeyCode hotkey;
        const char *keyName, *text;
    } cases[] = {
        { 0, "F9", "None" }, { 0x0078, "F9", "F9" }, { 0x00430778, "F9", "Alt - F9" },
        { 0x0005, NULL, "0x0005" }, { 0x0F2D, "", "Alt - 0x082D" }, { 0x007FF3AB, "", "0xF0AB" },
    };
    for (const auto &c : cases) {
        char text[HOTKEY_TEXT_SIZE] = "";
        EXPECT_EQ(0, FormatHotkeyText(c.hotkey, c.keyName, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
    char text[HOTKEY_TEXT_SIZE] = "untouched";
    EXPECT_EQ(1, FormatHotkeyText(0x0478, "F9", text, 8)) << "\"Alt - F9\" needs 9 bytes";
    EXPECT_EQ(1, HotkeyText(120, text, 2));
    EXPECT_STREQ("untouched", text);
    ASSERT_EQ(0, FormatHotkeyText(0x0478, std::string(80, 'k').c_str(), text, sizeof text));
    EXPECT_EQ("Alt - " + std::string(55, 'k'), text) << "a name is cut to 55 bytes";
}

TEST(HotkeyText, NamesTheKeyByItsScanCodeOrVirtualKey)
{
    static const struct {
        HotkeyCode hotkey;
        const char *text;
    } cases[] = {
        { 0, "None" }, { 120, "F9" }, { 0x0478, "Alt - F9" }, { 0x0C2D, "Alt - Insert" },
        { 0x003B0078, "F1" }, { 0x00430479, "Alt - F9" }, { 0x01000078, "0x0078" },
    };
    for (const auto &c : cases) {
        char text[HOTKEY_TEXT_SIZE] = "";
        EXPECT_EQ(0, HotkeyText(c.hotkey, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
    char keypad[HOTKEY_TEXT_SIZE] = "";
    HotkeyText(0x002D, keypad, sizeof keypad);
    EXPECT_STRNE("Insert", keypad) << "without the extended bit, Insert is the keypad's key";
}
