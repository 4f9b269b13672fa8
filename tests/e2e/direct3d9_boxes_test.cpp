/* The boxes of a start-up that finds no usable Direct3D 9, as the user sees them. */
#include "support/companion.h"
#include "support/system_fake.h"

class Direct3D9Boxes : public CompanionTest {};

TEST_F(Direct3D9Boxes, TheMissingRuntimeBoxCarriesTheErrorIconAndNoOwner)
{
    SetRunning(1);
    SystemD3d9Fake fake(NULL);
    CompanionFolder folder("normal", FakeRuntimeExe);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU error", 20000);
    ASSERT_TRUE(box);
    EXPECT_TRUE(ReadMessageBox(box).hasIcon);
    EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    EXPECT_EQ(7, companion.WaitExit(15000));
}
