/*
 * What the four page procedures share (private to pages/): the frame table,
 * the skin, and the common message handling each page procedure asks first.
 */
#pragma once

#include <windows.h>

#include "hotkeys/hotkeys.h"
#include "pages/pages.h"

enum SkinRole {
    ROLE_HELP,
    ROLE_MINIMISE,
    ROLE_CLOSE,
    ROLE_CLEAR_HOTKEY,
    ROLE_CHANGE_FOLDER,
    ROLE_VIEW_FOLDER,
    ROLE_COUNT
};

enum PageIndex { PAGE_GENERAL, PAGE_FPS, PAGE_MOVIES, PAGE_SCREENSHOTS, PAGE_COUNT };

struct PageFrame {
    HWND *page;
    int templateId;
    const char *title;
    int helpId;
    const char *helpFile;
    int minimiseId;
    int closeId;
    int background;
    int backgroundHighDpi;
};

extern const PageFrame PageFrames[PAGE_COUNT];

/* TRUE when the hotkey field lies on the page: the page handed it over at
 * its creation (the page handle is only recorded once that returns). */
inline BOOL HotkeyFieldOnPage(const HotkeyField &field, HWND page)
{
    return field.window && GetParent(field.window) == page;
}

/* The skin, loaded by CreatePageSet and released by DestroyPageSet. */
void LoadSkin(void);
void ReleaseSkin(void);
HICON PageIcon(void);
HBRUSH NullBrush(void);

/* Handles what every page does alike. Returns TRUE when the message is
 * settled and *result is the procedure's result; FALSE lets the page's own
 * procedure go on (it returns FALSE for anything it does not handle). */
BOOL HandleCommonPageMessage(PageIndex index, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                             INT_PTR *result);

/* The whole procedure of the frame-rate, movies and screenshots pages: the
 * common frame, then the page's own initialisation (after the common steps)
 * and commands; every command ends with one SetupCall. */
INT_PTR SettingsPageProcedure(PageIndex index, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                              void (*onInitDialog)(HWND page), void (*onCommand)(HWND page, int id));

/* Remembers where a page stands (WM_MOVE), and puts the pages back there
 * when the stored place is still on the same screen and reachable
 * (pages/placement.cpp). */
void SavePagePlacement(HWND page);
void RestorePagePlacement(void);

/* The common start of every page's WM_INITDIALOG: title, icons, outline,
 * hotkey fields and the bound controls. */
void InitialisePageFrame(PageIndex index, HWND page);

/* A button's check state, and setting it (pages/page_bindings.cpp). */
BOOL Checked(HWND page, int id);
void Check(HWND page, int id, BOOL checked);

/* Shows the page's bound check boxes, radio pairs and folder lines. */
void ShowPageBindings(PageIndex index, HWND page);

/* Stores the flag bound to a check box or radio pair when id is one of its
 * buttons; other ids change nothing. */
void StoreCheckBinding(PageIndex index, HWND page, int id);

/* The skin role of a folder line's change or view button; ROLE_COUNT for
 * any other id. */
SkinRole FolderButtonRole(PageIndex index, int id);

/* The change and view buttons of a folder line; TRUE when id was one. */
BOOL HandleFolderCommand(PageIndex index, HWND page, int id);

/* Makes a hotkey field report its focus changes and show the texts the
 * companion writes (pages/hotkey_field.cpp). */
void SubclassHotkeyField(HWND field);

/* The page procedures. */
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FpsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MoviesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScreenshotsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

/* Painting from the skin (pages/skin.cpp). */
void PaintPageBackground(PageIndex index, HDC target);
void DrawSkinButton(SkinRole role, const DRAWITEMSTRUCT *item);

/* The general page's "Run Zentu when Windows starts" state; never read from
 * the registry, so it starts unchecked. */
extern DWORD RunAtStartup;

/* The command stored as the start-up entry: the main tool's quoted path. */
int StartupCommand(const char *programFolder, char *command, size_t size);
