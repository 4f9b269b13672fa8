/*
 * The screenshots page: screenshot hotkey, folder, the overlay in
 * screenshots, repeated capture with its interval, and the image format.
 * Every command ends with one SetupCall.
 */
#include "pages/page_frame.h"

#include "resources/resource.h"
#include "settings/settings.h"

#include <commctrl.h>

static void OnInitDialog(HWND page)
{
    /* The control itself keeps no modifiers: Alt comes only from the
     * keyboard hook's assignment. */
    HWND hotkey = GetDlgItem(page, IDC_SCREENSHOTS_CAPTURE_KEY);
    SendMessageA(hotkey, HKM_SETRULES, 0xFF, 0);
    SendMessageA(hotkey, HKM_SETHOTKEY, SharedSettings.CaptureKey, 0);

    /* The box's notification reads the same number back into the setting. */
    SetDlgItemInt(page, IDC_SCREENSHOTS_REPEAT_TIME, SharedSettings.ScreenshotRepeatTime, FALSE);
    switch (SharedSettings.ScreenshotFormat) {
    case 1:
        Check(page, IDC_SCREENSHOTS_FORMAT_JPG, TRUE);
        break;
    case 2:
        Check(page, IDC_SCREENSHOTS_FORMAT_PNG, TRUE);
        break;
    default:
        SharedSettings.ScreenshotFormat = 0;
        Check(page, IDC_SCREENSHOTS_FORMAT_BMP, TRUE);
        break;
    }
}

static void OnCommand(HWND page, int id)
{
    switch (id) {
    case IDC_SCREENSHOTS_REPEAT_TIME: {
        BOOL converted = FALSE;
        UINT seconds = GetDlgItemInt(page, id, &converted, FALSE);
        SharedSettings.ScreenshotRepeatTime = converted ? seconds : 0;
        break;
    }
    case IDC_SCREENSHOTS_FORMAT_BMP:
    case IDC_SCREENSHOTS_FORMAT_JPG:
    case IDC_SCREENSHOTS_FORMAT_PNG:
        SharedSettings.ScreenshotFormat = Checked(page, IDC_SCREENSHOTS_FORMAT_PNG)   ? 2
                                          : Checked(page, IDC_SCREENSHOTS_FORMAT_JPG) ? 1
                                                                                      : 0;
        break;
    }
}

INT_PTR CALLBACK ScreenshotsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsPageProcedure(PAGE_SCREENSHOTS, page, message, wParam, lParam, OnInitDialog, OnCommand);
}
