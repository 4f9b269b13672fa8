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

class Startup : public CompanionTest {};

TEST_F(Startup, WithoutRunningEachEndHasItsBoxAndExitCode)
{
    /* variant: the stand-in beside the program ("": none); padTo: the program folder's length; the box answered
     * before the end; calls -1: none, 0: none with hook handles, 3: start-up's, a refresh's, the last */
    static const struct { const char *variant, *exeName, *arguments; size_t padTo; long exitCode;
                          const char *caption, *text; int calls; } cases[] = {
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
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;GA;;;WD)", SDDL_REVISION_1, &denied,
                                                                         NULL));
        SECURITY_ATTRIBUTES attributes = { sizeof attributes, denied, FALSE };
        HANDLE guarded = c.exitCode == 1 ? CreateMutexA(&attributes, FALSE, "Zentu64Running") : NULL;
        LocalFree(denied);
        CompanionFolder folder(c.variant, c.exeName, c.padTo);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath(), c.arguments));
        if (c.caption) {
            HWND box = WaitForProcessWindow(companion.Pid(), c.caption, 20000);
            ASSERT_TRUE(box) << c.caption;
            EXPECT_EQ(c.text, ReadMessageBox(box).text);
            EXPECT_EQ(c.text == WrongVersion, ReadMessageBox(box).hasIcon) << "only the version box has an icon";
            ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
        }
        EXPECT_EQ(c.exitCode, companion.WaitExit(20000));
        if (guarded)
            CloseHandle(guarded);
        if (*c.arguments) {
            EXPECT_EQ(-1, CountValues(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY)) << "ended at once, yet read the settings";
        }
        std::vector<LibraryCall> setups = folder.SetupCalls();
        EXPECT_EQ(c.calls < 0, setups.empty());
        if (c.calls >= 0) {
            ExpectOneShutdownCallAtTheEnd(setups);
            EXPECT_EQ(c.calls ? (int)setups.size() - c.calls : -1, FirstCallWithHooks(setups));
        }
    }
}

/* Each refresh hands the registry's values to the hook library. A helper the real
 * hook library loads by its bare name comes from the program's folder, never from the current folder,
 * where anyone may plant one. A library call stalling 2 s with keys waiting may cost the companion
 * its keyboard hook; a hotkey field must still take a key afterwards. */
