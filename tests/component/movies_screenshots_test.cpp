/* The movies and screenshots pages in-process: initialisation and commands. */
#include "app/app.h"
#include "pages/page_frame.h"
#include "resources/resource.h"
#include "settings/settings.h"

#include "support/registry.h"

#include <gtest/gtest.h>

#include <string>

static std::string Text(HWND page, int id)
{
    char text[256] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

static bool IsChecked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

static void Type(HWND page, int id, const char *text)
{
    for (const char *c = text; *c; c++)
        SendDlgItemMessageA(page, id, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
}

static void Click(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

class SettingsPages : public testing::Test {
protected:
    /* Creates the pages after the test has put its settings in place. */
    void Create()
    {
        CreatePageSet();
        ASSERT_TRUE(MoviesPage && ScreenshotsPage);
    }
    void SetUp() override
    {
        ProgramInstance = GetModuleHandleA(NULL);
        FillFolderPaths();
        ApplySettingDefaults();
    }
    void TearDown() override
    {
        DestroyPageSet();
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
    }
    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2" };
};

TEST_F(SettingsPages, StoredFrameRatesShowAndStayThroughInitialisation)
{
    struct RateCase {
        DWORD rate;
        int checked;             /* the one checked rate button */
    };
    static const RateCase cases[] = {
        { 30, IDC_MOVIES_RATE_30 }, { 60, IDC_MOVIES_RATE_60 }, { 40, IDC_MOVIES_RATE_40 },
        { 45, IDC_MOVIES_RATE_CUSTOM }, { 20, IDC_MOVIES_RATE_CUSTOM },
    };
    static const int rateButtons[] = { IDC_MOVIES_RATE_CUSTOM, IDC_MOVIES_RATE_25, IDC_MOVIES_RATE_30,
                                       IDC_MOVIES_RATE_40, IDC_MOVIES_RATE_50, IDC_MOVIES_RATE_60 };
    for (const RateCase &c : cases) {
        SCOPED_TRACE(c.rate);
        SharedSettings.MovieFramerate = c.rate;
        SharedSettings.MovieFramerateUser = 25050;
        Create();
        for (int id : rateButtons)
            EXPECT_EQ(id == c.checked, IsChecked(MoviesPage, id)) << id;
        EXPECT_EQ(c.rate, SharedSettings.MovieFramerate);
        EXPECT_EQ(25050u, SharedSettings.MovieFramerateUser);
        EXPECT_EQ("25.05", Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(MoviesPage, IDC_MOVIES_RATE_40)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, IDC_MOVIES_RATE_40)));
        DestroyPageSet();
    }
}

TEST_F(SettingsPages, CustomBoxCleansTypingAndStoresTheRate)
{
    Create();
    HWND box = GetDlgItem(MoviesPage, IDC_MOVIES_CUSTOM_RATE);
    SetWindowTextA(box, "");
    Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, "29.97");
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_30));

    /* A letter after the 2 is dropped and the caret stays where it was typed. */
    SendMessageA(box, EM_SETSEL, 1, 1);
    Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, "a");
    EXPECT_EQ("29.97", Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE));
    DWORD start = 99, end = 99;
    SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(1u, start);
    EXPECT_EQ(1u, end);
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);

    SendMessageA(box, EM_SETSEL, 0, 0);
    Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, "q");
    SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);

    struct TypedCase {
        const char *typed;
        DWORD stored;
    };
    static const TypedCase cases[] = { { "16.001", 16000 }, { "5", 10000 }, { "150", 100000 }, { "12.3.4", 12300 } };
    for (const TypedCase &c : cases) {
        SCOPED_TRACE(c.typed);
        SetWindowTextA(box, "");
        Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, c.typed);
        EXPECT_EQ(c.stored, SharedSettings.MovieFramerateUser);
        EXPECT_EQ(c.typed, Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE)) << "the box keeps the text as typed";
    }
    /* An empty box stores nothing. */
    SetWindowTextA(box, "");
    EXPECT_EQ(12300u, SharedSettings.MovieFramerateUser);

    /* A preset button after the box: the box's rule runs as it loses the
     * focus, then the button's command. */
    ShowWindow(MoviesPage, SW_SHOW);
    SetFocus(box);
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
    Click(MoviesPage, IDC_MOVIES_RATE_60);
    EXPECT_EQ(60u, SharedSettings.MovieFramerate);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_60));
    EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    /* Only moving the focus into the box means the custom rate again. */
    SetWindowTextA(box, "23.976");
    SetFocus(box);
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
    EXPECT_EQ(23976u, SharedSettings.MovieFramerateUser);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
}

