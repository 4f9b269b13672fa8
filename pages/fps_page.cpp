/*
 * The frame-rate page: overlay and benchmark hotkeys, overlay corner, overlay
 * sampling, the per-second file, the automatic benchmark stop and the
 * benchmark statistics. Every command ends with one SetupCall, so the hook
 * library sees each change at once.
 */
#include "pages/page_frame.h"

#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

static const char OverlayDisabledText[] =
    "The frame rate overlay has been disabled to provide the most accurate results.\r\n\r\n"
    "It is recommended you leave the overlay disabled while logging is being performed.";

/* The corner buttons in the order their values count: 0 to 4. */
static const int CornerButtons[] = {
    IDC_FPS_CORNER_TOP_LEFT,
    IDC_FPS_CORNER_TOP_RIGHT,
    IDC_FPS_CORNER_BOTTOM_LEFT,
    IDC_FPS_CORNER_BOTTOM_RIGHT,
    IDC_FPS_CORNER_DISABLED,
};

static void RefreshCorner(void)
{
    for (int id : CornerButtons)
        Check(FpsPage, id, FALSE);
    int shown;
    switch (SharedSettings.OverlayCorner) {
    case 0: shown = IDC_FPS_CORNER_TOP_LEFT; break;
    case 1: shown = IDC_FPS_CORNER_TOP_RIGHT; break;
    case 2: shown = IDC_FPS_CORNER_BOTTOM_LEFT; break;
    case 4: shown = IDC_FPS_CORNER_DISABLED; break;
    default: shown = IDC_FPS_CORNER_BOTTOM_RIGHT; break;
    }
    Check(FpsPage, shown, TRUE);
    SetupCall();
}

static void OnInitDialog(HWND page)
{
    /* Setting the text makes the field report a change, and its command
     * stores what it reads through FpsPage, which is not set yet: keep the
     * value across. */
    DWORD benchmarkTime = SharedSettings.BenchmarkTime;
    SetDlgItemInt(page, IDC_FPS_BENCHMARK_TIME, benchmarkTime, FALSE);
    SharedSettings.BenchmarkTime = benchmarkTime;
    /* The corner refresh addresses the page through FpsPage. */
    FpsPage = page;
    RefreshCorner();
}

/* The file has been switched on or off already (page_bindings.cpp). */
static void OnSecondFile(void)
{
    if (SharedSettings.SecondLogging && SharedSettings.OverlayCorner != 4) {
        SharedSettings.OverlayCorner = 4;
        RefreshCorner();
        MessageBoxA(FpsPage, OverlayDisabledText, "", MB_TOPMOST | MB_TASKMODAL);
    }
    CountCall();
}

/* The commands read their controls through FpsPage, like everything else
 * that addresses this page from outside. */
static void OnCommand(HWND page, int id)
{
    (void)page;
    switch (id) {
    case IDC_FPS_CORNER_TOP_LEFT:
    case IDC_FPS_CORNER_TOP_RIGHT:
    case IDC_FPS_CORNER_BOTTOM_LEFT:
    case IDC_FPS_CORNER_BOTTOM_RIGHT:
    case IDC_FPS_CORNER_DISABLED:
        for (DWORD corner = 0; corner < 5; corner++)
            if (Checked(FpsPage, CornerButtons[corner])) {
                SharedSettings.OverlayCorner = corner;
                break;
            }
        break;
    case IDC_FPS_SECOND_FILE:
        OnSecondFile();
        break;
    case IDC_FPS_BENCHMARK_TIME:
        SharedSettings.BenchmarkTime = GetDlgItemInt(FpsPage, IDC_FPS_BENCHMARK_TIME, NULL, FALSE);
        break;
    }
}

INT_PTR CALLBACK FpsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsPageProcedure(PAGE_FPS, page, message, wParam, lParam, OnInitDialog, OnCommand);
}
