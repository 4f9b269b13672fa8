/* The hotkey fields: which setting, flag and clear button each one has. */
#include "hotkeys/hotkeys.h"

#include "resources/resource.h"
#include "settings/settings.h"

UINT32 OverlayKeyAssigning;
UINT32 LogKeyAssigning;
UINT32 MovieKeyAssigning;
UINT32 CaptureKeyAssigning;

HotkeyField HotkeyFields[HOTKEY_FIELD_COUNT] = {
    { IDC_MOVIES_MOVIE_KEY, &SharedSettings.MovieKey, &MovieKeyAssigning, IDC_MOVIES_CLEAR, NULL },
    { IDC_SCREENSHOTS_CAPTURE_KEY, &SharedSettings.CaptureKey, &CaptureKeyAssigning, IDC_SCREENSHOTS_CLEAR, NULL },
    { IDC_FPS_OVERLAY_KEY, &SharedSettings.OverlayKey, &OverlayKeyAssigning, IDC_FPS_OVERLAY_CLEAR, NULL },
    { IDC_FPS_LOG_KEY, &SharedSettings.LogKey, &LogKeyAssigning, IDC_FPS_LOG_CLEAR, NULL },
};

void HandHotkeyFields(HWND page)
{
    for (HotkeyField &field : HotkeyFields) {
        HWND window = GetDlgItem(page, field.fieldId);
        if (window)
            field.window = window;
    }
}
