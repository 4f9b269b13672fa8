/* The page used last: an activated page takes its place and hides it, a switch makes its target that page. */
#include "support/page_set.h"

class PageActivation : public PagesInProcess {};

/* With the general page shown and used last: another page activated takes its place, the general page activated
 * again stays, a page deactivated changes nothing. */
TEST_F(PageActivation, AnActivatedPageTakesThePlaceOfThePageUsedLast)
{
    const struct {
        HWND *page;
        WPARAM state;
        bool generalShown;
        HWND *used;
    } cases[] = {
        { &FpsPage, WA_ACTIVE, false, &FpsPage },
        { &GeneralPage, WA_CLICKACTIVE, true, &GeneralPage },
        { &FpsPage, WA_INACTIVE, true, &GeneralPage },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state);
        Create();
        ShowWindow(GeneralPage, SW_SHOWNA);
        ASSERT_EQ(GeneralPage, CurrentPage);
        SendMessageA(*c.page, WM_ACTIVATE, c.state, 0);
        EXPECT_EQ(c.generalShown, IsWindowVisible(GeneralPage) != FALSE);
        EXPECT_EQ(*c.used, CurrentPage);
        DestroyPageSet();
    }
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
