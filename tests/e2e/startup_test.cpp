/* Start-up checks, exit codes and message boxes of the real zentu64.exe. */
#include "e2e.h"

#include <sddl.h>

static const char VersionBoxText[] =
    "Could not locate the correct version of ZENTU64.DLL.\r\n\r\n"
    "Try uninstalling any previous versions of Zentu and then reboot your machine.\r\n\r\n"
    "After this reinstall the latest version of Zentu from https://www.example.com/zentu/";

class Startup : public CompanionTest {};

TEST_F(Startup, ExitSwitchAnywhereEndsAtOnceWithoutTouchingAnything)
{
    CompanionFolder folder("normal");
    static const char *const commandLines[] = { "/exit", "-quiet /exit now", "x/exity" };
    for (const char *commandLine : commandLines) {
        SCOPED_TRACE(commandLine);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath(), commandLine));
        EXPECT_EQ(0, companion.WaitExit(10000));
    }
    EXPECT_TRUE(folder.Calls().empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY));
}

TEST_F(Startup, SecondInstanceEndsWithOneAndExitSwitchStillEndsWithZero)
{
    SetRunning(1);
    CompanionFolder folder("normal");
    CompanionProcess first;
    ASSERT_TRUE(first.Start(folder.ExePath()));
    auto started = folder.WaitForCalls([](const std::vector<LibraryCall> &calls) {
        return FirstCallWithHooks(calls) >= 0;
    }, 20000);
    ASSERT_GE(FirstCallWithHooks(started), 0);

    CompanionFolder other("normal");
    CompanionProcess second;
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000));
    EXPECT_TRUE(other.Calls().empty());

    /* "/exit" is tested before the single-instance mutex; the text is
     * case-sensitive, so "/EXIT" is just a second instance. */
    CompanionProcess exiting;
    ASSERT_TRUE(exiting.Start(other.ExePath(), "/exit"));
    EXPECT_EQ(0, exiting.WaitExit(10000));
    CompanionProcess upper;
    ASSERT_TRUE(upper.Start(other.ExePath(), "/EXIT"));
    EXPECT_EQ(1, upper.WaitExit(10000));

    EXPECT_TRUE(first.Running());
    size_t before = folder.SetupCalls().size();
    auto later = folder.WaitForCalls([&](const std::vector<LibraryCall> &calls) {
        return calls.size() > before;
    }, 8000);
    EXPECT_GT(later.size(), before) << "the first instance stopped refreshing";

    SetRunning(0);
    EXPECT_EQ(0, first.WaitExit(10000));
}

struct FailureCase {
    const char *variant;         /* stand-in copied beside the exe; "" for none */
    const char *exeName;
    size_t folderLength;         /* pad the program folder to this length */
    long exitCode;
    const char *caption;
    const char *text;
    bool icon;
};

TEST_F(Startup, LibraryFailuresShowTheirBoxAndEndWithTheirCode)
{
    static const FailureCase cases[] = {
        { "", "zentu64.exe", 0, 2, "ZENTU64 Error", "Could not locate ZENTU64.DLL", false },
        { "no_version", "zentu64.exe", 0, 3, "ZENTU64 error", VersionBoxText, true },
        { "wrong_version", "zentu64.exe", 0, 4, "ZENTU64 error", VersionBoxText, true },
        /* The library's path would need 257 characters: never cut, never loaded. */
        { "normal", "z.exe", 245, 2, "ZENTU64 Error", "Could not locate ZENTU64.DLL", false },
    };
    SetRunning(1);
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "variant '" << c.variant << "' exit " << c.exitCode);
        CompanionFolder folder(c.variant, c.exeName, c.folderLength);
        if (c.folderLength) {
            ASSERT_EQ(c.folderLength, folder.Path().size());
        }
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        HWND box = WaitForProcessWindow(companion.Pid(), c.caption, 20000);
        ASSERT_TRUE(box) << "no box; windows: " << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ(c.text, content.text);
        EXPECT_EQ(c.icon, content.hasIcon);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
        EXPECT_FALSE(content.owned);
        EXPECT_EQ(-1, companion.WaitExit(300)) << "ended before the box was answered";
        ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
        EXPECT_EQ(c.exitCode, companion.WaitExit(15000));
        EXPECT_TRUE(folder.Calls().empty());
    }
}