TEST_F(SettingsPages, SoundControlsFollowRecordSound)
{
    SharedSettings.RecordSound = 0;
    SharedSettings.SoundInput = 1;
    Create();
    static const int soundControls[] = { IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, IDC_MOVIES_EMPTY1,
                                         IDC_MOVIES_EMPTY2 };
    for (int id : soundControls)
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, id))) << id;
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_SOUND_WINDOWS));
    Click(MoviesPage, IDC_MOVIES_RECORD_SOUND);
    EXPECT_EQ(1u, SharedSettings.RecordSound);
    for (int id : soundControls)
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(MoviesPage, id))) << id;
    Click(MoviesPage, IDC_MOVIES_SOUND_DETECT);
    EXPECT_EQ(0u, SharedSettings.SoundInput);

    struct ToggleCase {
        int id;
        DWORD *setting;
    };
    const ToggleCase toggles[] = { { IDC_MOVIES_NO_SYNC, &SharedSettings.NoSync },
                                   { IDC_MOVIES_NO_CURSOR, &SharedSettings.NoCursor } };
    for (const ToggleCase &t : toggles) {
        Click(MoviesPage, t.id);
        EXPECT_EQ(1u, *t.setting) << t.id;
        Click(MoviesPage, t.id);
        EXPECT_EQ(0u, *t.setting) << t.id;
    }
    Click(MoviesPage, IDC_MOVIES_HALF_SIZE);
    EXPECT_EQ(1u, SharedSettings.MovieHalfSize);
    Click(MoviesPage, IDC_MOVIES_FULL_SIZE);
    EXPECT_EQ(0u, SharedSettings.MovieHalfSize);
}

TEST_F(SettingsPages, ScreenshotsFormatRepeatAndFolder)
{
    SharedSettings.ScreenshotFormat = 5;
    Create();
    EXPECT_EQ(0u, SharedSettings.ScreenshotFormat);
    EXPECT_TRUE(IsChecked(ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_BMP));
    EXPECT_EQ("10", Text(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME));
    EXPECT_EQ(10u, SharedSettings.ScreenshotRepeatTime);
    EXPECT_EQ(std::string(ProgramFolder), Text(ScreenshotsPage, IDC_SCREENSHOTS_FOLDER));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(ScreenshotsPage, IDC_SCREENSHOTS_HALF_SIZE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(ScreenshotsPage, IDC_SCREENSHOTS_FULL_SIZE)));

    struct FormatCase {
        int id;
        DWORD format;
    };
    static const FormatCase formats[] = { { IDC_SCREENSHOTS_FORMAT_PNG, 2 }, { IDC_SCREENSHOTS_FORMAT_JPG, 1 },
                                          { IDC_SCREENSHOTS_FORMAT_BMP, 0 } };
    for (const FormatCase &f : formats) {
        Click(ScreenshotsPage, f.id);
        EXPECT_EQ(f.format, SharedSettings.ScreenshotFormat) << f.id;
    }

    HWND box = GetDlgItem(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME);
    SendMessageA(box, EM_SETSEL, 0, -1);
    Type(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME, "30");
    EXPECT_EQ(30u, SharedSettings.ScreenshotRepeatTime);
    SetWindowTextA(box, "");
    EXPECT_EQ(0u, SharedSettings.ScreenshotRepeatTime);

    Click(ScreenshotsPage, IDC_SCREENSHOTS_OVERLAY);
    EXPECT_EQ(1u, SharedSettings.FramerateOnScreenshot);
    Click(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT);
    EXPECT_EQ(1u, SharedSettings.ScreenshotRepeat);
}
