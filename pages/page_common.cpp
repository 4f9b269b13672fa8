/*
 * Everything the four pages do alike: frame, painting, owner-drawn buttons,
 * caption buttons, dragging, the tab row, activation, the exit prompt, help,
 * placement saving and the hotkey-field assignment mode.
 */
#include "pages/page_frame.h"

#include "base/base.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include <windowsx.h>

void (*SessionEndHandler)(void);

const PageFrame PageFrames[PAGE_COUNT] = {
    { &GeneralPage, IDD_GENERAL_PAGE, GENERAL_PAGE_TITLE, IDC_GENERAL_HELP, "HELP_GENERAL.HTM",
      IDC_GENERAL_MINIMISE, IDC_GENERAL_CLOSE, IDB_BG_GENERAL, IDB_BG_GENERAL_HD },
    { &FpsPage, IDD_FPS_PAGE, "ZENTU64 fps", IDC_FPS_HELP, "HELP_FPS.HTM",
      IDC_FPS_MINIMISE, IDC_FPS_CLOSE, IDB_BG_FPS, IDB_BG_FPS_HD },
    { &MoviesPage, IDD_MOVIES_PAGE, "ZENTU64 movies", IDC_MOVIES_HELP, "HELP_MOVIES.HTM",
      IDC_MOVIES_MINIMISE, IDC_MOVIES_CLOSE, IDB_BG_MOVIES, IDB_BG_MOVIES_HD },
    { &ScreenshotsPage, IDD_SCREENSHOTS_PAGE, "ZENTU64 screenshots", IDC_SCREENSHOTS_HELP,
      "HELP_SCREENSHOTS.HTM", IDC_SCREENSHOTS_MINIMISE, IDC_SCREENSHOTS_CLOSE, IDB_BG_SCREENSHOTS,
      IDB_BG_SCREENSHOTS_HD },
};

static const char ExitPromptText[] =
    "Exiting Zentu will stop the counter being shown in your games.  Are you sure you want to unload Zentu?";

void InitialisePageFrame(PageIndex index, HWND page)
{
    SetWindowTextA(page, PageFrames[index].title);
    SendMessageA(page, WM_SETICON, ICON_SMALL, (LPARAM)PageIcon());
    SendMessageA(page, WM_SETICON, ICON_BIG, (LPARAM)PageIcon());
    ApplyPageRegion(page);
    HandHotkeyFields(page);
    for (const HotkeyField &field : HotkeyFields)
        if (HotkeyFieldOnPage(field, page))
            SubclassHotkeyField(field.window);
    ShowPageBindings(index, page);
}

static BOOL AnyFlagOfPage(HWND page)
{
    for (const HotkeyField &field : HotkeyFields)
        if (HotkeyFieldOnPage(field, page) && *field.assigning)
            return TRUE;
    return FALSE;
}

static void OnPaint(PageIndex index, HWND page)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    PaintPageBackground(index, dc);
    EndPaint(page, &paint);
}

/* The skin of an owner-drawn button, from the tables that give it its role. */
static SkinRole SkinRoleOf(PageIndex index, HWND page, int id)
{
    const PageFrame &frame = PageFrames[index];
    if (id == frame.helpId)
        return ROLE_HELP;
    if (id == frame.minimiseId)
        return ROLE_MINIMISE;
    if (id == frame.closeId)
        return ROLE_CLOSE;
    for (const HotkeyField &field : HotkeyFields)
        if (HotkeyFieldOnPage(field, page) && id == field.clearId)
            return ROLE_CLEAR_HOTKEY;
    return FolderButtonRole(index, id);
}

static BOOL OnDrawItem(PageIndex index, HWND page, const DRAWITEMSTRUCT *item)
{
    SkinRole role = SkinRoleOf(index, page, (int)item->CtlID);
    if (role != ROLE_COUNT)
        DrawSkinButton(role, item);
    return TRUE;
}

