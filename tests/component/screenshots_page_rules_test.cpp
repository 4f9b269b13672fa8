/* The screenshots page's own controls: format, repeated capture, its interval and the hotkey control. */
#include "support/page_set.h"

#include "resources/resource.h"

#include <commctrl.h>

class ScreenshotsPageRules : public PagesInProcess {};

TEST_F(ScreenshotsPageRules, AStoredFormatOpensWithItsButtonChecked)
{
    static const struct { DWORD format; int button; } cases[] = {
        { 0, IDC_SCREENSHOTS_FORMAT_BMP },
        { 1, IDC_SCREENSHOTS_FORMAT_JPG },
        { 2, IDC_SCREENSHOTS_FORMAT_PNG },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        SharedSettings.ScreenshotFormat = c.format;
        Create();
        EXPECT_TRUE(IsChecked(ScreenshotsPage, c.button));
        EXPECT_EQ(c.format, SharedSettings.ScreenshotFormat);
        DestroyPageSet();
    }
}

TEST_F(ScreenshotsPageRules, TheIntervalFollowsTheBoxAndAnEmptyBoxStoresZero)
{
    Create();
    SetDlgItemTextA(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME, "30");
    EXPECT_EQ(30u, SharedSettings.ScreenshotRepeatTime);
    SetDlgItemTextA(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME, "");
    EXPECT_EQ(0u, SharedSettings.ScreenshotRepeatTime);
}

TEST_F(ScreenshotsPageRules, TheHotkeyControlHoldsTheCaptureKey)
{
    SharedSettings.CaptureKey = 0x0479;
    SharedSettings.MovieKey = 0x0078;
    Create();
    HWND control = GetDlgItem(ScreenshotsPage, IDC_SCREENSHOTS_CAPTURE_KEY);
    EXPECT_EQ(0x0479, LOWORD(SendMessageA(control, HKM_GETHOTKEY, 0, 0)));
}

TEST_F(ScreenshotsPageRules, AnyOtherStoredFormatOpensWithBmpCheckedAndBecomesZero)
{
    SharedSettings.ScreenshotFormat = 5;
    Create();
    EXPECT_TRUE(IsChecked(ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_BMP));
    EXPECT_EQ(0u, SharedSettings.ScreenshotFormat);
}
