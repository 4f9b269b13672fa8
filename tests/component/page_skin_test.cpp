/* The skin as the pages draw it: the rounded outline of each page and the art a button is drawn from on either
 * side of 120 DPI. */
#include "support/page_set.h"

#include "pages/page_frame.h"
#include "resources/resource.h"

#include <functional>

/* Pixels that differ between what draw paints onto width x height pixels and artId's artWidth x artHeight
 * source stretched onto the same size. */
static int DifferingPixels(const std::function<void(HDC)> &draw, int width, int height, int artId, int artWidth,
                           int artHeight)
{
    HDC screen = GetDC(NULL);
    HDC drawn = CreateCompatibleDC(screen);
    HDC expected = CreateCompatibleDC(screen);
    HDC art = CreateCompatibleDC(screen);
    HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, width, height);
    HBITMAP expectedBitmap = CreateCompatibleBitmap(screen, width, height);
    HBITMAP artBitmap = (HBITMAP)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(artId), IMAGE_BITMAP, 0, 0,
                                            LR_CREATEDIBSECTION);
    HGDIOBJ oldDrawn = SelectObject(drawn, drawnBitmap);
    HGDIOBJ oldExpected = SelectObject(expected, expectedBitmap);
    HGDIOBJ oldArt = SelectObject(art, artBitmap);
    draw(drawn);
    StretchBlt(expected, 0, 0, width, height, art, 0, 0, artWidth, artHeight, SRCCOPY);
    int differing = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            differing += GetPixel(drawn, x, y) != GetPixel(expected, x, y) ? 1 : 0;
    SelectObject(art, oldArt);
    SelectObject(expected, oldExpected);
    SelectObject(drawn, oldDrawn);
    DeleteObject(artBitmap);
    DeleteObject(expectedBitmap);
    DeleteObject(drawnBitmap);
    DeleteDC(art);
    DeleteDC(expected);
    DeleteDC(drawn);
    ReleaseDC(NULL, screen);
    return differing;
}

/* A help button at rest drawn onto 100 x 30 pixels. */
static void DrawHelpButton(HDC dc)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.hDC = dc;
    item.rcItem = { 0, 0, 100, 30 };
    DrawSkinButton(ROLE_HELP, &item);
}

class PageSkin : public PagesInProcess {
protected:
    /* The skin loaded again as at creation on a screen of dpi. */
    static void LoadSkinAt(UINT32 dpi)
    {
        ReleaseSkin();
        PageDpi = dpi;
        LoadSkin();
    }
};

TEST_F(PageSkin, EachPageIsCutToItsRoundedOutline)
{
    Create();
    for (HWND page : { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage }) {
        SCOPED_TRACE(WindowText(page));
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(ERROR, GetWindowRgn(page, region));
        EXPECT_FALSE(PtInRegion(region, 0, 0)) << "a square corner";
        EXPECT_FALSE(PtInRegion(region, PageWidth - 1, PageHeight - 1)) << "a square corner";
        EXPECT_TRUE(PtInRegion(region, PageWidth / 2, 0)) << "the outline's top edge";
        EXPECT_TRUE(PtInRegion(region, 0, PageHeight / 2)) << "the outline's left edge";
        DeleteObject(region);
    }
}

TEST_F(PageSkin, AtExactly120DpiAButtonIsDrawnFromTheHighDpiArt)
{
    Create();
    LoadSkinAt(120);
    EXPECT_EQ(0, DifferingPixels(DrawHelpButton, 100, 30, IDB_HELP_UP_HD, 100, 30));
}

TEST_F(PageSkin, At119DpiAButtonIsDrawnFromTheNormalArt)
{
    Create();
    LoadSkinAt(119);
    EXPECT_EQ(0, DifferingPixels(DrawHelpButton, 100, 30, IDB_HELP_UP, 80, 24));
}

TEST_F(PageSkin, APageBackgroundIsItsWhole400By300ArtStretchedOntoThePage)
{
    Create();
    LoadSkinAt(96);
    auto paint = [](HDC dc) { PaintPageBackground(PAGE_MOVIES, dc); };
    EXPECT_EQ(0, DifferingPixels(paint, PageWidth, PageHeight, IDB_BG_MOVIES, 400, 300));
}

/* Texts, check boxes and radio buttons stand directly on the skin; edit fields keep their own colours. */
TEST_F(PageSkin, ControlsOtherThanEditFieldsGetATransparentBackgroundAndTheNullBrush)
{
    Create();
    static const struct { const char *name; UINT message; bool onTheSkin; } cases[] = {
        { "static", WM_CTLCOLORSTATIC, true },
        { "button", WM_CTLCOLORBTN, true },
        { "dialog", WM_CTLCOLORDLG, true },
        { "message box", WM_CTLCOLORMSGBOX, true },
        { "list box", WM_CTLCOLORLISTBOX, true },
        { "scroll bar", WM_CTLCOLORSCROLLBAR, true },
        { "edit", WM_CTLCOLOREDIT, false },
    };
    HWND control = GetDlgItem(FpsPage, IDC_FPS_BENCHMARK_TIME);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HDC dc = CreateCompatibleDC(NULL);
        SetBkMode(dc, OPAQUE);
        LRESULT brush = SendMessageA(FpsPage, c.message, (WPARAM)dc, (LPARAM)control);
        EXPECT_EQ(c.onTheSkin ? TRANSPARENT : OPAQUE, GetBkMode(dc));
        EXPECT_EQ(c.onTheSkin, brush == (LRESULT)GetStockObject(NULL_BRUSH));
        DeleteDC(dc);
    }
}
