/* The process contract of zentu64.exe: exit codes with their boxes, the
 * orderly ends, and where the libraries it loads by name come from. */
#include "e2e.h"

#include <sddl.h>

static const char NoLibrary[] = "Could not locate ZENTU64.DLL";
static const char WrongVersion[] =
    "Could not locate the correct version of ZENTU64.DLL.\r\n\r\n"
    "Try uninstalling any previous versions of Zentu and then reboot your machine.\r\n\r\n"
    "After this reinstall the latest version of Zentu from https://www.example.com/zentu/";

class Startup : public CompanionTest {};

TEST_F(Startup, WithoutRunningEachEndHasItsBoxAndExitCode)
{
    static const struct {
        const char *variant, *exeName, *arguments;  /* variant: the stand-in beside the program; "": none */
        size_t padTo;                               /* the program folder's length */
        long exitCode;
        const char *caption, *text;                 /* the box answered before the end */
        int calls;      /* -1: none; 0: none with hook handles; 3: start-up's, a refresh's, the last */
    } cases[] = {
        { "normal", "zentu64.exe", "-quiet /exit now", 0, 0, NULL, NULL, -1 },
        { "normal", "zentu64.exe", "", 0, 1, NULL, NULL, -1 },   /* an instance with higher rights runs */
        { "", "zentu64.exe", "", 0, 2, "ZENTU64 Error", NoLibrary, -1 },
        { "normal", "z.exe", "", 245, 2, "ZENTU64 Error", NoLibrary, -1 },  /* the library's path: 257 */
        { "no_version", "zentu64.exe", "", 0, 3, "ZENTU64 error", WrongVersion, -1 },
        { "wrong_version", "zentu64.exe", "", 0, 4, "ZENTU64 error", WrongVersion, -1 },
        { "no_hook_procs", "zentu64.exe", "", 0, 0, "Zentu", "Hook Error", 0 },
        { "no_setup", "zentu64.exe", "", 0, 0, NULL, NULL, -1 },
        { "normal", "zentu64.exe", "", 0, 0, NULL, NULL, 3 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.variant << "' " << c.arguments << " exit " << c.exitCode);
        DeleteKey(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
        /* A mutex that everyone is denied, as an elevated instance's looks. */
        PSECURITY_DESCRIPTOR denied = NULL;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;GA;;;WD)", SDDL_REVISION_1, &denied, NULL));
        SECURITY_ATTRIBUTES attributes = { sizeof attributes, denied, FALSE };
        HANDLE guarded = c.exitCode == 1 ? CreateMutexA(&attributes, FALSE, "Zentu64Running") : NULL;
        LocalFree(denied);
        CompanionFolder folder(c.variant, c.exeName, c.padTo);
        ASSERT_GE(folder.Path().size(), c.padTo);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath(), c.arguments));
        if (c.caption) {
            HWND box = WaitForProcessWindow(companion.Pid(), c.caption, 20000);
            ASSERT_TRUE(box) << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
            EXPECT_EQ(c.text, ReadMessageBox(box).text);
            ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
        }
        EXPECT_EQ(c.exitCode, companion.WaitExit(20000));
        if (guarded)
            CloseHandle(guarded);
        if (*c.arguments) {
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY)) << "ended at once, yet read the settings";
        }
        std::vector<LibraryCall> setups = folder.SetupCalls();
        EXPECT_EQ(c.calls < 0, setups.empty());
        if (c.calls >= 0) {
            ExpectOneShutdownCallAtTheEnd(setups);
            EXPECT_EQ(c.calls ? (int)setups.size() - c.calls : -1, FirstCallWithHooks(setups));
        }
    }
}

/* The helper library the real hook library may load by its bare name comes
 * from the program's folder or the system folder, never from the current
 * folder, where anyone may plant one. */
class RunningCompanion : public CompanionTest {
protected:
    void Start(const std::string &plantIn, const std::string &currentFolder = "")
    {
        CreateDirectoryA(plantIn.c_str(), NULL);
        ASSERT_TRUE(CopyFileA(BuildPath("fakes/planted/zentu-helper.dll").c_str(),
                              (plantIn + "\\zentu-helper.dll").c_str(), FALSE));
        planted_ = plantIn + "\\planted-library-loaded";
        SetRunning(1);
        SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", "zentu-helper.dll");
        ASSERT_TRUE(companion_.Start(folder_.ExePath(), "", currentFolder));
        SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", NULL);
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
        general_ = FindWindowA(NULL, "ZENTU64 general");
    }
    bool PlantedLoaded() const { return GetFileAttributesA(planted_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    std::string planted_;
    HWND general_ = NULL;
};

TEST_F(RunningCompanion, RefusesASecondInstanceAndMakesTheLastCallBeforeTheSessionEnds)
{
    Start(folder_.Path());
    EXPECT_TRUE(WaitUntil([&] { return PlantedLoaded(); }, 5000)) << "the helper beside the program did not load";
    CompanionFolder other("normal");
    CompanionProcess second, exiting;
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000));
    ASSERT_TRUE(exiting.Start(other.ExePath(), "/exit"));      /* looked at before the mutex */
    EXPECT_EQ(0, exiting.WaitExit(10000));
    EXPECT_TRUE(other.Calls().empty());

    /* Logoff or shutdown: the system may end the process as soon as the
     * pages have answered, so the library's last call comes first. */
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(general_, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_FALSE(HasShutdownCall(folder_.Calls())) << "a session that goes on ended the library";
    ASSERT_TRUE(SendMessageTimeoutA(general_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    std::vector<LibraryCall> setups = folder_.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    EXPECT_EQ(setups.size(), folder_.SetupCalls().size()) << "a call after the last one";
}

TEST_F(RunningCompanion, LoadsNothingFromTheCurrentFolderAndEndsAtAQuitMessage)
{
    Start(folder_.Path() + "\\work", folder_.Path() + "\\work");
    EXPECT_FALSE(PlantedLoaded()) << "the library planted in the current folder was loaded";
    /* Any WM_QUIT ends the loop, though "Running" stays 1. */
    ASSERT_TRUE(PostThreadMessageA(GetWindowThreadProcessId(general_, NULL), WM_QUIT, 0, 0));
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}
