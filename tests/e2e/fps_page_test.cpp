/* The frame-rate page and the keyboard hook, in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

#include <algorithm>

static const char OverlayDisabledText[] =
    "The frame rate overlay has been disabled to provide the most accurate results.\r\n\r\n"
    "It is recommended you leave the overlay disabled while logging is being performed.";

class FpsPage : public Pages {
protected:
    /* Clicks into a hotkey field so that it takes the focus. */
    void FocusField(int index, int id)
    {
        PostMessageA(Control(index, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(Control(index, id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
};

TEST_F(FpsPage, InitialisationKeepsBenchmarkTimeAndCallsBeforeTheHooks)
{
    auto setups = folder_.SetupCalls();
    int hooked = FirstCallWithHooks(setups);
    ASSERT_GE(hooked, 2) << "the frame-rate page calls the library while it initialises";
    for (int i = 0; i < hooked; i++) {
        EXPECT_EQ(0u, setups[i].Address(1));
        for (int position : { 14, 15, 16, 17, 34, 35, 36, 37, 38, 39, 40, 41, 48, 49, 55 })
            EXPECT_EQ(0u, setups[i].Number(position)) << "call " << i << " position " << position;
        EXPECT_EQ(1600u, setups[i].Number(30));
    }
    /* The field's own notification stored 0 on the way; the last call of the
     * initialisation carries the value again. */
    EXPECT_EQ(0u, setups[0].Number(29));
    EXPECT_EQ(60u, setups[hooked - 1].Number(29));
    EXPECT_EQ(60u, setups[hooked].Number(29));
    EXPECT_EQ("60", WindowText(Control(FPS, IDC_FPS_BENCHMARK_TIME)));
    EXPECT_EQ(BST_CHECKED, CheckState(FPS, IDC_FPS_CORNER_TOP_LEFT));
}

TEST_F(FpsPage, CommandsReachTheLibraryAtOnce)
{
    struct ClickCase {
        int id;
        int position;
        UINT32 value;
    };
    static const ClickCase clicks[] = {
        { IDC_FPS_CORNER_TOP_RIGHT, 11, 1 }, { IDC_FPS_CORNER_BOTTOM_LEFT, 11, 2 },
        { IDC_FPS_CORNER_BOTTOM_RIGHT, 11, 3 }, { IDC_FPS_CORNER_DISABLED, 11, 4 }, { IDC_FPS_CORNER_TOP_LEFT, 11, 0 },
        /* checked means once a second: 0 */
        { IDC_FPS_ONCE_A_SECOND, 5, 0 }, { IDC_FPS_ONCE_A_SECOND, 5, 1 },
        { IDC_FPS_BENCHMARK_STOP, 28, 1 }, { IDC_FPS_BENCHMARK_STOP, 28, 0 },
        { IDC_FPS_STATS_MINMAXAVG, 10, 2 }, { IDC_FPS_STATS_FRAMETIMES, 10, 6 }, { IDC_FPS_STATS_MINMAXAVG, 10, 4 },
        { IDC_FPS_STATS_FPS, 10, 5 }, { IDC_FPS_STATS_FPS, 10, 4 },
    };
    for (const ClickCase &c : clicks) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        size_t seen = folder_.Calls().size();
        Click(FPS, c.id);
        auto calls = CallsAfterSettling(seen);
        ASSERT_GT(calls.size(), seen);
        const LibraryCall *last = LastSetup(calls);
        ASSERT_TRUE(last);
        EXPECT_EQ(c.value, last->Number(c.position));
    }
    EXPECT_EQ(BST_CHECKED, CheckState(FPS, IDC_FPS_STATS_FRAMETIMES));
    EXPECT_EQ(BST_UNCHECKED, CheckState(FPS, IDC_FPS_STATS_MINMAXAVG));

    /* Typing 120 stores 1, 12 and 120 in turn; an empty field stores 0. */
    size_t seen = folder_.Calls().size();
    SendMessageA(Control(FPS, IDC_FPS_BENCHMARK_TIME), EM_SETSEL, 0, -1);
    SendMessageA(Control(FPS, IDC_FPS_BENCHMARK_TIME), WM_CLEAR, 0, 0);
    auto calls = CallsAfterSettling(seen);
    EXPECT_EQ(0u, LastSetup(calls)->Number(29));
    seen = calls.size();
    Type(FPS, IDC_FPS_BENCHMARK_TIME, "120");
    calls = CallsAfterSettling(seen);
    std::vector<UINT32> times;
    for (size_t i = seen; i < calls.size(); i++)
        if (calls[i].name == "ZentuSetup" && (times.empty() || times.back() != calls[i].Number(29)))
            times.push_back(calls[i].Number(29));
    EXPECT_EQ((std::vector<UINT32>{ 1, 12, 120 }), times);
}

TEST_F(FpsPage, PerSecondFileDisablesTheOverlayOnceAndCountsEveryTime)
{
    /* Corner 0: switched to "Disabled" with the message. */
    size_t seen = folder_.Calls().size();
    PostMessageA(Control(FPS, IDC_FPS_SECOND_FILE), BM_CLICK, 0, 0);
    HWND box = WaitForProcessWindow(companion_.Pid(), "", 10000);
    ASSERT_TRUE(box);
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(OverlayDisabledText, content.text);
    EXPECT_FALSE(content.hasIcon);
    EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
    EXPECT_EQ(page_[FPS], GetWindow(box, GW_OWNER));
    EXPECT_EQ(BST_CHECKED, CheckState(FPS, IDC_FPS_CORNER_DISABLED));
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    auto calls = folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) {
        for (size_t i = seen; i < c.size(); i++)
            if (c[i].name == "ZentuCount")
                return true;
        return false;
    }, 10000);
    calls = CallsAfterSettling(seen);
    std::vector<std::string> kinds;
    for (size_t i = seen; i < calls.size(); i++)
        kinds.push_back(calls[i].name == "ZentuCount" ? "count" : "setup " + std::to_string(calls[i].Number(11)));
    EXPECT_EQ((std::vector<std::string>{ "setup 4", "count", "setup 4" }), kinds);
    const LibraryCall *count = NULL;
    for (const LibraryCall &call : calls)
        if (call.name == "ZentuCount")
            count = &call;
    ASSERT_TRUE(count);
    EXPECT_EQ((std::vector<std::string>{ "1", "0" }), count->args);

    /* Unchecking and checking again with the corner at 4: no message. */
    for (int round = 0; round < 2; round++) {
        seen = folder_.Calls().size();
        Click(FPS, IDC_FPS_SECOND_FILE);
        calls = CallsAfterSettling(seen);
        /* one count and then the command's setup call (a periodic refresh
         * may fall in between) */
        ASSERT_GT(calls.size(), seen + 1);
        EXPECT_EQ("ZentuCount", calls[seen].name);
        for (size_t i = seen + 1; i < calls.size(); i++)
            EXPECT_EQ("ZentuSetup", calls[i].name);
        EXPECT_EQ(4u, LastSetup(calls)->Number(11));
    }
    EXPECT_FALSE(FindProcessWindow(companion_.Pid(), ""));
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

