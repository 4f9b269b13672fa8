/* The process contract of zentu64.exe: exit codes with their boxes, what it hands the hook library
 * and when, the orderly ends, the hotkeys with real input, where the libraries it loads come from. */
#include "support/companion.h"

#include "resources/resource.h"

#include <sddl.h>

static const char NoLibrary[] = "Could not locate ZENTU64.DLL";
static const char WrongVersion[] =
    "Could not locate the correct version of ZENTU64.DLL.\r\n\r\n"
    "Try uninstalling any previous versions of Zentu and then reboot your machine.\r\n\r\n"
    "After this reinstall the latest version of Zentu from https://www.example.com/zentu/";

/* A mutex that everyone is denied, as an elevated instance's looks. */
static HANDLE CreateDeniedMutex()
{
    PSECURITY_DESCRIPTOR denied = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;GA;;;WD)", SDDL_REVISION_1, &denied, NULL))
        return NULL;
    SECURITY_ATTRIBUTES attributes = { sizeof attributes, denied, FALSE };
    HANDLE mutex = CreateMutexA(&attributes, FALSE, "Zentu64Running");
    LocalFree(denied);
    return mutex;
}

class Startup : public CompanionTest {};

TEST_F(Startup, WithoutRunningEachEndHasItsBoxAndExitCode)
{
    /* variant: the stand-in beside the program ("": none); padTo: the program folder's length; the box answered
     * before the end; calls -1: none, 0: none with hook handles, 3: start-up's, a refresh's, the last */
    static const struct { const char *variant, *exeName, *arguments; size_t padTo; long exitCode;
                          const char *caption, *text; int calls; } cases[] = {
        { "normal", "zentu64.exe", "-quiet /exit now", 0, 0, NULL, NULL, -1 },
        /* An instance with higher rights runs. */
        { "normal", "zentu64.exe", "", 0, 1, NULL, NULL, -1 },
        { "", "zentu64.exe", "", 0, 2, "ZENTU64 Error", NoLibrary, -1 },
        /* The library's path: 257 characters. */
        { "normal", "z.exe", "", 245, 2, "ZENTU64 Error", NoLibrary, -1 },
        { "no_version", "zentu64.exe", "", 0, 3, "ZENTU64 error", WrongVersion, -1 },
        { "wrong_version", "zentu64.exe", "", 0, 4, "ZENTU64 error", WrongVersion, -1 },
        { "no_hook_procs", "zentu64.exe", "", 0, 0, "Zentu", "Hook Error", 0 },
        { "no_setup", "zentu64.exe", "", 0, 0, NULL, NULL, -1 },
        { "normal", "zentu64.exe", "", 0, 0, NULL, NULL, 3 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.variant << "' " << c.arguments << " exit " << c.exitCode);
        DeleteKey(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY);
        HANDLE guarded = NULL;
        if (c.exitCode == 1)
            guarded = CreateDeniedMutex();
        CompanionFolder folder(c.variant, c.exeName, c.padTo);
        /* The library's path cut to 255 would end in "zentu64.d": never cut and used. */
        if (c.padTo) {
            ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(),
                                  (folder.Path() + "\\zentu64.d").c_str(), FALSE));
        }
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath(), c.arguments));
        if (c.caption) {
            AnsweredBox box = AnswerMessageBox(companion.Pid(), c.caption, "OK", 20000);
            ASSERT_TRUE(box.found) << c.caption;
            EXPECT_EQ(c.text, box.content.text);
            EXPECT_EQ(c.text == WrongVersion, box.content.hasIcon) << "only the version box has an icon";
        }
        EXPECT_EQ(c.exitCode, companion.WaitExit(20000));
        if (guarded)
            CloseHandle(guarded);
        if (*c.arguments) {
            EXPECT_EQ(-1, CountValues(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY)) << "ended at once, yet read the settings";
        }
        std::vector<LibraryCall> setups = folder.SetupCalls();
        EXPECT_EQ(c.calls < 0, setups.empty());
        if (c.calls < 0)
            continue;
        ExpectOneShutdownCallAtTheEnd(setups);
        EXPECT_EQ(c.calls ? (int)setups.size() - c.calls : -1, FirstCallWithHooks(setups));
    }
}

