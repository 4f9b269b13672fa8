/* The installed companion, given the stand-in library beside it, starts and
 * ends in order. */
#include "e2e/e2e.h"

class InstalledCompanion : public CompanionTest {
protected:
    void TearDown() override
    {
        DeleteFileA(library_.c_str());
        DeleteFileA(record_.c_str());
    }
    std::string folder_ = std::string(ZENTU_INSTALL_DIR) + "\\", library_ = folder_ + "zentu64.dll",
                record_ = folder_ + "zentu64-calls.log";
};

TEST_F(InstalledCompanion, StartsBesideTheLibraryAndEndsInOrder)
{
    ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(), library_.c_str(), FALSE));
    DeleteFileA(record_.c_str());
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder_ + "zentu64.exe"));
    ASSERT_TRUE(WaitUntil([&] { return StartedUp(ReadCalls(record_)); }, 20000));
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    ExpectOneShutdownCallAtTheEnd(ReadCalls(record_));
}
