/* A program folder so long that the library's path would not fit: the path is never cut and used. */
#include "support/companion.h"

class LongProgramFolder : public CompanionTest {};

/* 245 characters of folder: the library's path would be 257, cut to 255 it ends in "zentu64.d". */
TEST_F(LongProgramFolder, ALibraryUnderTheCutPathIsNotLoaded)
{
    CompanionFolder folder("", "z.exe", 245);
    ASSERT_EQ(245u, folder.Path().size());
    std::string cut = folder.Path() + "\\zentu64.d";
    ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(), cut.c_str(), FALSE));
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU64 Error", 20000);
    ASSERT_TRUE(box) << "the library under the cut path was loaded";
    EXPECT_EQ("Could not locate ZENTU64.DLL", ReadMessageBox(box).text);
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    EXPECT_EQ(2, companion.WaitExit(10000));
}