/* A companion running beside a stand-in that stalls a call when asked to, started with "Overlay Corner" at 2. */
class Running : public RunningCompanionTest {
protected:
    void SetUp() override
    {
        SetSetting("Overlay Corner", 2);
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", Stall().c_str());
        RunningCompanionTest::SetUp();
        SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
        fps_ = FindProcessWindow(companion_.Pid(), "ZENTU64 fps", true);
        general_ = FindProcessWindow(companion_.Pid(), "ZENTU64 general", true);
        ASSERT_TRUE(fps_ && general_);
    }
    /* The file whose creation stalls the next library call for 2 s. */
    std::string Stall() const
    {
        return folder_.Path() + "\\stall-now";
    }
    /* The time of the next call while the test does nothing: a refresh. */
    double NextRefreshMs() const
    {
        size_t before = folder_.SetupCalls().size();
        std::vector<LibraryCall> setups;
        WaitUntil([&] {
            setups = folder_.SetupCalls();
            return setups.size() > before;
        }, 5000);
        EXPECT_GT(setups.size(), before) << "no refresh";
        return setups.empty() ? 0 : setups.back().timeMs;
    }

    HWND fps_ = NULL;
    HWND general_ = NULL;
};

/* The defaults and each value's place are checked in-process. */
TEST_F(Running, EveryCallCarriesTheFoldersTheCornerReadAtStartTheCaptureSizeAndOneBuffer)
{
    std::vector<LibraryCall> setups = folder_.SetupCalls();
    EXPECT_NE(0u, setups[0].Address(25));
    for (const LibraryCall &call : setups) {
        ASSERT_EQ(59u, call.args.size());
        const UINT32 values[][2] = {
            { 11, 2 },
            { 30, 1600 },
            { 31, 1200 },
            { 32, 7733248 },
        };
        for (const auto &v : values)
            EXPECT_EQ(v[1], call.Number(v[0])) << "position " << v[0];
        /* The program folder, and the two directories' start value. */
        for (int position : { 6, 7, 8 })
            EXPECT_EQ(folder_.Path(), call.Text(position)) << "position " << position;
        EXPECT_EQ(folder_.Path() + "\\benchmarks", call.Text(9));
        EXPECT_EQ(SystemFolderPath(), call.Text(19));
        EXPECT_EQ(setups[0].Address(25), call.Address(25));
    }
}

/* Each name's field and each field's place are checked in-process. */
TEST_F(Running, ARefreshHandsTheRegistrysValuesToTheLibrary)
{
    size_t before = folder_.SetupCalls().size();
    SetSetting("Log Key", 0x0420);
    SetSetting("Screenshot Directory", "C:\\Shots");
    SetSetting("Movie Directory", "D:\\Movies");
    std::vector<LibraryCall> setups;
    ASSERT_TRUE(WaitUntil([&] {
        setups = folder_.SetupCalls();
        return setups.size() >= before + 2;
    }, 8000));
    EXPECT_EQ(0x0420u, setups[before + 1].Number(57));
    EXPECT_EQ("D:\\Movies", setups[before + 1].Text(7));
    EXPECT_EQ("C:\\Shots", setups[before + 1].Text(8));
}

/* The refresh interval counts from the end of start-up: the loop's first refresh does not come at its first pass. */
TEST_F(Running, TheLoopsFirstRefreshComesAWholeIntervalAfterStartUpsOwn)
{
    int hooked = FirstCallWithHooks(folder_.SetupCalls());
    ASSERT_GE(hooked, 0);
    std::vector<LibraryCall> setups;
    ASSERT_TRUE(WaitUntil([&] {
        setups = folder_.SetupCalls();
        return setups.size() >= (size_t)hooked + 3;
    }, 8000));
    EXPECT_GE(setups[hooked + 2].timeMs - setups[hooked + 1].timeMs, 2900.0);
}

/* "/exit" is looked at before the mutex. */
TEST_F(Running, ASecondInstanceEndsWith1AndExitEndsAtOnceWithoutCallingItsLibrary)
{
    CompanionFolder other("normal");
    CompanionProcess second;
    CompanionProcess exiting;
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000));
    ASSERT_TRUE(exiting.Start(other.ExePath(), "/exit"));
    EXPECT_EQ(0, exiting.WaitExit(10000));
    EXPECT_TRUE(other.Calls().empty());
}

/* A library call stalling 2 s with keys waiting may cost the companion its keyboard hook. A click into the
 * Overlay Key field, F8, a click on the page body: the click's own call hands F8 over, before the next
 * refresh could have brought it. */
