/*
 * The settings pages: four hidden, skinned modeless dialogs created at
 * start-up. The page handles are process-wide; start-up writes the version
 * texts. The pages hand their hotkey fields to the keyboard hook's table
 * (hotkeys/hotkeys.h) when they are created.
 */
#pragma once

#include <windows.h>

extern HWND GeneralPage;
extern HWND FpsPage;
extern HWND MoviesPage;
extern HWND ScreenshotsPage;
extern HWND CurrentPage;

/* Called when the system ends the user's session (WM_ENDSESSION): whoever
 * runs the pages ends the companion there. NULL does nothing. */
extern void (*SessionEndHandler)(void);

/* Screen DPI at creation (96 without a screen DC); 120 or more selects the
 * high-DPI skin. */
extern UINT32 PageDpi;
/* Size of a page window in pixels, the same for all four. */
extern INT32 PageWidth;
extern INT32 PageHeight;

/* The general page's notification message; lParam carries a mouse message.
 * Whoever owns the notification icon finds the page by its title. */
#define WM_PAGE_NOTIFY (WM_USER + 1)
#define GENERAL_PAGE_TITLE "ZENTU64 general"

void CreatePageSet(void);
void DestroyPageSet(void);
void ApplyTopmost(void);
void SwitchPage(HWND from, HWND to);
void ApplyPageRegion(HWND page);
void ExploreFolder(HWND owner, const char *path);

/* ShellExecuteExA on a short-lived worker thread of its own, so that the
 * pages' thread (which owns the keyboard hook) never waits for the shell.
 * directory may be NULL. Texts that do not fit launch nothing, nor does a
 * launch while the same one is still under way. */
void LaunchShell(HWND owner, const char *verb, const char *file, const char *directory, int show);

/* Waits, taking in sent messages, until no launch runs any more (its thread
 * has ended) or timeoutMs has passed. TRUE when none runs. */
BOOL WaitForShellLaunches(DWORD timeoutMs);

/* Arithmetic of the pages, free of window calls. */

/* The corner ellipse of the rounded page outline for a window of W x H. */
void RegionCornerEllipse(INT32 width, INT32 height, INT32 *ellipseWidth, INT32 *ellipseHeight);

/* Maps a client point of a page of pageWidth x pageHeight into the 400 x 300
 * design space of the art. */
void ToDesignSpace(INT32 x, INT32 y, INT32 pageWidth, INT32 pageHeight, INT32 *designX, INT32 *designY);

/* What a click at a design point means. */
enum PageClickKind { CLICK_DRAG, CLICK_TAB, CLICK_NOTHING };
/* For CLICK_TAB, *tab receives 0 general, 1 frame rate, 2 movies,
 * 3 screenshots, or -1 when X lies outside every tab. */
PageClickKind ClassifyPageClick(INT32 designX, INT32 designY, int *tab);

/* Height in pixels of the title band, by which a page is dragged. */
INT32 TitleBandHeight(INT32 pageHeight);

/* TRUE when a stored page rectangle may be restored: it has the page's own
 * size and its title band lies inside the work area, so the user can reach
 * and drag it. */
BOOL PlacementFits(const RECT *stored, INT32 pageWidth, INT32 pageHeight, const RECT *workArea);

/* Appends a backslash unless the path ends in one, into dest (size bytes);
 * the path is cut to 260 characters first. Returns 0 on success. */
int FolderWithBackslash(const char *path, char *dest, size_t size);

/* The movies page's custom frame rate, in thousandths of a frame per second. */

/* The text the custom box shows for a stored rate: 30000 "30", 29500
 * "29.5", 29970 "29.97", 23976 "23.976". Returns 0 on success, 1 when text
 * is too small (left untouched). */
int FormatCustomRate(DWORD rate, char *text, size_t size);

/* Drops every character but digits and the point, in place. Returns TRUE
 * when something was dropped; *caret is then the number of characters kept
 * before the last dropped one. */
BOOL CleanCustomRateText(char *text, int *caret);

/* A cleaned, non-empty box text as a stored rate: the decimal number it
 * starts with, in single precision, times 1000, truncated, and held within
 * 10000..100000. */
DWORD ConvertCustomRate(const char *text);

/* Folder helpers of the movies and screenshots pages. */

/* Lets the user choose a folder; 1 when one was chosen and its path (at most
 * 255 characters) copied into destination (256 bytes), otherwise 0 and
 * destination unchanged. A longer path is refused with a box owned by owner. */
int PickFolder(HWND owner, char *destination, const char *prompt);

/* Copies a chosen folder into a 256-byte folder setting, the rest zeroed
 * and the last byte untouched. Returns 0; 1 for a path longer than 255
 * characters, which is refused (destination untouched). */
int CopyChosenFolder(char *destination, const char *path);

/* CopyChosenFolder, telling the user with a box owned by owner when the path
 * is refused. 1 when the folder was taken. */
int AcceptChosenFolder(HWND owner, char *destination, const char *path);

/* Repaints the skin behind one control of a page, at once. */
void RepaintControl(HWND page, int id);
