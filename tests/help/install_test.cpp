/* The installed companion, given the stand-in library beside it, starts and
 * ends in order. */
#include "support/companion.h"

class InstalledCompanion : public CompanionTest {};

TEST_F(InstalledCompanion, StartsBesideTheLibraryAndEndsInOrder)
{
    std::string folder = std::string(ZENTU_INSTALL_DIR) + "\\", record = folder + "zentu64-calls.log";
    ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(), (folder + "zentu64.dll").c_str(), FALSE));
    DeleteFileA(record.c_str());
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder + "zentu64.exe"));
    EXPECT_TRUE(WaitUntil([&] { return StartedUp(ReadCalls(record)); }, 20000));
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    ExpectOneShutdownCallAtTheEnd(ReadCalls(record));
    DeleteFileA((folder + "zentu64.dll").c_str());
    DeleteFileA(record.c_str());
}
