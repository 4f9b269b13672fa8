/*
 * The movies page: movie hotkey, folder, size, preset and custom frame
 * rates, sound recording and its input, no-sync and no-cursor. Every command
 * ends with one SetupCall.
 */
#include "pages/page_frame.h"

#include "resources/resource.h"
#include "settings/settings.h"

/* Preset buttons in the order the frame-rate rule tests them. */
struct PresetRate {
    int id;
    DWORD rate;
};

static const PresetRate PresetRates[] = {
    { IDC_MOVIES_RATE_60, 60 },
    { IDC_MOVIES_RATE_50, 50 },
    { IDC_MOVIES_RATE_40, 40 },
    { IDC_MOVIES_RATE_30, 30 },
    { IDC_MOVIES_RATE_25, 25 },
};

/* "Movie Framerate" of the user-defined rate in "Movie Framerate User". */
static const DWORD CustomRate = 20;

/* Enabled only while sound is recorded, in this order. */
static const int SoundControls[] = {
    IDC_MOVIES_SOUND_DETECT,
    IDC_MOVIES_SOUND_WINDOWS,
    IDC_MOVIES_EMPTY1,
    IDC_MOVIES_EMPTY2,
};

static void EnableSoundControls(HWND page, BOOL enable)
{
    for (int id : SoundControls)
        EnableWindow(GetDlgItem(page, id), enable);
    for (int id : SoundControls)
        RepaintControl(page, id);
}

static void OnInitDialog(HWND page)
{
    DWORD storedRate = SharedSettings.MovieFramerate;
    int rateButton = IDC_MOVIES_RATE_CUSTOM;
    for (const PresetRate &preset : PresetRates)
        if (SharedSettings.MovieFramerate == preset.rate)
            rateButton = preset.id;
    if (rateButton == IDC_MOVIES_RATE_CUSTOM)
        SharedSettings.MovieFramerate = CustomRate;
    Check(page, rateButton, TRUE);

    char rateText[16];
    if (FormatCustomRate(SharedSettings.MovieFramerateUser, rateText, sizeof rateText) == 0)
        SetDlgItemTextA(page, IDC_MOVIES_CUSTOM_RATE, rateText);
    if (!SharedSettings.RecordSound)
        EnableSoundControls(page, FALSE);
    /* Initialisation only shows values; the custom box's notification set
     * the rate to the custom one on the way. */
    SharedSettings.MovieFramerate = storedRate;
}

/* The rules address the page through MoviesPage. While the page is being
 * created that is still null, so what the custom box reports then reaches no
 * window. */
static void ApplyFrameRateRule(void)
{
    SharedSettings.MovieFramerate = CustomRate;
    for (const PresetRate &preset : PresetRates)
        if (Checked(MoviesPage, preset.id)) {
            SharedSettings.MovieFramerate = preset.rate;
            break;
        }
}

/* Runs for every notification of the custom box, focus changes included:
 * being in the box means the custom rate. */
static void ApplyCustomBoxRule(void)
{
    static const int presetOrder[] = { IDC_MOVIES_RATE_25, IDC_MOVIES_RATE_30, IDC_MOVIES_RATE_40,
                                       IDC_MOVIES_RATE_50, IDC_MOVIES_RATE_60 };
    for (int id : presetOrder)
        Check(MoviesPage, id, FALSE);
    Check(MoviesPage, IDC_MOVIES_RATE_CUSTOM, TRUE);
    SharedSettings.MovieFramerate = CustomRate;

    char text[255] = "";
    GetDlgItemTextA(MoviesPage, IDC_MOVIES_CUSTOM_RATE, text, sizeof text);
    int caret = 0;
    if (CleanCustomRateText(text, &caret)) {
        /* Writing the box notifies again, and that notification runs this
         * rule on the cleaned text. */
        SetDlgItemTextA(MoviesPage, IDC_MOVIES_CUSTOM_RATE, text);
        SendDlgItemMessageA(MoviesPage, IDC_MOVIES_CUSTOM_RATE, EM_SETSEL, caret, caret);
        return;
    }
    if (text[0] == '\0')
        return;
    SharedSettings.MovieFramerateUser = ConvertCustomRate(text);
}

static void OnCommand(HWND page, int id)
{
    switch (id) {
    case IDC_MOVIES_CUSTOM_RATE:
        ApplyCustomBoxRule();
        break;
    case IDC_MOVIES_RATE_CUSTOM:
    case IDC_MOVIES_RATE_25:
    case IDC_MOVIES_RATE_30:
    case IDC_MOVIES_RATE_40:
    case IDC_MOVIES_RATE_50:
    case IDC_MOVIES_RATE_60:
        ApplyFrameRateRule();
        break;
    case IDC_MOVIES_RECORD_SOUND:
        /* "Record Sound" is stored already (page_bindings.cpp). */
        EnableSoundControls(page, SharedSettings.RecordSound == 1);
        break;
    }
}

INT_PTR CALLBACK MoviesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsPageProcedure(PAGE_MOVIES, page, message, wParam, lParam, OnInitDialog, OnCommand);
}
