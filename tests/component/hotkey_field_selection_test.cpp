/* While a hotkey field assigns, the mouse over its page keeps the field's whole text selected. */
#include "support/page_set.h"

#include "hotkeys/hotkeys.h"
#include "resources/resource.h"

class HotkeyFieldSelection : public PagesInProcess {
protected:
    /* Removes the EM_SETSELs posted to the overlay field; counts those that select all, and 100 for any other. */
    static int SelectAllsPosted()
    {
        HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
        int count = 0;
        MSG msg;
        while (PeekMessageA(&msg, field, EM_SETSEL, EM_SETSEL, PM_REMOVE))
            count += msg.wParam == 0 && msg.lParam == -1 ? 1 : 100;
        return count;
    }
    static void CursorOverPage(WORD mouseMessage)
    {
        SendMessageA(FpsPage, WM_SETCURSOR, (WPARAM)FpsPage, MAKELPARAM(HTCLIENT, mouseMessage));
    }
};

/* A move or a left press while the field assigns selects all of it; a right press, or a move while no field
 * assigns, selects nothing. */
TEST_F(HotkeyFieldSelection, TheMouseOverThePageSelectsTheAssigningFieldsWholeText)
{
    const struct {
        UINT32 assigning;
        WORD mouseMessage;
        int selectAlls;
    } cases[] = {
        { 1, WM_MOUSEMOVE, 1 },
        { 1, WM_LBUTTONDOWN, 1 },
        { 1, WM_RBUTTONDOWN, 0 },
        { 0, WM_MOUSEMOVE, 0 },
    };
    Create();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "assigning " << c.assigning << ", message " << c.mouseMessage);
        OverlayKeyAssigning = c.assigning;
        SelectAllsPosted();
        CursorOverPage(c.mouseMessage);
        OverlayKeyAssigning = 0;
        EXPECT_EQ(c.selectAlls, SelectAllsPosted());
    }
}

TEST_F(HotkeyFieldSelection, AFieldThatGetsTheFocusSelectsItsWholeTextAndAssigns)
{
    Create();
    ShowWindow(FpsPage, SW_SHOWNA);
    SelectAllsPosted();
    SetFocus(GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY));
    EXPECT_EQ(1, SelectAllsPosted());
    EXPECT_EQ(1u, OverlayKeyAssigning);
}

TEST_F(HotkeyFieldSelection, AFieldThatLosesTheFocusEndsItsAssignment)
{
    Create();
    ShowWindow(FpsPage, SW_SHOWNA);
    SetFocus(GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY));
    ASSERT_EQ(1u, OverlayKeyAssigning);
    SetFocus(NULL);
    EXPECT_EQ(0u, OverlayKeyAssigning);
}

/* The field paints the text the companion writes into it, not the control's own key value. */
TEST_F(HotkeyFieldSelection, AFieldPaintsTheTextWrittenIntoIt)
{
    Create();
    ShowWindow(FpsPage, SW_SHOWNA);
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    SetWindowTextA(field, "WWWWWW");
    RedrawWindow(field, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(field, &client);
    HDC dc = GetDC(field);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    int textPixels = 0;
    for (int y = client.top; y < client.bottom; y++)
        for (int x = client.left; x < client.right; x++)
            textPixels += GetPixel(dc, x, y) == text ? 1 : 0;
    ReleaseDC(field, dc);
    EXPECT_LT(20, textPixels);
}

TEST_F(HotkeyFieldSelection, AClickOnThePageBodyEndsTheAssignment)
{
    Create();
    ShowWindow(FpsPage, SW_SHOWNA);
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    SetFocus(field);
    ASSERT_EQ(1u, OverlayKeyAssigning);
    SendMessageA(FpsPage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(PageWidth * 3 / 4, PageHeight * 2 / 3));
    EXPECT_EQ(0u, OverlayKeyAssigning);
    EXPECT_NE(field, GetFocus());
}
