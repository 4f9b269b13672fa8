/* The hotkeys with real keyboard input, in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

/* The test's own low-level hook, installed before the companion's and so
 * called after it: it notes the test's F9 events the companion passed on and
 * keeps them from the desktop. */
static std::vector<WPARAM> PassedOnF9;

static LRESULT CALLBACK BehindTheCompanion(int code, WPARAM wParam, LPARAM lParam)
{
    const KBDLLHOOKSTRUCT *event = (const KBDLLHOOKSTRUCT *)lParam;
    if (code != HC_ACTION || event->dwExtraInfo != TestKeys || event->vkCode != VK_F9)
        return CallNextHookEx(NULL, code, wParam, lParam);
    PassedOnF9.push_back(wParam);
    return 1;
}

/* The Movie Key is Alt+F9; the stand-in stalls in a call when asked to. */
class Hotkeys : public Pages {
protected:
    void BeforeStart() override
    {
        SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Key", 0x0478);
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", stallTrigger_.c_str());
        ASSERT_TRUE((hook_ = SetWindowsHookExA(WH_KEYBOARD_LL, BehindTheCompanion, GetModuleHandleA(NULL), 0)));
    }
    void TearDown() override
    {
        Pages::TearDown();
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
        UnhookWindowsHookEx(hook_);
    }
    std::string stallTrigger_ = folder_.Path() + "\\stall-now";
    HHOOK hook_ = NULL;
};

/* A library call that keeps the companion's thread away for 2 s while keys
 * wait may cost it the keyboard hook; the hotkeys must work afterwards. */
TEST_F(Hotkeys, AltHotkeyIsSwallowedAndAFieldTakesTheNextKeyAlsoAfterAStall)
{
    CloseHandle(CreateFileA(stallTrigger_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(stallTrigger_.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000))
        << "the library call never stalled";
    size_t stalledAt = folder_.SetupCalls().size();
    PressKey(VK_F7);
    ASSERT_TRUE(WaitUntil([&] { return folder_.SetupCalls().size() > stalledAt; }, 8000)) << "the companion never came back";

    /* Alt+F9 is kept from the desktop; F9 goes on. */
    SendKey(VK_MENU, false, TestKeys);
    PressKey(VK_F9, TestKeys);
    SendKey(VK_MENU, true, TestKeys);
    PressKey(VK_F9, TestKeys);
    /* In order: had Alt+F9 passed, its two events would come first. */
    EXPECT_TRUE(PumpUntil([] { return PassedOnF9.size() >= 2; }, 5000));
    EXPECT_EQ((std::vector<WPARAM>{ WM_KEYDOWN, WM_KEYUP }), PassedOnF9);

    /* A click into the Overlay Key field, F8, a click on the page body. */
    ShowWindow(page_[FPS], SW_SHOW);
    HWND field = Control(FPS, IDC_FPS_OVERLAY_KEY);
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    DWORD thread = GetWindowThreadProcessId(field, NULL);
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == field; }, 5000));
    PressKey(VK_F8);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(field) == "F8"; }, 5000)) << WindowText(field);
    size_t seen = folder_.Calls().size();
    ClickDesignPoint(FPS, 300, 262);
    auto calls = CallsAfterSettling(seen);
    ASSERT_TRUE(LastSetup(calls));
    EXPECT_EQ(0x77u, LastSetup(calls)->Number(56) & 0xFFFF);
    EXPECT_EQ(122u, LastSetup(calls)->Number(57)) << "the Log Key stays";
}
