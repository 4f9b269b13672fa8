#include "app/app.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

TEST(Folders, ProgramFolderIsTheModulePathCutAtItsLastBackslash)
{
    char folder[256];
    ASSERT_EQ(0, ProgramFolderFromModulePath(folder, sizeof folder, "C:\\Program Files\\Zentu\\zentu64.exe"));
    EXPECT_STREQ("C:\\Program Files\\Zentu", folder);
    ASSERT_EQ(0, ProgramFolderFromModulePath(folder, sizeof folder, "C:\\zentu64.exe"));
    EXPECT_STREQ("C:", folder);

    memset(folder, 'x', sizeof folder);
    EXPECT_EQ(1, ProgramFolderFromModulePath(folder, sizeof folder, "zentu64.exe"));
    EXPECT_EQ('x', folder[0]);
}

TEST(Folders, JoinedPathsFitWholeOrLeaveTheBufferUntouched)
{
    struct JoinCase {
        size_t baseLength;
        const char *tail;
        bool fits;
    };
    static const JoinCase cases[] = {
        { 250, "\\help", true },          /* 255 characters: the most a buffer holds */
        { 251, "\\help", false },
        { 244, "\\benchmarks", true },
        { 245, "\\benchmarks", false },
        { 243, "\\zentu64.dll", true },
        { 244, "\\zentu64.dll", false },
        { 255, "", true },
        { 256, "", false },
    };
    for (const JoinCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.baseLength << " + " << c.tail);
        std::string base(c.baseLength, 'a');
        char dest[256];
        memset(dest, '#', sizeof dest);
        int result = JoinPath(dest, sizeof dest, base.c_str(), c.tail);
        if (c.fits) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(base + c.tail, std::string(dest));
        } else {
            EXPECT_EQ(1, result);
            for (char ch : dest)
                ASSERT_EQ('#', ch);
        }
    }
}

TEST(Folders, FillFolderPathsDerivesEveryFolderFromThisProgram)
{
    FillFolderPaths();
    char modulePath[MAX_PATH];
    GetModuleFileNameA(NULL, modulePath, sizeof modulePath);
    std::string expected(modulePath, strrchr(modulePath, '\\') - modulePath);

    EXPECT_TRUE(FolderPathsComplete);
    EXPECT_EQ(expected, ProgramFolder);
    EXPECT_EQ(expected + "\\help", HelpFolder);
    EXPECT_EQ(expected + "\\benchmarks", BenchmarksFolder);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_STREQ(system, SystemFolder);
}
