/*
 * The settings pages: four hidden, skinned modeless dialogs created at
 * start-up. The page handles, the assignment flags of the hotkey fields and
 * the capture size are process-wide; the keyboard hook reads the flags and
 * writes the hotkey fields' texts.
 */
#pragma once

#include <windows.h>

extern HWND GeneralPage;
extern HWND FpsPage;
extern HWND MoviesPage;
extern HWND ScreenshotsPage;
extern HWND CurrentPage;

/* Hotkey assignment flags, 0 or 1, one per hotkey field. */
extern UINT32 OverlayKeyAssigning;
extern UINT32 LogKeyAssigning;
extern UINT32 MovieKeyAssigning;
extern UINT32 CaptureKeyAssigning;

/* The screen size and capture buffer size handed to the hook library;
 * 1600, 1200 and 7733248 until the page set computes them. */
extern UINT32 CaptureWidth;
extern UINT32 CaptureHeight;
extern UINT32 CaptureBufferSize;
