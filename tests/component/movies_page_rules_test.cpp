/* The movies page's frame rate: the preset buttons, and the custom rate whenever no preset is checked. */
#include "support/page_set.h"

#include "resources/resource.h"

class MoviesPageRules : public PagesInProcess {};

TEST_F(MoviesPageRules, AStoredPresetOpensWithItsButtonChecked)
{
    static const struct { DWORD rate; int button; } cases[] = {
        { 25, IDC_MOVIES_RATE_25 },
        { 30, IDC_MOVIES_RATE_30 },
        { 50, IDC_MOVIES_RATE_50 },
        { 60, IDC_MOVIES_RATE_60 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.rate);
        SharedSettings.MovieFramerate = c.rate;
        Create();
        EXPECT_TRUE(IsChecked(MoviesPage, c.button));
        EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
        DestroyPageSet();
    }
}

TEST_F(MoviesPageRules, TheCustomBoxUnchecksEveryPresetButton60Too)
{
    Create();
    Click(MoviesPage, IDC_MOVIES_RATE_60);
    HWND box = GetDlgItem(MoviesPage, IDC_MOVIES_CUSTOM_RATE);
    SendMessageA(MoviesPage, WM_COMMAND, MAKEWPARAM(IDC_MOVIES_CUSTOM_RATE, EN_SETFOCUS), (LPARAM)box);
    EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_60));
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
}

TEST_F(MoviesPageRules, WithoutSoundRecordingThePageOpensWithItsSoundControlsDisabled)
{
    SharedSettings.RecordSound = 0;
    Create();
    for (int id : { IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, IDC_MOVIES_EMPTY1, IDC_MOVIES_EMPTY2 })
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, id))) << "control " << id;
}

TEST_F(MoviesPageRules, WithSoundRecordingThePageOpensWithItsSoundControlsEnabled)
{
    SharedSettings.RecordSound = 1;
    Create();
    for (int id : { IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, IDC_MOVIES_EMPTY1, IDC_MOVIES_EMPTY2 })
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(MoviesPage, id))) << "control " << id;
}
