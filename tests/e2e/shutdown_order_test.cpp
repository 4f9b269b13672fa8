/* The orderly end seen from outside: the single-instance mutex outlives the
 * library's last call, so no second set of hooks can start while the first
 * one still goes. */
#include "support/companion.h"

class ShutdownOrder : public CompanionTest {};

TEST_F(ShutdownOrder, ASecondInstanceIsRefusedWhileTheLastLibraryCallRuns)
{
    CompanionFolder folder("normal");
    CompanionFolder other("normal");
    std::string stall = folder.Path() + "\\stall-now";
    SetRunning(1);
    SetEnvironmentVariableA("ZENTU_STANDIN_STALL", stall.c_str());
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
    ASSERT_TRUE(StartedUp(folder.WaitForCalls(StartedUp, 20000)));
    /* The pages exist once start-up's calls are in. */
    HWND general = FindProcessWindow(companion.Pid(), "ZENTU64 general", true);
    ASSERT_TRUE(general);

    /* The next library call, the last one, takes 2 s: the file goes when it begins. */
    CloseHandle(CreateFileA(stall.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    PostMessageA(general, WM_QUIT, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(stall.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000));
    ASSERT_TRUE(HasShutdownCall(folder.Calls())) << "a refresh, not the last call, took the stall";
    ASSERT_TRUE(companion.Running());

    CompanionProcess second;
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000)) << "the mutex went before the library's last call";
    EXPECT_EQ(0, companion.WaitExit(10000));
}
