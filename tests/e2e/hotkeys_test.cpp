/* The hotkeys with real keyboard input, in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

/* The test's own low-level hook, installed before the companion's and so
 * called after it: it sees the test's keys the companion passed on, and
 * keeps them from the desktop but for Alt (the system makes F9 a system key
 * only when it saw Alt go down). */
static const ULONG_PTR TestKeys = 0x5A4B4859;
static std::vector<std::pair<WPARAM, DWORD>> PassedOn;

static LRESULT CALLBACK BehindTheCompanion(int code, WPARAM wParam, LPARAM lParam)
{
    const KBDLLHOOKSTRUCT *event = (const KBDLLHOOKSTRUCT *)lParam;
    if (code != HC_ACTION || event->dwExtraInfo != TestKeys)
        return CallNextHookEx(NULL, code, wParam, lParam);
    PassedOn.push_back({ wParam, event->vkCode });
    return event->vkCode == VK_F9 ? 1 : CallNextHookEx(NULL, code, wParam, lParam);
}

/* The Movie Key is Alt+F9; the stand-in stalls in a call when asked to. */
class Hotkeys : public Pages {
protected:
    void BeforeStart() override
    {
        SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Key", 0x0478);
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", stallTrigger_.c_str());
        hook_ = SetWindowsHookExA(WH_KEYBOARD_LL, BehindTheCompanion, GetModuleHandleA(NULL), 0);
    }
    void TearDown() override
    {
        Pages::TearDown();
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
        UnhookWindowsHookEx(hook_);
    }
    void ExpectAltF9SwallowedAndPlainF9Passed()
    {
        ASSERT_TRUE(hook_);
        PassedOn.clear();
        static const struct {
            WORD vk;
            bool up;
        } keys[] = { { VK_MENU, false }, { VK_F9, false }, { VK_F9, true }, { VK_MENU, true }, { VK_F9, false }, { VK_F9, true } };
        for (const auto &key : keys)
            SendKey(key.vk, key.up, TestKeys);
        std::vector<std::pair<WPARAM, DWORD>> f9s;
        /* Keys arrive in order: once the plain F9 is here, Alt+F9 would be too. */
        EXPECT_TRUE(PumpUntil([&] {
            f9s.clear();
            for (auto &key : PassedOn)
                if (key.second == VK_F9)
                    f9s.push_back(key);
            return f9s.size() >= 2;
        }, 5000));
        EXPECT_EQ((std::vector<std::pair<WPARAM, DWORD>>{ { WM_KEYDOWN, VK_F9 }, { WM_KEYUP, VK_F9 } }), f9s);
        EXPECT_EQ((WPARAM)WM_SYSKEYDOWN, PassedOn.empty() ? 0 : PassedOn[0].first) << "Alt went down first";
    }

    std::string stallTrigger_ = folder_.Path() + "\\stall-now";
    HHOOK hook_ = NULL;
};

/* A library call that keeps the companion's thread away for 2 s while keys
 * wait may cost it the keyboard hook; the hotkeys must work afterwards. */
TEST_F(Hotkeys, AltHotkeyIsSwallowedAndAFieldTakesTheNextKeyAlsoAfterAStall)
{
    ExpectAltF9SwallowedAndPlainF9Passed();

    CloseHandle(CreateFileA(stallTrigger_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(stallTrigger_.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000))
        << "the library call never stalled";
    size_t stalledAt = SetupCount();
    for (int i = 0; i < 3; i++)
        PressKey(VK_F7);
    ASSERT_TRUE(WaitUntil([&] { return SetupCount() > stalledAt; }, 8000)) << "the companion never came back";
    ExpectAltF9SwallowedAndPlainF9Passed();

    /* A click into the Overlay Key field, F8, a click on the page body. */
    ShowCurrentPage();
    ClickDesignPoint(GENERAL, 90, 45);
    ASSERT_TRUE(WaitForVisible({ FPS }));
    HWND field = Control(FPS, IDC_FPS_OVERLAY_KEY);
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(field, NULL), &gui) && gui.hwndFocus == field;
    }, 5000));
    PressKey(VK_F8);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(field) == "F8"; }, 5000)) << WindowText(field);
    size_t seen = folder_.Calls().size();
    ClickDesignPoint(FPS, 300, 262);
    auto calls = CallsAfterSettling(seen);
    const LibraryCall *last = LastSetup(calls);
    ASSERT_TRUE(last);
    EXPECT_EQ(0x77u, last->Number(56) & 0xFFFF);
    EXPECT_EQ(122u, last->Number(57)) << "the Log Key stays";
}
