/* The page set: creation, skin, placement and destruction. */
#include "pages/pages.h"

HWND GeneralPage;
HWND FpsPage;
HWND MoviesPage;
HWND ScreenshotsPage;
HWND CurrentPage;

UINT32 OverlayKeyAssigning;
UINT32 LogKeyAssigning;
UINT32 MovieKeyAssigning;
UINT32 CaptureKeyAssigning;
