/* Real key input through the running companion's keyboard hook, read back as the desktop sees it: a key whose press
 * reached the other programs is never left held by a swallowed release, and the keys the companion takes for itself
 * reach no other program. */
#include "support/companion.h"

#include "resources/resource.h"

/* Alt+F9 as the Movie Key: a hotkey whose release can come as a system key after a plain press. */
class KeyRelease : public CompanionTest {
protected:
    void SetUp() override
    {
        SetSetting("Movie Key", 0x0478);
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
    }
    void TearDown() override
    {
        if (companion_.Running()) {
            SetRunning(0);
            companion_.WaitExit(10000);
        }
        /* With the hook gone, nothing the test pressed stays held for the tests after it. */
        const WORD pressed[] = { VK_F8, VK_F9, VK_MENU };
        for (WORD vk : pressed)
            KeyUp(vk);
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
};

TEST_F(KeyRelease, F9PressedBeforeAltAndReleasedAsTheAltF9HotkeyIsNotLeftHeld)
{
    KeyDown(VK_F9);
    ASSERT_TRUE(KeyHeld(VK_F9)) << "a plain F9 did not reach the desktop";
    KeyDown(VK_MENU);
    KeyUp(VK_F9);
    KeyUp(VK_MENU);
    EXPECT_TRUE(WaitUntil([] { return !KeyHeld(VK_F9); }, 3000)) << "F9 left held for every program";
}

TEST_F(KeyRelease, TheAltF9HotkeyPressedWithAltHeldReachesNoOtherProgram)
{
    KeyDown(VK_MENU);
    KeyDown(VK_F9);
    EXPECT_FALSE(KeyHeld(VK_F9)) << "the hotkey's press reached the desktop";
    KeyUp(VK_F9);
    KeyUp(VK_MENU);
    EXPECT_TRUE(WaitUntil([] { return !KeyHeld(VK_MENU); }, 3000)) << "Alt left held";
}

/* Alt held while the Overlay Key field takes the focus: F8 becomes the new hotkey and reaches no other program, and
 * Alt, pressed before the assignment began, is let go for every program. The focus goes by a dialog message: under
 * Wine on Xvfb a click would reset the modifier state from X. */
TEST_F(KeyRelease, AltHeldBeforeAHotkeyFieldTakesTheFocusIsLetGoAfterTheNewHotkey)
{
    HWND fps = FindProcessWindow(companion_.Pid(), "ZENTU64 fps", true);
    ASSERT_TRUE(fps);
    HWND field = GetDlgItem(fps, IDC_FPS_OVERLAY_KEY);
    KeyDown(VK_MENU);
    ASSERT_TRUE(KeyHeld(VK_MENU));
    PostMessageA(fps, WM_NEXTDLGCTL, (WPARAM)field, TRUE);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    DWORD thread = GetWindowThreadProcessId(field, NULL);
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == field; }, 5000));
    KeyDown(VK_F8);
    EXPECT_FALSE(KeyHeld(VK_F8)) << "the assignment's key reached the desktop";
    KeyUp(VK_F8);
    /* Wine marks no injected key event with LLKHF_ALTDOWN, so the field names F8 alone there. */
    auto assigned = [&] {
        std::string text = WindowText(field);
        return text == "Alt - F8" || text == "F8";
    };
    EXPECT_TRUE(WaitUntil(assigned, 5000)) << WindowText(field);
    KeyUp(VK_MENU);
    EXPECT_TRUE(WaitUntil([] { return !KeyHeld(VK_MENU); }, 3000)) << "Alt left held for every program";
}