TEST_F(Running, AHotkeyFieldTakesAKeyAfterALibraryCallStalledWithKeysWaiting)
{
    TouchFile(Stall());
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Stall()); }, 8000)) << "the library call never stalled";
    size_t stalledAt = folder_.SetupCalls().size();
    PressKey(VK_F7);
    ASSERT_TRUE(WaitUntil([&] { return folder_.SetupCalls().size() > stalledAt; }, 8000)) << "it never came back";
    HWND field = GetDlgItem(fps_, IDC_FPS_OVERLAY_KEY);
    ShowWindow(fps_, SW_SHOW);
    const double refreshMs = NextRefreshMs();
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(field, NULL), &gui) && gui.hwndFocus == field;
    }, 5000));
    PressKey(VK_F8);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(field) == "F8"; }, 5000)) << WindowText(field);
    PostMessageA(fps_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    PostMessageA(fps_, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
    /* The first call to carry F8. */
    double heardMs = 0;
    ASSERT_TRUE(WaitUntil([&] {
        for (const LibraryCall &call : folder_.SetupCalls()) {
            heardMs = call.timeMs;
            if ((call.Number(56) & 0xFFFF) == 0x77)
                return true;
        }
        return false;
    }, 5000));
    EXPECT_LT(heardMs - refreshMs, 2900.0) << "F8 came with a refresh, not with the click";
}

/* Only a sent WM_ENDSESSION (TRUE) counts. A corner clicked by a message posted after the posted end shows the
 * end handled: the corner is read only at start-up, so no refresh can bring the new one. */
TEST_F(Running, APostedOrDeclinedSessionEndLeavesTheLibraryRunning)
{
    DWORD_PTR answer = 0;
    PostMessageA(general_, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    PostMessageA(GetDlgItem(fps_, IDC_FPS_CORNER_TOP_RIGHT), BM_CLICK, 0, 0);
    ASSERT_TRUE(SendMessageTimeoutA(general_, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    ASSERT_TRUE(WaitUntil([&] { return folder_.SetupCalls().back().Number(11) == 1; }, 5000));
    EXPECT_FALSE(HasShutdownCall(folder_.Calls())) << "a posted end or a session that goes on ended the library";
}

/* Logoff, shutdown, an installer's restart: the last call comes at once, for good, even when a refresh fell
 * due while the exit prompt was up. */
TEST_F(Running, ASessionEndWithTheExitPromptUpGivesTheLastCallAtOnceAndNoneAfter)
{
    const double lastMs = folder_.SetupCalls().back().timeMs;
    PostMessageA(fps_, WM_CLOSE, 0, 0);
    HWND box = WaitForProcessWindow(companion_.Pid(), "Exit Zentu?", 10000);
    ASSERT_TRUE(box);
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ASSERT_TRUE(WaitUntil([&] {
        QueryPerformanceCounter(&counter);
        return 1000.0 * counter.QuadPart / frequency.QuadPart > lastMs + 3100;
    }, 5000)) << "no refresh fell due";
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(general_, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000,
                                    &answer))
        << "no answer";
    std::vector<LibraryCall> setups = folder_.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    ASSERT_TRUE(PressMessageBoxButton(box, "Cancel"));
    EXPECT_EQ(0, companion_.WaitExit(10000));
    EXPECT_EQ(setups.size(), folder_.SetupCalls().size()) << "a call after the last one";
}

TEST_F(Running, RunningTurnedZeroInTheKeyEndsItInOrder)
{
    SetRunning(0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

TEST_F(Running, ItsThreadRunsAtTheHighestPriority)
{
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetWindowThreadProcessId(general_, NULL));
    ASSERT_TRUE(thread);
    EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(thread));
    CloseHandle(thread);
}

/* The single-instance mutex outlives the library's last call, so no second set of hooks can start while the
 * first one still goes. The last call takes 2 s: the stall file goes when it begins. */
TEST_F(Running, ASecondInstanceIsRefusedWhileTheLastLibraryCallRuns)
{
    CompanionFolder other("normal");
    TouchFile(Stall());
    PostMessageA(general_, WM_QUIT, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Stall()); }, 8000));
    ASSERT_TRUE(HasShutdownCall(folder_.Calls())) << "a refresh, not the last call, took the stall";
    ASSERT_TRUE(companion_.Running());
    CompanionProcess second;
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000)) << "the mutex went before the library's last call";
    EXPECT_EQ(0, companion_.WaitExit(10000));
}

/* The stand-in loads a helper by its bare name at its first call, as the real hook library does. The program's
 * folder comes first in any search order, so the current folder's helper is shown refused while it is the only one. */
TEST_F(Startup, AHelperLibraryComesFromTheProgramsFolderNeverFromTheCurrentFolder)
{
    CompanionFolder folder("normal");
    const std::string work = folder.Path() + "\\work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), NULL));
    SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", "zentu-helper.dll");
    auto startAndEnd = [&] {
        SetRunning(1);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath(), "", work));
        ASSERT_TRUE(StartedUp(folder.WaitForCalls(StartedUp, 20000)));
        SetRunning(0);
        EXPECT_EQ(0, companion.WaitExit(10000));
    };
    PlantHelperLibrary(work);
    startAndEnd();
    EXPECT_FALSE(HelperLibraryLoadedFrom(work)) << "the library planted in the current folder was loaded";
    PlantHelperLibrary(folder.Path());
    startAndEnd();
    SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", NULL);
    EXPECT_TRUE(HelperLibraryLoadedFrom(folder.Path()));
}
