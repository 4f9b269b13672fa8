/*
 * Controls bound to a setting: check boxes and radio pairs that store one
 * flag, and the folder lines with their change and view buttons. What a
 * command does beyond storing stays with its page.
 */
#include "pages/page_frame.h"

#include "resources/resource.h"
#include "settings/settings.h"

/* A check box, or the first of a radio pair, standing for a flag: 1 when
 * the button is checked (unchecked when inverted), or for one bit of a bit
 * set. */
struct CheckBinding {
    PageIndex page;
    int id;
    int otherId;          /* the pair's other radio button, 0 for a check box */
    DWORD *setting;
    BOOL inverted;
    DWORD bit;            /* 0: the whole setting is the flag */
};

static const CheckBinding CheckBindings[] = {
    { PAGE_GENERAL, IDC_GENERAL_START_MINIMISED, 0, &SharedSettings.StartMinimised, FALSE, 0 },
    { PAGE_GENERAL, IDC_GENERAL_ALWAYS_ON_TOP, 0, &SharedSettings.AlwaysOnTop, FALSE, 0 },
    { PAGE_GENERAL, IDC_GENERAL_RUN_AT_STARTUP, 0, &RunAtStartup, FALSE, 0 },
    { PAGE_FPS, IDC_FPS_SECOND_FILE, 0, &SharedSettings.SecondLogging, FALSE, 0 },
    { PAGE_FPS, IDC_FPS_BENCHMARK_STOP, 0, &SharedSettings.BenchmarkStop, FALSE, 0 },
    /* "Sampling Rate" 0 is the overlay updated once a second. */
    { PAGE_FPS, IDC_FPS_ONCE_A_SECOND, 0, &SharedSettings.SamplingRate, TRUE, 0 },
    { PAGE_FPS, IDC_FPS_STATS_FPS, 0, &SharedSettings.DetailedStats, FALSE, 1 },
    { PAGE_FPS, IDC_FPS_STATS_MINMAXAVG, 0, &SharedSettings.DetailedStats, FALSE, 2 },
    { PAGE_FPS, IDC_FPS_STATS_FRAMETIMES, 0, &SharedSettings.DetailedStats, FALSE, 4 },
    { PAGE_MOVIES, IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, &SharedSettings.SoundInput, TRUE, 0 },
    { PAGE_MOVIES, IDC_MOVIES_NO_CURSOR, 0, &SharedSettings.NoCursor, FALSE, 0 },
    { PAGE_MOVIES, IDC_MOVIES_NO_SYNC, 0, &SharedSettings.NoSync, FALSE, 0 },
    { PAGE_MOVIES, IDC_MOVIES_HALF_SIZE, IDC_MOVIES_FULL_SIZE, &SharedSettings.MovieHalfSize, FALSE, 0 },
    { PAGE_MOVIES, IDC_MOVIES_RECORD_SOUND, 0, &SharedSettings.RecordSound, FALSE, 0 },
    { PAGE_SCREENSHOTS, IDC_SCREENSHOTS_OVERLAY, 0, &SharedSettings.FramerateOnScreenshot, FALSE, 0 },
    { PAGE_SCREENSHOTS, IDC_SCREENSHOTS_REPEAT, 0, &SharedSettings.ScreenshotRepeat, FALSE, 0 },
};

struct FolderField {
    PageIndex page;
    int shownId;
    int changeId;
    int viewId;
    char *folder;
    const char *prompt;
};

static const FolderField FolderFields[] = {
    { PAGE_MOVIES, IDC_MOVIES_FOLDER, IDC_MOVIES_CHANGE_FOLDER, IDC_MOVIES_VIEW_FOLDER, SharedSettings.MovieDirectory,
      "Please select the folder to save Zentu movies in:" },
    { PAGE_SCREENSHOTS, IDC_SCREENSHOTS_FOLDER, IDC_SCREENSHOTS_CHANGE_FOLDER, IDC_SCREENSHOTS_VIEW_FOLDER,
      SharedSettings.ScreenshotDirectory, "Please select the folder to save Zentu screenshots in:" },
};

BOOL Checked(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND page, int id, BOOL checked)
{
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void ShowPageBindings(PageIndex index, HWND page)
{
    for (const CheckBinding &binding : CheckBindings) {
        if (binding.page != index)
            continue;
        DWORD value = binding.bit ? *binding.setting & binding.bit : *binding.setting;
        BOOL on = (value != 0) != (binding.inverted != FALSE);
        if (binding.otherId)
            Check(page, on ? binding.id : binding.otherId, TRUE);
        else
            Check(page, binding.id, on);
    }
    for (const FolderField &field : FolderFields)
        if (field.page == index)
            SetDlgItemTextA(page, field.shownId, field.folder);
}

void StoreCheckBinding(PageIndex index, HWND page, int id)
{
    for (const CheckBinding &binding : CheckBindings) {
        if (binding.page != index || (id != binding.id && (!binding.otherId || id != binding.otherId)))
            continue;
        BOOL on = Checked(page, binding.id) != (binding.inverted != FALSE);
        if (binding.bit)
            *binding.setting = on ? *binding.setting | binding.bit : *binding.setting & ~binding.bit;
        else
            *binding.setting = on ? 1 : 0;
    }
}

SkinRole FolderButtonRole(PageIndex index, int id)
{
    for (const FolderField &field : FolderFields)
        if (field.page == index && (id == field.changeId || id == field.viewId))
            return id == field.changeId ? ROLE_CHANGE_FOLDER : ROLE_VIEW_FOLDER;
    return ROLE_COUNT;
}

BOOL HandleFolderCommand(PageIndex index, HWND page, int id)
{
    for (const FolderField &field : FolderFields) {
        if (field.page != index)
            continue;
        if (id == field.changeId) {
            /* Shown again whether or not the user chose one: the line's
             * transparent background needs the skin painted behind it. */
            PickFolder(page, field.folder, field.prompt);
            SetDlgItemTextA(page, field.shownId, field.folder);
            RepaintControl(page, field.shownId);
            return TRUE;
        }
        if (id == field.viewId) {
            ExploreFolder(page, field.folder);
            return TRUE;
        }
    }
    return FALSE;
}