TEST_F(Startup, RunningItFeedsTheLibraryKeepsItsHotkeysAndEndsWithTheSession)
{
    CompanionFolder folder("normal"), other("normal");
    std::string work = other.Path() + "\\work", stall = folder.Path() + "\\stall-now";
    CreateDirectoryA(work.c_str(), NULL);
    auto plantedLoaded = [](const std::string &in) {
        return GetFileAttributesA((in + "\\planted-library-loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    for (const std::string &in : { folder.Path(), work })
        ASSERT_TRUE(CopyFileA(BuildPath("fakes/planted/zentu-helper.dll").c_str(), (in + "\\zentu-helper.dll").c_str(),
                              FALSE));
    SetRunning(1);
    SetSetting("Overlay Corner", 2);
    SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", "zentu-helper.dll");
    SetEnvironmentVariableA("ZENTU_STANDIN_STALL", stall.c_str());
    CompanionProcess companion, second, exiting, elsewhere;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    ASSERT_TRUE(StartedUp(folder.WaitForCalls(StartedUp, 20000)));
    std::vector<LibraryCall> setups = folder.SetupCalls();
    int firstRefresh = FirstCallWithHooks(setups) + 1;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    for (const LibraryCall &call : setups) {
        ASSERT_EQ(59u, call.args.size());
        /* "Overlay Corner" read at start-up, the capture size before the pages compute it; the defaults and
         * each value's place are checked in-process */
        const UINT32 values[][2] = { { 11, 2 }, { 30, 1600 }, { 31, 1200 }, { 32, 7733248 } };
        for (const auto &v : values)
            EXPECT_EQ(v[1], call.Number(v[0])) << "position " << v[0];
        for (int position : { 6, 7, 8 })
            EXPECT_EQ(folder.Path(), call.Text(position)) << "position " << position;
        EXPECT_EQ(folder.Path() + "\\benchmarks", call.Text(9));
        EXPECT_STREQ(system, call.Text(19).c_str());
        EXPECT_EQ(setups[0].Address(25), call.Address(25));
    }
    EXPECT_NE(0u, setups[0].Address(25));
    /* The refresh's values reach the library (each name's field and each field's place are checked
     * in-process); the Log Key becomes Alt+Space. */
    SetSetting("Log Key", 0x0420);
    SetSetting("Screenshot Directory", "C:\\Shots"), SetSetting("Movie Directory", "D:\\Movies");
    ASSERT_TRUE(WaitUntil([&] { return (setups = folder.SetupCalls()).size() >= (size_t)firstRefresh + 2; }, 8000));
    EXPECT_EQ(0x0420u, setups[firstRefresh + 1].Number(57));
    EXPECT_EQ("D:\\Movies", setups[firstRefresh + 1].Text(7));
    EXPECT_EQ("C:\\Shots", setups[firstRefresh + 1].Text(8));

    EXPECT_TRUE(plantedLoaded(folder.Path())) << "the helper beside the program did not load";
    ASSERT_TRUE(second.Start(other.ExePath()));
    EXPECT_EQ(1, second.WaitExit(10000));
    ASSERT_TRUE(exiting.Start(other.ExePath(), "/exit"));      /* looked at before the mutex */
    EXPECT_EQ(0, exiting.WaitExit(10000));
    EXPECT_TRUE(other.Calls().empty());

    CloseHandle(CreateFileA(stall.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(stall.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000))
        << "the library call never stalled";
    size_t stalledAt = folder.SetupCalls().size();
    PressKey(VK_F7);
    ASSERT_TRUE(WaitUntil([&] { return folder.SetupCalls().size() > stalledAt; }, 8000)) << "it never came back";
    /* A click into the Overlay Key field, F8, a click on the page body: the library gets F8. */
    HWND fps = FindProcessWindow(companion.Pid(), "ZENTU64 fps", true), field = GetDlgItem(fps, IDC_FPS_OVERLAY_KEY);
    ShowWindow(fps, SW_SHOW);
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(GetWindowThreadProcessId(field, NULL), &gui) &&
                                       gui.hwndFocus == field; }, 5000));
    PressKey(VK_F8);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(field) == "F8"; }, 5000)) << WindowText(field);
    PostMessageA(fps, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    PostMessageA(fps, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
    ASSERT_TRUE(WaitUntil([&] { return (folder.SetupCalls().back().Number(56) & 0xFFFF) == 0x77; }, 5000));
    EXPECT_EQ(0x0420u, folder.SetupCalls().back().Number(57)) << "the Log Key stays";

    /* Logoff, shutdown, an installer's restart: the last call comes first. Only a sent WM_ENDSESSION (TRUE) counts
     * (a command posted after a posted one shows it in), for good: a refresh falls due while the exit prompt is up. */
    HWND general = FindWindowA(NULL, "ZENTU64 general");
    DWORD_PTR answer = 0;
    size_t before = folder.SetupCalls().size();
    PostMessageA(general, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    PostMessageA(fps, WM_COMMAND, 0, 0);
    ASSERT_TRUE(SendMessageTimeoutA(general, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    ASSERT_TRUE(WaitUntil([&] { return folder.SetupCalls().size() > before; }, 5000));
    EXPECT_FALSE(HasShutdownCall(folder.Calls())) << "a posted end or a session that goes on ended the library";
    PostMessageA(fps, WM_CLOSE, 0, 0);
    HWND box = WaitForProcessWindow(companion.Pid(), "Exit Zentu?", 10000);
    ASSERT_TRUE(box);
    PumpFor(3500);
    ASSERT_TRUE(SendMessageTimeoutA(general, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer))
        << "no answer";
    setups = folder.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    ASSERT_TRUE(PressMessageBoxButton(box, "Cancel"));
    EXPECT_EQ(0, companion.WaitExit(10000));
    EXPECT_EQ(setups.size(), folder.SetupCalls().size()) << "a call after the last one";

    ASSERT_TRUE(elsewhere.Start(other.ExePath(), "", work));
    SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", NULL), SetEnvironmentVariableA("ZENTU_STANDIN_STALL", NULL);
    ASSERT_TRUE(StartedUp(other.WaitForCalls(StartedUp, 20000)));
    EXPECT_FALSE(plantedLoaded(work)) << "the library planted in the current folder was loaded";
}
