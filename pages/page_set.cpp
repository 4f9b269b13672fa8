/* The page set: creation, placement memory, topmost state and destruction. */
#include "pages/page_frame.h"

#include "app/app.h"
#include "hotkeys/hotkeys.h"
#include "resources/resource.h"
#include "settings/settings.h"

#include <commctrl.h>
#include <string.h>

HWND GeneralPage;
HWND FpsPage;
HWND MoviesPage;
HWND ScreenshotsPage;
HWND CurrentPage;

UINT32 OverlayKeyAssigning;
UINT32 LogKeyAssigning;
UINT32 MovieKeyAssigning;
UINT32 CaptureKeyAssigning;

UINT32 PageDpi = 96;
INT32 PageWidth;
INT32 PageHeight;

static const DLGPROC PageProcedures[PAGE_COUNT] = {
    GeneralPageProc,
    FpsPageProc,
    MoviesPageProc,
    ScreenshotsPageProc,
};

static const char PlacementKeyPath[] = "SOFTWARE\\Zentu2";

/* TRUE when the stored rectangle is a page's and its title band lies on a
 * monitor that is still there: a record from a monitor that is gone would
 * put the pages out of reach. */
static BOOL StoredPlacementReachable(const RECT *stored)
{
    RECT band = { stored->left, stored->top, stored->right, stored->top + TitleBandHeight(PageHeight) };
    HMONITOR monitor = MonitorFromRect(&band, MONITOR_DEFAULTTONULL);
    MONITORINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return FALSE;
    return PlacementFits(stored, PageWidth, PageHeight, &info.rcWork);
}

/* Puts the pages where they last stood, but only on the same screen size
 * and DPI: elsewhere the stored spot may lie off screen. */
static void RestorePlacement(void)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, PlacementKeyPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    WINDOWPLACEMENT placement;
    DWORD size = sizeof placement;
    if (RegQueryValueExA(key, "Window", NULL, NULL, (BYTE *)&placement, &size) == ERROR_SUCCESS &&
        size == sizeof placement) {
        DWORD screenWidth = 0, screenHeight = 0, dpi = 96;
        DWORD widthSize = sizeof screenWidth, heightSize = sizeof screenHeight, dpiSize = sizeof dpi;
        LONG widthRead = RegQueryValueExA(key, "WindowX", NULL, NULL, (BYTE *)&screenWidth, &widthSize);
        LONG heightRead = RegQueryValueExA(key, "WindowY", NULL, NULL, (BYTE *)&screenHeight, &heightSize);
        if (RegQueryValueExA(key, "WindowDPI", NULL, NULL, (BYTE *)&dpi, &dpiSize) != ERROR_SUCCESS)
            dpi = 96;
        if (widthRead == ERROR_SUCCESS && heightRead == ERROR_SUCCESS && screenWidth == CaptureWidth &&
            screenHeight == CaptureHeight && dpi == PageDpi &&
            StoredPlacementReachable(&placement.rcNormalPosition)) {
            /* flags and showCmd 0: move to the stored normal position and
             * stay hidden. */
            placement.length = sizeof placement;
            placement.flags = 0;
            placement.showCmd = 0;
            for (const PageFrame &frame : PageFrames)
                SetWindowPlacement(*frame.page, &placement);
        }
    }
    RegCloseKey(key);
}

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
    RestorePlacement();
    ApplyTopmost();

    for (const HotkeyField &field : HotkeyFields)
        ShowHotkey(*field.page, field.fieldId, *field.setting);

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

void ExploreFolder(HWND owner, const char *path)
{
    char folder[264];
    if (FolderWithBackslash(path, folder, sizeof folder) != 0)
        return;
    LaunchShell(owner, "explore", folder, NULL, SW_SHOWNORMAL);
}
