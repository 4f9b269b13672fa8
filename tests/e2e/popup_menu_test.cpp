/* The notification icon's menu of the running companion, driven from outside as the user drives it. */
#include "support/companion.h"

#include "resources/resource.h"

class PopupMenu : public CompanionTest {
protected:
    void SetUp() override
    {
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
        general_ = FindProcessWindow(companion_.Pid(), "ZENTU64 general", true);
        movies_ = FindProcessWindow(companion_.Pid(), "ZENTU64 movies", true);
        ASSERT_TRUE(general_ && movies_);
    }
    void TearDown() override
    {
        SetRunning(0);
        companion_.WaitExit(10000);
    }
    /* The movies page made the page used last through its tab, then hidden by its minimise button. */
    void MoviesUsedLastAndHidden()
    {
        ASSERT_EQ(0, RunNotify("open"));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(general_) != FALSE; }, 5000));
        RECT page;
        GetWindowRect(general_, &page);
        /* The movies tab at (150, 45) of the 400 x 300 design space, rounded up onto the page's real size. */
        LONG x = (150 * (page.right - page.left) + 399) / 400;
        LONG y = (45 * (page.bottom - page.top) + 299) / 300;
        LPARAM tab = MAKELPARAM(x, y);
        PostMessageA(general_, WM_LBUTTONDOWN, MK_LBUTTON, tab);
        PostMessageA(general_, WM_LBUTTONUP, 0, tab);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(movies_) && !IsWindowVisible(general_); }, 5000));
        SendMessageTimeoutA(GetDlgItem(movies_, IDC_MOVIES_MINIMISE), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(movies_); }, 5000));
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    HWND general_ = NULL;
    HWND movies_ = NULL;
};

TEST_F(PopupMenu, SettingsBringsThePageUsedLastForward)
{
    MoviesUsedLastAndHidden();
    ASSERT_EQ(0, RunNotify("menu"));
    HWND menu = WaitForMenu();
    ASSERT_TRUE(menu);
    /* The first item: Settings. */
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(movies_) != FALSE; }, 5000));
    EXPECT_FALSE(IsWindowVisible(general_));
}