TEST_F(Startup, WithoutRunningTheCompanionShutsDownRightAfterStartUp)
{
    struct RunningCase {
        const char *name;
        bool createKey;
        bool writeRunning;
    };
    static const RunningCase cases[] = {
        { "no settings key", false, false },
        { "key without Running", true, false },
        { "Running 0", true, true },
    };
    for (const RunningCase &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteKey(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
        if (c.createKey)
            SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Sampling Rate", 0);
        if (c.writeRunning)
            SetRunning(0);
        CompanionFolder folder("normal");
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        EXPECT_EQ(0, companion.WaitExit(20000));

        std::vector<LibraryCall> setups = folder.SetupCalls();
        int hooked = FirstCallWithHooks(setups);
        ASSERT_GE(hooked, 0);
        /* start-up's call with the hooks, the one after the first refresh,
         * and the last one with the shutdown flag */
        ASSERT_EQ((size_t)hooked + 3, setups.size());
        ExpectOneShutdownCallAtTheEnd(setups);
        EXPECT_EQ(c.createKey ? 0u : 1u, setups[hooked + 1].Number(5));
        /* The refresh creates the key when it is missing, and writes nothing. */
        EXPECT_EQ(c.createKey ? 1 + c.writeRunning : 0, CountValues(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY));
    }
}

TEST_F(Startup, LibraryWithoutHookProceduresIsReportedOnceAndServedWithNullHandles)
{
    CompanionFolder folder("no_hook_procs");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    HWND box = WaitForProcessWindow(companion.Pid(), "Zentu", 20000);
    ASSERT_TRUE(box);
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ("Hook Error", content.text);
    EXPECT_FALSE(content.hasIcon);
    EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
    EXPECT_FALSE(content.owned);
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    EXPECT_EQ(0, companion.WaitExit(20000));

    /* The pages' calls, start-up's two and the shutdown call: none carries a
     * hook handle. */
    std::vector<LibraryCall> setups = folder.SetupCalls();
    ASSERT_GE(setups.size(), 3u);
    for (const LibraryCall &call : setups) {
        EXPECT_EQ(0u, call.Address(1));
        EXPECT_EQ(0u, call.Address(2));
    }
    ExpectOneShutdownCallAtTheEnd(setups);
}

TEST_F(Startup, LibraryWithoutSetupExportRunsAndEndsNormally)
{
    SetRunning(1);
    CompanionFolder folder("no_setup");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    /* Running: it must survive its first refreshes without ZentuSetup. */
    EXPECT_EQ(-1, companion.WaitExit(4000));
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(10000));
    EXPECT_TRUE(folder.Calls().empty());
}

/* A mutex the companion may not open belongs to an instance running with
 * higher rights: that one runs the system-wide hooks already. */
TEST_F(Startup, AnInstanceWhoseMutexMayNotBeOpenedCountsAsRunning)
{
    SetRunning(1);
    /* Everyone is denied everything, as an elevated instance's mutex looks
     * to a program of the user's own rights. */
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, NULL));
    SECURITY_ATTRIBUTES attributes = { sizeof attributes, descriptor, FALSE };
    HANDLE guarded = CreateMutexA(&attributes, FALSE, "Zentu64Running");
    LocalFree(descriptor);
    ASSERT_TRUE(guarded != NULL);

    CompanionFolder folder("normal");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    EXPECT_EQ(1, companion.WaitExit(10000));
    EXPECT_TRUE(folder.Calls().empty());
    CloseHandle(guarded);
}

/* Logoff or shutdown: the system may end the process as soon as the pages
 * have answered, so the library's last call must already have been made. */
TEST_F(Startup, EndOfSessionGivesTheLibraryItsLastCallBeforeAnswering)
{
    SetRunning(1);
    CompanionFolder folder("normal");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    ASSERT_GE(FirstCallWithHooks(folder.WaitForCalls([](const std::vector<LibraryCall> &calls) {
        return FirstCallWithHooks(calls) >= 0;
    }, 20000)), 0);
    HWND general = NULL;
    ASSERT_TRUE(WaitUntil([&] {
        general = FindWindowA(NULL, "ZENTU64 general");
        return general != NULL;
    }, 5000));

    DWORD_PTR answer = 0;
    /* Ending without logging off changes nothing. */
    ASSERT_TRUE(SendMessageTimeoutA(general, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_TRUE(companion.Running());
    EXPECT_FALSE(HasShutdownCall(folder.Calls()));

    ASSERT_TRUE(SendMessageTimeoutA(general, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    auto setups = folder.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    EXPECT_EQ(0, companion.WaitExit(10000));
    EXPECT_EQ(setups.size(), folder.SetupCalls().size()) << "a call after the last one";
}
