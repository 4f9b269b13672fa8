/* Which system library a graphics probe loads, and which driver a file name stands for. */
#include "probe/probe.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(SystemLibrary, IsTheLibraryInTheSystemFolder)
{
    char path[64] = "";
    EXPECT_EQ(0, SystemLibraryPath(path, sizeof path, "C:\\windows\\system32", "D3D9.DLL"));
    EXPECT_STREQ("C:\\windows\\system32\\D3D9.DLL", path);
}

/* "\D3D9.DLL" would be a file on the current drive, anyone's. */
TEST(SystemLibrary, WithoutASystemFolderThereIsNone)
{
    char path[64] = "untouched";
    EXPECT_NE(0, SystemLibraryPath(path, sizeof path, "", "D3D9.DLL"));
    EXPECT_STREQ("untouched", path);
}

TEST(DriverName, ANameThatOnlyBeginsWithADriversNameIsAnotherDriver)
{
    EXPECT_EQ(DISPLAY_DRIVER_OTHER, DisplayDriverKindOf("nv4_disp.dll.old"));
    EXPECT_EQ(DISPLAY_DRIVER_OTHER, DisplayDriverKindOf("ati2dvag.dllx"));
}

TEST(DriverName, TheWholeNameInAnyLetterCaseIsThatDriver)
{
    EXPECT_EQ(DISPLAY_DRIVER_NVIDIA, DisplayDriverKindOf("NV4_Disp.DLL"));
    EXPECT_EQ(DISPLAY_DRIVER_ATI, DisplayDriverKindOf("ATI2DVAG.dll"));
}
