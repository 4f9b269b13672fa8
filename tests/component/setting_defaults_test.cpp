/* The settings before anything is read from the main tool's key. */
#include "base/base.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

TEST(SettingDefaults, BothDirectoriesStartAsTheProgramFolder)
{
    FillFolderPaths();
    ApplySettingDefaults();
    ASSERT_NE('\0', ProgramFolder[0]);
    EXPECT_STREQ(ProgramFolder, SharedSettings.MovieDirectory);
    EXPECT_STREQ(ProgramFolder, SharedSettings.ScreenshotDirectory);
}
