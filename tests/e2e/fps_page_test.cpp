/* The frame-rate page and the keyboard hook, in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

#include <algorithm>

class FpsPage : public Pages {
protected:
    /* Clicks into a hotkey field so that it takes the focus. */
    void FocusField(int index, int id)
    {
        PostMessageA(Control(index, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(Control(index, id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
};

TEST_F(FpsPage, HotkeyFieldTakesTheNextKeyAndTheLibraryGetsItOnFocusLoss)
{
    ShowCurrentPage();
    ClickDesignPoint(GENERAL, 90, 45);
    ASSERT_TRUE(WaitForVisible({ FPS }));
    FocusField(FPS, IDC_FPS_OVERLAY_KEY);
    GUITHREADINFO gui;
    ASSERT_TRUE(WaitUntil([&] {
        gui.cbSize = sizeof gui;
        return GetGUIThreadInfo(GetWindowThreadProcessId(page_[FPS], NULL), &gui) &&
               gui.hwndFocus == Control(FPS, IDC_FPS_OVERLAY_KEY);
    }, 5000)) << "focus is on " << gui.hwndFocus;
    PressKey(VK_F8);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(FPS, IDC_FPS_OVERLAY_KEY)) == "F8"; }, 5000))
        << WindowText(Control(FPS, IDC_FPS_OVERLAY_KEY));
    size_t seen = folder_.Calls().size();
    ClickDesignPoint(FPS, 300, 262);                /* the page body */
    auto calls = CallsAfterSettling(seen);
    const LibraryCall *last = LastSetup(calls);
    ASSERT_TRUE(last);
    EXPECT_EQ(0x77u, last->Number(56) & 0xFFFF);
    EXPECT_EQ(122u, last->Number(57));

    /* The clear buttons store 0 and show "None". */
    seen = calls.size();
    Click(FPS, IDC_FPS_LOG_CLEAR);
    calls = CallsAfterSettling(seen);
    EXPECT_EQ(0u, LastSetup(calls)->Number(57));
    EXPECT_EQ("None", WindowText(Control(FPS, IDC_FPS_LOG_KEY)));
}

/* A window of this process that records the keys it receives. */
static std::vector<std::pair<UINT, WPARAM>> ReceivedKeys;

static LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        ReceivedKeys.push_back({ message, wParam });
        return 0;
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        /* Alt released alone would open the window menu and its modal loop. */
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class AltHotkey : public FpsPage {
protected:
    void BeforeStart() override
    {
        SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Key", 0x0478);       /* Alt+F9 */
    }

    void SetUp() override
    {
        FpsPage::SetUp();
        /* the refresh that carries the hotkey */
        folder_.WaitForCalls([](const std::vector<LibraryCall> &c) {
            return !c.empty() && c.back().name == "ZentuSetup" && c.back().Number(58) == 0x0478;
        }, 8000);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingWindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "ZentuKeyRecorder";
        RegisterClassA(&windowClass);
        recorder_ = CreateWindowA("ZentuKeyRecorder", "key recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                  100, NULL, NULL, windowClass.hInstance, NULL);
        ASSERT_TRUE(recorder_);
        SetForegroundWindow(recorder_);
        SetFocus(recorder_);
        PumpFor(500);
    }

    void TearDown() override
    {
        if (recorder_)
            DestroyWindow(recorder_);
        FpsPage::TearDown();
    }

    /* The hook swallows Alt+F9 (the Movie Key) and passes plain F9. */
    void ExpectAltF9SwallowedAndPlainF9Passed()
    {
        SetForegroundWindow(recorder_);
        SetFocus(recorder_);
        PumpFor(300);
        ReceivedKeys.clear();
        SendKey(VK_MENU, false);
        PressKey(VK_F9);
        SendKey(VK_MENU, true);
        PumpFor(500);
        auto keys = ReceivedKeys;
        EXPECT_TRUE(std::find(keys.begin(), keys.end(), std::make_pair((UINT)WM_SYSKEYDOWN, (WPARAM)VK_MENU)) !=
                    keys.end())
            << "the Alt key itself passes";
        for (auto &key : keys)
            EXPECT_NE((WPARAM)VK_F9, key.second) << "Alt+F9 reached the window";

        ReceivedKeys.clear();
        PressKey(VK_F9);
        PumpFor(500);
        EXPECT_TRUE(std::find(ReceivedKeys.begin(), ReceivedKeys.end(),
                              std::make_pair((UINT)WM_KEYDOWN, (WPARAM)VK_F9)) != ReceivedKeys.end());
    }

    HWND recorder_ = NULL;
};

TEST_F(AltHotkey, SwallowsAltF9ButPassesPlainF9)
{
    ExpectAltF9SwallowedAndPlainF9Passed();
}

/* A library call that keeps the companion's thread away for 2 s while keys
 * wait: the platform may drop the keyboard hook then, and the companion
 * must still filter and assign afterwards. */
class StalledLibrary : public AltHotkey {
protected:
    void BeforeStart() override
    {
        AltHotkey::BeforeStart();
        trigger_ = folder_.Path() + "\\stall-now";
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", trigger_.c_str());
    }

    void TearDown() override
    {
        AltHotkey::TearDown();
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
    }

    std::string trigger_;
};

TEST_F(StalledLibrary, HotkeysStillWorkAfterAStallWithKeysWaiting)
{
    HANDLE file = CreateFileA(trigger_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(trigger_.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000))
        << "the library call never stalled";
    size_t stalledAt = folder_.SetupCalls().size();
    for (int i = 0; i < 3; i++)
        PressKey(VK_F7);
    ASSERT_TRUE(WaitUntil([&] { return folder_.SetupCalls().size() > stalledAt; }, 8000))
        << "the companion never came back from the stall";

    ExpectAltF9SwallowedAndPlainF9Passed();

    ShowCurrentPage();
    ClickDesignPoint(GENERAL, 90, 45);
    ASSERT_TRUE(WaitForVisible({ FPS }));
    FocusField(FPS, IDC_FPS_OVERLAY_KEY);
    PumpFor(300);
    PressKey(VK_F8);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Control(FPS, IDC_FPS_OVERLAY_KEY)) == "F8"; }, 5000))
        << WindowText(Control(FPS, IDC_FPS_OVERLAY_KEY));
}
