/* The hotkey fields show their hotkeys' names from the pages' creation on. */
#include "support/page_set.h"

#include "resources/resource.h"

class HotkeyFieldText : public PagesInProcess {};

TEST_F(HotkeyFieldText, EachFieldShowsItsHotkeysNameWhenThePagesAreCreated)
{
    SharedSettings.MovieKey = VK_F9;
    SharedSettings.CaptureKey = VK_F10;
    SharedSettings.LogKey = VK_F11;
    SharedSettings.OverlayKey = 0;
    Create();
    EXPECT_EQ("F9", Text(MoviesPage, IDC_MOVIES_MOVIE_KEY));
    EXPECT_EQ("F10", Text(ScreenshotsPage, IDC_SCREENSHOTS_CAPTURE_KEY));
    EXPECT_EQ("F11", Text(FpsPage, IDC_FPS_LOG_KEY));
    EXPECT_EQ("None", Text(FpsPage, IDC_FPS_OVERLAY_KEY));
}
