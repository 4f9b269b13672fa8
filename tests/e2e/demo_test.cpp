/* The companion's offsets at work: its global hooks bring the stand-in library into the demo games, where it
 * counts their frames at the entry points the offsets name, and takes its hooks out when the companion ends. */
#include "support/companion.h"
#include "support/demo.h"

#include "pages/pages.h"

class Demo : public CompanionTest {
protected:
    /* The companion beside the stand-in, its hooks in and a refresh's call made. */
    static void StartCompanion(const CompanionFolder &folder, CompanionProcess &companion)
    {
        SetRunning(1);
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        ASSERT_TRUE(StartedUp(folder.WaitForCalls(StartedUp, 20000)));
    }
    /* The orderly end through "Running" = 0, with its shutdown call. */
    static void StopCompanion(CompanionProcess &companion)
    {
        SetRunning(0);
        ASSERT_EQ(0, companion.WaitExit(15000));
    }
    /* The last line of the entry point in the game, once it has the state or at the deadline. */
    FrameLine WaitForState(const DemoGame &game, const std::string &entry, const std::string &state) const
    {
        FrameLine last = { entry, "", 0 };
        WaitUntil([&] {
            last = LastFrameLine(FrameLines(folder_.Frames(), game.Pid()), entry);
            return last.state == state;
        }, 15000);
        return last;
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
};

/* The hook goes in when the game creates its first window (with --late: at the first hook call after D3D9.DLL
 * came), before its first frame, so the count is exact; the other Direct3D 9 entry point counts nothing. */
TEST_F(Demo, EachGameIsCountedFrameForFrameAtTheEntryPointItCalls)
{
    static const struct { const char *exe, *arguments, *entry, *idle; } cases[] = {
        { "zentu64-demo-d3d9.exe", "", "Present", "SwapChainPresent" },
        { "zentu64-demo-d3d9.exe", " --swapchain", "SwapChainPresent", "Present" },
        { "zentu64-demo-d3d9.exe", " --late", "Present", "SwapChainPresent" },
        { "zentu64-demo-gl.exe", "", "wglSwapBuffers", NULL },
    };
    StartCompanion(folder_, companion_);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.exe << c.arguments);
        DemoGame game;
        ASSERT_TRUE(game.Start(c.exe, std::string("--seconds 1") + c.arguments));
        ASSERT_EQ(0, game.WaitExit(30000));
        ASSERT_GT(game.Frames(), 0);
        std::vector<FrameLine> lines = FrameLines(folder_.Frames(), game.Pid());
        FrameLine counted = LastFrameLine(lines, c.entry);
        EXPECT_EQ("ended", counted.state);
        EXPECT_EQ((unsigned long long)game.Frames(), counted.count) << "frames presented against frames counted";
        if (c.idle) {
            EXPECT_EQ("ended", LastFrameLine(lines, c.idle).state);
            EXPECT_EQ(0u, LastFrameLine(lines, c.idle).count) << c.idle;
        }
    }
}

/* The pages come forward: the companion's own windows call its hooks too, with D3D9.DLL loaded there. */
TEST_F(Demo, TheCompanionsOwnProcessIsNeverHooked)
{
    StartCompanion(folder_, companion_);
    HWND general = FindProcessWindow(companion_.Pid(), GENERAL_PAGE_TITLE, true);
    ASSERT_TRUE(general);
    PostMessageA(general, WM_PAGE_NOTIFY, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitForProcessWindow(companion_.Pid(), GENERAL_PAGE_TITLE, 10000));
    DemoGame game;
    ASSERT_TRUE(game.Start("zentu64-demo-d3d9.exe", "--seconds 1"));
    ASSERT_EQ(0, game.WaitExit(30000));
    EXPECT_FALSE(FrameLines(folder_.Frames(), game.Pid()).empty()) << "the game beside it was not reached";
    EXPECT_TRUE(FrameLines(folder_.Frames(), companion_.Pid()).empty());
}

