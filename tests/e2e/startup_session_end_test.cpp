/* The user's session ends while the companion is still starting: inside the first library call, made while the
 * pages are created, the system's WM_ENDSESSION comes in. Start-up stops there and ends in order. */
#include "support/companion.h"

class StartupSessionEnd : public CompanionTest {
protected:
    void TearDown() override
    {
        SetEnvironmentVariableA("ZENTU_STANDIN_SEND", NULL);
    }
};

TEST_F(StartupSessionEnd, EndsInOrderWithoutHooksOrBoxAndFreesTheInstanceAtOnce)
{
    CompanionFolder folder("normal");
    std::string send = folder.Path() + "\\send-now";
    TouchFile(send);
    SetEnvironmentVariableA("ZENTU_STANDIN_SEND", send.c_str());
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(send); }, 20000))
        << "the first library call never began";
    HWND general = FindProcessWindow(companion.Pid(), "ZENTU64 general", true);
    ASSERT_TRUE(general);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(general, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer));
    long exitCode = companion.WaitExit(20000);
    HWND box = FindProcessWindow(companion.Pid(), "Zentu", false);
    EXPECT_FALSE(box) << "a box waits: " << (box ? ReadMessageBox(box).text : "");
    if (box)
        PressMessageBoxButton(box, "OK");
    EXPECT_EQ(0, exitCode);
    std::vector<LibraryCall> setups = folder.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    EXPECT_EQ(-1, FirstCallWithHooks(setups)) << "the library's hooks went in after the end";

    SetEnvironmentVariableA("ZENTU_STANDIN_SEND", NULL);
    CompanionFolder next("normal");
    CompanionProcess another;
    ASSERT_TRUE(another.Start(next.ExePath()));
    EXPECT_TRUE(StartedUp(next.WaitForCalls(StartedUp, 20000))) << "the next companion did not start";
    SetRunning(0);
    EXPECT_EQ(0, another.WaitExit(10000));
}
