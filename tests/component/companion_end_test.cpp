/* What the end of the companion leaves behind: the hook library goes only when no shell launch can still run its
 * hooks, and the page set destroys only what is its own. */
#include "app/app.h"
#include "base/base.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"
#include "support/companion.h"
#include "support/imports.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <thread>

static std::string LibraryPath;
static HANDLE LaunchEntered;
static HANDLE LaunchMayReturn;
static bool LibraryMappedAtReturn;

/* Stands in for the shell: the launch runs until the test lets it return. */
static BOOL WINAPI BlockingShellExecute(SHELLEXECUTEINFOA *info)
{
    (void)info;
    SetEvent(LaunchEntered);
    WaitForSingleObject(LaunchMayReturn, 20000);
    LibraryMappedAtReturn = GetModuleHandleA(LibraryPath.c_str()) != NULL;
    return TRUE;
}

/* The stand-in library loaded as start-up loads it (the companion holds the only reference), and shell launches
 * that block until released. */
class LibraryEnd : public testing::Test {
protected:
    void SetUp() override
    {
        LibraryPath = folder_.Path() + "\\zentu64.dll";
        HookLibrary = LoadLibraryA(LibraryPath.c_str());
        ASSERT_TRUE(HookLibrary);
        ZentuSetup = reinterpret_cast<ZENTU_SETUP_PROC *>((void *)GetProcAddress(HookLibrary, "ZentuSetup"));
        ShutdownFlag = 0;
        LaunchEntered = CreateEventA(NULL, TRUE, FALSE, NULL);
        LaunchMayReturn = CreateEventA(NULL, TRUE, FALSE, NULL);
        LibraryMappedAtReturn = false;
        shellExecute_ = ReplaceImport("ShellExecuteExA", (void *)BlockingShellExecute);
        ASSERT_TRUE(shellExecute_);
    }
    void TearDown() override
    {
        SetEvent(LaunchMayReturn);
        WaitForShellLaunches(20000);
        ReplaceImport("ShellExecuteExA", shellExecute_);
        CloseHandle(LaunchEntered);
        CloseHandle(LaunchMayReturn);
    }
    void StartBlockingLaunch()
    {
        LaunchShell(NULL, "open", "HELP_FPS.HTM", NULL, SW_SHOWNORMAL);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(LaunchEntered, 10000)) << "the launch never started";
    }
    static bool LibraryMapped()
    {
        return GetModuleHandleA(LibraryPath.c_str()) != NULL;
    }

    CompanionFolder folder_{ "normal" };
    void *shellExecute_ = NULL;
};

TEST_F(LibraryEnd, ALaunchEndingWithinTheBoundIsWaitedForBeforeTheLibraryGoes)
{
    StartBlockingLaunch();
    /* The launch returns once the library has heard that the companion goes, while the end is under way. */
    std::thread shell([this] {
        WaitUntil([this] { return HasShutdownCall(folder_.Calls()); }, 10000);
        SetEvent(LaunchMayReturn);
    });
    EndCompanionSession();
    shell.join();
    EXPECT_TRUE(LibraryMappedAtReturn) << "the library went while the launch still ran";
    EXPECT_FALSE(LibraryMapped()) << "the library stayed after the launch had ended";
}

TEST_F(LibraryEnd, ALaunchStillRunningAfterTheBoundLeavesTheLibraryMappedButUncalled)
{
    StartBlockingLaunch();
    EndCompanionSession();
    EXPECT_TRUE(LibraryMapped());
    EXPECT_EQ(nullptr, ZentuSetup);
    SetEvent(LaunchMayReturn);
    ASSERT_TRUE(WaitForShellLaunches(20000));
    EXPECT_TRUE(LibraryMappedAtReturn);
    ExpectOneShutdownCallAtTheEnd(folder_.Calls());
}

/* The icon the pages carry is a copy of the program's own; the shared one of the program's resources is never
 * destroyed, whoever else uses it. */
TEST(PageSetEnd, DestroysItsOwnPageIconAndLeavesTheSharedOne)
{
    ProgramInstance = GetModuleHandleA(NULL);
    FillFolderPaths();
    ApplySettingDefaults();
    CreatePageSet();
    HICON icon = (HICON)SendMessageA(GeneralPage, WM_GETICON, ICON_BIG, 0);
    HICON shared = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_PAGE_ICON));
    ASSERT_TRUE(icon);
    EXPECT_NE(shared, icon);
    DestroyPageSet();
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(icon, &info)) << "the page icon outlived the pages";
    ASSERT_TRUE(GetIconInfo(shared, &info)) << "the shared icon was destroyed";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}
