/* Clicks on a page's body: the title band drags the page, the page's own tab changes nothing. */
#include "support/page_set.h"

static WNDPROC PageProcedure;
static WPARAM HitTestSeen;

/* Takes the non-client button press the page sends itself, instead of the platform's move loop. */
static LRESULT CALLBACK RecordNonClientPress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCLBUTTONDOWN) {
        HitTestSeen = wParam;
        return 0;
    }
    return CallWindowProcA(PageProcedure, window, message, wParam, lParam);
}

class PageClicks : public PagesInProcess {
protected:
    /* A point of the 400 x 300 design space on the page, rounded up onto its real size. */
    static LPARAM DesignPoint(INT32 x, INT32 y)
    {
        return MAKELPARAM((x * PageWidth + 399) / 400, (y * PageHeight + 299) / 300);
    }
    /* The hit-test code of the press the page sent itself for a click at the design point; HTNOWHERE for none. */
    static WPARAM PressSentFor(HWND page, INT32 x, INT32 y)
    {
        HitTestSeen = HTNOWHERE;
        PageProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordNonClientPress)));
        SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, DesignPoint(x, y));
        SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageProcedure));
        return HitTestSeen;
    }
};

TEST_F(PageClicks, AClickOnTheTitleBandDragsThePage)
{
    Create();
    EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), PressSentFor(FpsPage, 200, 10));
}

TEST_F(PageClicks, AClickBelowTheTabRowDragsNothing)
{
    Create();
    EXPECT_EQ(static_cast<WPARAM>(HTNOWHERE), PressSentFor(FpsPage, 200, 100));
}

TEST_F(PageClicks, AClickOnThePagesOwnTabLeavesItShown)
{
    Create();
    ShowWindow(MoviesPage, SW_SHOW);
    /* The movies tab spans X 121 to 180. */
    SendMessageA(MoviesPage, WM_LBUTTONDOWN, MK_LBUTTON, DesignPoint(150, 45));
    EXPECT_TRUE(IsWindowVisible(MoviesPage));
}
