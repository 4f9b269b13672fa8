/* The page used last: an activated page takes its place and hides it, a switch makes its target that page. */
#include "support/page_set.h"

class PageActivation : public PagesInProcess {};

TEST_F(PageActivation, AnActivatedPageHidesThePageUsedLastAndTakesItsPlace)
{
    Create();
    ShowWindow(GeneralPage, SW_SHOWNA);
    ASSERT_EQ(GeneralPage, CurrentPage);
    SendMessageA(FpsPage, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(IsWindowVisible(GeneralPage));
    EXPECT_EQ(FpsPage, CurrentPage);
}

TEST_F(PageActivation, APageActivatedWhileItIsThePageUsedLastStaysShown)
{
    Create();
    ShowWindow(GeneralPage, SW_SHOWNA);
    SendMessageA(GeneralPage, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(IsWindowVisible(GeneralPage));
    EXPECT_EQ(GeneralPage, CurrentPage);
}

TEST_F(PageActivation, ADeactivatedPageChangesNothing)
{
    Create();
    ShowWindow(GeneralPage, SW_SHOWNA);
    SendMessageA(FpsPage, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(IsWindowVisible(GeneralPage));
    EXPECT_EQ(GeneralPage, CurrentPage);
}

/* Refuses every activation on this thread, as the platform does for a program that is not in the foreground. */
static LRESULT CALLBACK RefuseActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        return 1;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

/* The target shown without being activated: the switch alone makes it the page used last. */
TEST_F(PageActivation, ASwitchMakesItsTargetThePageUsedLast)
{
    Create();
    HHOOK refusal = SetWindowsHookExA(WH_CBT, RefuseActivation, NULL, GetCurrentThreadId());
    ASSERT_TRUE(refusal);
    SwitchPage(GeneralPage, MoviesPage);
    UnhookWindowsHookEx(refusal);
    EXPECT_EQ(MoviesPage, CurrentPage);
    EXPECT_TRUE(IsWindowVisible(MoviesPage));
    EXPECT_FALSE(IsWindowVisible(GeneralPage));
}
