/* The installed companion, given the stand-in library beside it, starts and
 * ends in order. */
#include "e2e/e2e.h"

class InstalledCompanion : public CompanionTest {
protected:
    static std::string Installed(const std::string &name)
    {
        std::string path = std::string(ZENTU_INSTALL_DIR) + "/" + name;
        for (char &c : path)
            c = c == '/' ? '\\' : c;
        return path;
    }
    void TearDown() override
    {
        DeleteFileA(Installed("zentu64.dll").c_str());
        DeleteFileA(Installed("zentu64-calls.log").c_str());
    }
};

TEST_F(InstalledCompanion, StartsBesideTheLibraryAndEndsInOrder)
{
    ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(), Installed("zentu64.dll").c_str(), FALSE));
    DeleteFileA(Installed("zentu64-calls.log").c_str());
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(Installed("zentu64.exe")));
    ASSERT_TRUE(WaitUntil([&] { return StartedUp(ReadCalls(Installed("zentu64-calls.log"))); }, 20000));
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    ExpectOneShutdownCallAtTheEnd(ReadCalls(Installed("zentu64-calls.log")));
}