/* This test's own process has neither D3D9.DLL nor OPENGL32.DLL: a window of its own brings the library in
 * through the companion's hooks, and nothing is hooked or written. */
TEST_F(Demo, AProcessWithNeitherModuleGetsTheLibraryButNoHook)
{
    StartCompanion(folder_, companion_);
    HWND window = CreateWindowExA(0, "STATIC", "neither module", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(window);
    DestroyWindow(window);
    EXPECT_TRUE(GetModuleHandleA((folder_.Path() + "\\zentu64.dll").c_str())) << "the hooks did not bring it";
    ASSERT_EQ(NULL, GetModuleHandleA("d3d9.dll"));
    ASSERT_EQ(NULL, GetModuleHandleA("opengl32.dll"));
    StopCompanion(companion_);
    EXPECT_TRUE(FrameLines(folder_.Frames(), GetCurrentProcessId()).empty());
}

TEST_F(Demo, AGameStartedAfterTheShutdownCallIsNotCountedAndRunsNormally)
{
    StartCompanion(folder_, companion_);
    StopCompanion(companion_);
    ASSERT_TRUE(HasShutdownCall(folder_.Calls()));
    DemoGame game;
    ASSERT_TRUE(game.Start("zentu64-demo-d3d9.exe", "--seconds 1"));
    EXPECT_EQ(0, game.WaitExit(30000));
    EXPECT_GT(game.Frames(), 0);
    EXPECT_TRUE(FrameLines(folder_.Frames(), game.Pid()).empty());
}

TEST_F(Demo, AGameRunningWhenTheCompanionEndsPresentsOnAndItsCountStops)
{
    StartCompanion(folder_, companion_);
    DemoGame game;
    /* Played until closed: its end must not meet the hooks' coming out. */
    ASSERT_TRUE(game.Start("zentu64-demo-gl.exe", ""));
    EXPECT_EQ("counting", WaitForState(game, "wglSwapBuffers", "counting").state) << "no line a second";
    StopCompanion(companion_);
    FrameLine last = WaitForState(game, "wglSwapBuffers", "unhooked");
    ASSERT_EQ("unhooked", last.state);
    /* The player goes on for half a second before closing the game. */
    PumpFor(500);
    game.Close();
    EXPECT_EQ(0, game.WaitExit(30000));
    EXPECT_GT(game.Frames(), (long)last.count) << "it stopped presenting with the companion";
    EXPECT_EQ("unhooked", LastFrameLine(FrameLines(folder_.Frames(), game.Pid()), "wglSwapBuffers").state)
        << "counted on after the hook came out";
}

/* The stand-in hands the games the offsets of ZENTU_STANDIN_OFFSETS instead of those the companion measured. */
TEST_F(Demo, AnOffsetOfZeroOrBeyondTheModuleHooksNothingAndSaysSo)
{
    static const struct { const char *offsets, *state; } cases[] = {
        { "0,0,0", "unmeasured" },
        { "0xFFFFFF00,0xFFFFFF00,0xFFFFFF00", "outside" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.state);
        ScopedEnvironment offsets("ZENTU_STANDIN_OFFSETS", c.offsets);
        CompanionFolder folder("normal");
        CompanionProcess companion;
        StartCompanion(folder, companion);
        DemoGame game;
        ASSERT_TRUE(game.Start("zentu64-demo-d3d9.exe", "--seconds 1"));
        EXPECT_EQ(0, game.WaitExit(30000));
        EXPECT_GT(game.Frames(), 0);
        StopCompanion(companion);
        std::vector<FrameLine> lines = FrameLines(folder.Frames(), game.Pid());
        for (const char *entry : { "Present", "SwapChainPresent", "wglSwapBuffers" }) {
            EXPECT_EQ(c.state, LastFrameLine(lines, entry).state) << entry;
            EXPECT_EQ(0u, LastFrameLine(lines, entry).count) << entry;
        }
    }
}
