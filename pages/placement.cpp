/* Every move of a page is remembered, and the page set puts the pages back
 * there at start-up. */
#include "pages/page_frame.h"

#include "settings/hook_library.h"

#include <string.h>

/* The companion is a 64-bit process: this is the 64-bit view of the key. */
static const char PlacementKeyPath[] = "SOFTWARE\\Zentu2";

/* Opens (creating it when missing) the placement key; NULL without access. */
static HKEY OpenPlacementKey(void)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, PlacementKeyPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return NULL;
    return key;
}

void SavePagePlacement(HWND page)
{
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    GetWindowPlacement(page, &placement);
    HKEY key = OpenPlacementKey();
    if (!key)
        return;
    DWORD screenWidth = (DWORD)GetSystemMetrics(SM_CXSCREEN);
    DWORD screenHeight = (DWORD)GetSystemMetrics(SM_CYSCREEN);
    DWORD dpi = PageDpi;
    RegSetValueExA(key, "Window", 0, REG_BINARY, (const BYTE *)&placement, sizeof placement);
    RegSetValueExA(key, "WindowX", 0, REG_DWORD, (const BYTE *)&screenWidth, sizeof screenWidth);
    RegSetValueExA(key, "WindowY", 0, REG_DWORD, (const BYTE *)&screenHeight, sizeof screenHeight);
    RegSetValueExA(key, "WindowDPI", 0, REG_DWORD, (const BYTE *)&dpi, sizeof dpi);
    RegCloseKey(key);
}

/* TRUE when the stored rectangle is a page's and its title band lies on a
 * monitor that is still there: a record from a monitor that is gone would
 * put the pages out of reach. */
static BOOL StoredPlacementReachable(const RECT *stored)
{
    /* Anything but the page's own size is no page's; checked first, in 64
     * bits, so that the band's bottom lies inside the record and its sum
     * cannot overflow. */
    if (stored->right - (LONGLONG)stored->left != PageWidth || stored->bottom - (LONGLONG)stored->top != PageHeight)
        return FALSE;
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
void RestorePagePlacement(void)
{
    HKEY key = OpenPlacementKey();
    if (!key)
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
