/* The page set: creation, placement memory, topmost state and destruction. */
#include "pages/page_frame.h"

#include "base/base.h"
#include "hotkeys/hotkeys.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include <commctrl.h>
#include <string.h>

HWND GeneralPage;
HWND FpsPage;
HWND MoviesPage;
HWND ScreenshotsPage;
HWND CurrentPage;

UINT32 PageDpi = 96;
INT32 PageWidth;
INT32 PageHeight;

static const DLGPROC PageProcedures[PAGE_COUNT] = {
    GeneralPageProc,
    FpsPageProc,
    MoviesPageProc,
    ScreenshotsPageProc,
};

void CreatePageSet(void)
{
    /* The hotkey fields' window class comes from the common controls. */
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_HOTKEY_CLASS };
    InitCommonControlsEx(&controls);

    PageDpi = 96;
    HDC screen = GetDC(NULL);
    if (screen) {
        PageDpi = (UINT32)GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(NULL, screen);
    }
    LoadSkin();

    /* Each page initialises during its own creation, so it finds only the
     * pages created before it. */
    for (int index = 0; index < PAGE_COUNT; index++)
        *PageFrames[index].page = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(PageFrames[index].templateId),
                                                     NULL, PageProcedures[index], 0);
    CurrentPage = GeneralPage;

    CaptureWidth = (UINT32)GetSystemMetrics(SM_CXSCREEN);
    CaptureHeight = (UINT32)GetSystemMetrics(SM_CYSCREEN);
    RestorePagePlacement();
    ApplyTopmost();

    for (const HotkeyField &field : HotkeyFields)
        ShowHotkey(field.window, *field.setting);

    ComputeCaptureSize(&CaptureWidth, &CaptureHeight, &CaptureBufferSize);
}

void DestroyPageSet(void)
{
    /* Each destruction posts WM_QUIT again; the loop has ended already. */
    HWND *pages[] = { &GeneralPage, &FpsPage, &MoviesPage, &ScreenshotsPage };
    for (HWND *page : pages) {
        if (*page && IsWindow(*page))
            DestroyWindow(*page);
        *page = NULL;
    }
    for (HotkeyField &field : HotkeyFields)
        field.window = NULL;
    CurrentPage = NULL;
    ReleaseSkin();
}

void ApplyTopmost(void)
{
    HWND insertAfter = SharedSettings.AlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST;
    HWND pages[] = { FpsPage, MoviesPage, ScreenshotsPage, GeneralPage };
    for (HWND page : pages)
        SetWindowPos(page, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void SwitchPage(HWND from, HWND to)
{
    RECT rect;
    GetWindowRect(from, &rect);
    MoveWindow(to, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    CurrentPage = to;
    ShowWindow(to, SW_SHOW);
    ShowWindow(from, SW_HIDE);
}

void ApplyPageRegion(HWND page)
{
    RECT rect;
    GetWindowRect(page, &rect);
    INT32 width = rect.right - rect.left;
    INT32 height = rect.bottom - rect.top;
    INT32 ellipseWidth, ellipseHeight;
    RegionCornerEllipse(width, height, &ellipseWidth, &ellipseHeight);
    HRGN region = CreateRoundRectRgn(0, 0, width, height, ellipseWidth, ellipseHeight);
    /* The window owns the region from here on. */
    SetWindowRgn(page, region, TRUE);
    PageHeight = height;
    PageWidth = width;
}
