/* A companion that runs beside the main tool: how its thread runs and how the main tool ends it. */
#include "support/companion.h"

class RunningCompanion : public CompanionTest {
protected:
    void StartAndWait()
    {
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
};

TEST_F(RunningCompanion, RunningTurnedZeroInTheKeyEndsItInOrder)
{
    StartAndWait();
    SetRunning(0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

TEST_F(RunningCompanion, ItsThreadRunsAtTheHighestPriority)
{
    StartAndWait();
    HWND general = FindProcessWindow(companion_.Pid(), "ZENTU64 general", true);
    ASSERT_TRUE(general);
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetWindowThreadProcessId(general, NULL));
    ASSERT_TRUE(thread);
    EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(thread));
    CloseHandle(thread);
}