static void OnLeftButtonDown(PageIndex index, HWND page, LPARAM lParam)
{
    /* A click on the body ends a hotkey assignment: the field loses the
     * focus and reports it, which clears its flag. */
    if (AnyFlagOfPage(page))
        SetFocus(NULL);

    INT32 designX, designY;
    ToDesignSpace((INT16)GET_X_LPARAM(lParam), (INT16)GET_Y_LPARAM(lParam), PageWidth, PageHeight, &designX,
                  &designY);
    int tab;
    switch (ClassifyPageClick(designX, designY, &tab)) {
    case CLICK_DRAG:
        SendMessageA(page, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        break;
    case CLICK_TAB:
        if (tab >= 0 && tab != index)
            SwitchPage(page, *PageFrames[tab].page);
        break;
    case CLICK_NOTHING:
        break;
    }
}

static void OnActivate(HWND page, WPARAM wParam)
{
    WORD state = LOWORD(wParam);
    if ((state == WA_ACTIVE || state == WA_CLICKACTIVE) && CurrentPage != page) {
        ShowWindow(CurrentPage, SW_HIDE);
        CurrentPage = page;
    }
}

static void OnClose(HWND page)
{
    if (MessageBoxA(page, ExitPromptText, "Exit Zentu?", MB_OKCANCEL | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST) ==
        IDOK)
        DestroyWindow(page);
}

/* WM_COMMAND: caption buttons, help, hotkey fields and their clear buttons.
 * Returns TRUE when the command was one of these. */
static BOOL OnCommand(PageIndex index, HWND page, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    const PageFrame &frame = PageFrames[index];
    if (id == frame.minimiseId) {
        ShowWindow(page, SW_HIDE);
        return TRUE;
    }
    if (id == frame.closeId) {
        SendMessageA(page, WM_CLOSE, 0, 0);
        return TRUE;
    }
    if (id == frame.helpId) {
        LaunchShell(page, "open", frame.helpFile, HelpFolder, SW_SHOWMAXIMIZED);
        return TRUE;
    }
    for (const HotkeyField &field : HotkeyFields) {
        if (!HotkeyFieldOnPage(field, page))
            continue;
        if (id == field.fieldId) {
            switch (HIWORD(wParam)) {
            case EN_SETFOCUS: {
                /* Any program may post this command; only the field itself,
                 * really holding the focus, starts an assignment (which
                 * swallows the whole desktop's keys until it ends). */
                HWND control = GetDlgItem(page, id);
                if ((HWND)lParam != control || GetFocus() != control)
                    break;
                PostMessageA(control, EM_SETSEL, 0, -1);
                *field.assigning = 1;
                break;
            }
            case EN_KILLFOCUS:
                *field.assigning = 0;
                break;
            }
            return TRUE;
        }
        if (id == field.clearId) {
            *field.setting = 0;
            SetDlgItemTextA(page, field.fieldId, "None");
            return TRUE;
        }
    }
    return FALSE;
}

static void OnSetCursor(HWND page, LPARAM lParam)
{
    WORD mouseMessage = HIWORD(lParam);
    if (mouseMessage != WM_MOUSEMOVE && mouseMessage != WM_LBUTTONDOWN)
        return;
    for (const HotkeyField &field : HotkeyFields)
        if (HotkeyFieldOnPage(field, page) && *field.assigning)
            PostMessageA(GetDlgItem(page, field.fieldId), EM_SETSEL, 0, -1);
}

BOOL HandleCommonPageMessage(PageIndex index, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                             INT_PTR *result)
{
    *result = FALSE;
    switch (message) {
    case WM_PAINT:
        OnPaint(index, page);
        return TRUE;
    case WM_DRAWITEM:
        *result = OnDrawItem(index, page, (const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        /* Texts, check boxes and radio buttons stand directly on the skin. */
        SetBkMode((HDC)wParam, TRANSPARENT);
        *result = (INT_PTR)NullBrush();
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(index, page, lParam);
        return TRUE;
    case WM_ACTIVATE:
        OnActivate(page, wParam);
        return TRUE;
    case WM_SYSCOMMAND:
        if (wParam == SC_MINIMIZE) {
            ShowWindow(page, SW_HIDE);
            *result = TRUE;
        }
        return TRUE;
    case WM_COMMAND:
        /* A bound control's setting is stored first; the page's own command
         * then does whatever else the change needs. */
        StoreCheckBinding(index, page, LOWORD(wParam));
        return OnCommand(index, page, wParam, lParam) || HandleFolderCommand(index, page, LOWORD(wParam));
    case WM_SETCURSOR:
        OnSetCursor(page, lParam);
        return TRUE;
    case WM_CLOSE:
        OnClose(page);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    case WM_ENDSESSION:
        /* Logoff or shutdown: the hook library must get its last call
         * before the system ends the process. Only the system's, sent, counts:
         * anyone may post one. */
        if (wParam && InSendMessage() && SessionEndHandler)
            SessionEndHandler();
        return TRUE;
    case WM_MOVE:
        SavePagePlacement(page);
        return TRUE;
    }
    return FALSE;
}

INT_PTR SettingsPageProcedure(PageIndex index, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                              void (*onInitDialog)(HWND page), void (*onCommand)(HWND page, int id))
{
    INT_PTR result;
    switch (message) {
    case WM_INITDIALOG:
        InitialisePageFrame(index, page);
        onInitDialog(page);
        return TRUE;
    case WM_COMMAND:
        /* Frame buttons and hotkey fields first; either way the command ends
         * with the library hearing the whole settings set. */
        if (!HandleCommonPageMessage(index, page, message, wParam, lParam, &result))
            onCommand(page, LOWORD(wParam));
        SetupCall();
        return FALSE;
    }
    if (HandleCommonPageMessage(index, page, message, wParam, lParam, &result))
        return result;
    return FALSE;
}
