/* The four pages in-process: real dialogs from the program's templates, the
 * real registry, and the stand-in library recording every call it gets. */
#include "app/app.h"
#include "hotkeys/hotkeys.h"
#include "probe/probe.h"
#include "resources/resource.h"
#include "support/page_set.h"
#include "support/imports.h"

#include <string.h>

#include <objbase.h>
#include <shellapi.h>

#include <mutex>
#include <thread>

static const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

typedef PagesInProcess PageSet;

/* Answers the first box of this process with that caption with OK, from a thread of its own while the page's
 * thread waits in the box. */
static std::thread AnswerFromAnotherThread(const char *caption, AnsweredBox *box)
{
    return std::thread([caption, box] { *box = AnswerMessageBox(GetCurrentProcessId(), caption, "OK", 10000); });
}

/* Settings unlike their start defaults, set before the pages are created. */
static void SetSettingsToShow()
{
    SharedSettingsFields &s = SharedSettings;
    s.OverlayCorner = 2;
    s.DetailedStats = 5;
    s.SamplingRate = 0;
    s.BenchmarkTime = 75;
    s.AlwaysOnTop = 0;
    s.SoundInput = 1;
    s.RecordSound = 1;
    s.MovieHalfSize = 1;
    s.FramerateOnScreenshot = 1;
    s.ScreenshotFormat = 5;
    s.MovieFramerate = 45;
    s.MovieFramerateUser = 25050;
    strcpy(s.MovieDirectory, "C:\\Films");
}

TEST_F(PageSet, ControlsShowTheSettingsTheyAreBoundTo)
{
    SetSettingsToShow();
    Create();
    const struct { HWND page; int id; bool checked; } shown[] = {
        { FpsPage, IDC_FPS_CORNER_BOTTOM_LEFT, true },
        { FpsPage, IDC_FPS_STATS_FRAMETIMES, true },
        { FpsPage, IDC_FPS_ONCE_A_SECOND, true },
        { FpsPage, IDC_FPS_STATS_MINMAXAVG, false },
        { GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP, false },
        { MoviesPage, IDC_MOVIES_SOUND_WINDOWS, true },
        { MoviesPage, IDC_MOVIES_RATE_CUSTOM, true },
        { ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_BMP, true },
    };
    for (const auto &c : shown)
        EXPECT_EQ(c.checked, IsChecked(c.page, c.id)) << c.id;
    EXPECT_EQ("C:\\Films", Text(MoviesPage, IDC_MOVIES_FOLDER));
    EXPECT_EQ("25.05", Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE));
    EXPECT_EQ("10", Text(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME));
    /* The time field's own change notification must not lose the setting. */
    EXPECT_EQ("75", Text(FpsPage, IDC_FPS_BENCHMARK_TIME));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, IDC_MOVIES_RATE_40)));
}

/* Clear buttons included: a hotkey field cleared stores 0 and shows None. */
TEST_F(PageSet, EachClickStoresItsOwnSettingAndHandsItToTheLibraryInOneCall)
{
    SharedSettingsFields &s = SharedSettings;
    SetSettingsToShow();
    Create();
    /* position: in the library's call; 0 when it gets none */
    const struct { HWND page; int id; DWORD *setting, value; int position; } clicks[] = {
        { FpsPage, IDC_FPS_CORNER_TOP_RIGHT, &s.OverlayCorner, 1, 11 },
        { FpsPage, IDC_FPS_CORNER_BOTTOM_RIGHT, &s.OverlayCorner, 3, 11 },
        { FpsPage, IDC_FPS_CORNER_TOP_LEFT, &s.OverlayCorner, 0, 11 },
        { FpsPage, IDC_FPS_CORNER_BOTTOM_LEFT, &s.OverlayCorner, 2, 11 },
        { FpsPage, IDC_FPS_CORNER_DISABLED, &s.OverlayCorner, 4, 11 },
        { FpsPage, IDC_FPS_BENCHMARK_STOP, &s.BenchmarkStop, 1, 28 },
        { FpsPage, IDC_FPS_BENCHMARK_STOP, &s.BenchmarkStop, 0, 28 },
        /* Checked means 0. */
        { FpsPage, IDC_FPS_ONCE_A_SECOND, &s.SamplingRate, 1, 5 },
        { FpsPage, IDC_FPS_STATS_MINMAXAVG, &s.DetailedStats, 7, 10 },
        /* Unchecked again: its bit alone goes. */
        { FpsPage, IDC_FPS_STATS_MINMAXAVG, &s.DetailedStats, 5, 10 },
        { GeneralPage, IDC_GENERAL_START_MINIMISED, &s.StartMinimised, 1, 0 },
        { GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP, &s.AlwaysOnTop, 1, 0 },
        { MoviesPage, IDC_MOVIES_RECORD_SOUND, &s.RecordSound, 0, 0 },
        { MoviesPage, IDC_MOVIES_RATE_60, &s.MovieFramerate, 60, 20 },
        { MoviesPage, IDC_MOVIES_RATE_CUSTOM, &s.MovieFramerate, 20, 20 },
        { MoviesPage, IDC_MOVIES_NO_CURSOR, &s.NoCursor, 1, 26 },
        { MoviesPage, IDC_MOVIES_FULL_SIZE, &s.MovieHalfSize, 0, 24 },
        { ScreenshotsPage, IDC_SCREENSHOTS_OVERLAY, &s.FramerateOnScreenshot, 0, 23 },
        { ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_PNG, &s.ScreenshotFormat, 2, 0 },
        { ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_JPG, &s.ScreenshotFormat, 1, 0 },
        { ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_BMP, &s.ScreenshotFormat, 0, 0 },
        { ScreenshotsPage, IDC_SCREENSHOTS_REPEAT, &s.ScreenshotRepeat, 1, 0 },
        { ScreenshotsPage, IDC_SCREENSHOTS_REPEAT, &s.ScreenshotRepeat, 0, 0 },
        { FpsPage, IDC_FPS_OVERLAY_CLEAR, &s.OverlayKey, 0, 56 },
        { FpsPage, IDC_FPS_LOG_CLEAR, &s.LogKey, 0, 57 },
        { MoviesPage, IDC_MOVIES_CLEAR, &s.MovieKey, 0, 58 },
        { ScreenshotsPage, IDC_SCREENSHOTS_CLEAR, &s.CaptureKey, 0, 59 },
    };
    for (const auto &c : clicks) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        size_t before = Calls().size();
        Click(c.page, c.id);
        EXPECT_EQ(c.value, *c.setting);
        auto calls = Calls();
        ASSERT_EQ(before + 1, calls.size());
        if (c.position) {
            EXPECT_EQ(c.value, calls.back().Number(c.position));
        }
    }
    EXPECT_EQ("None", Text(FpsPage, IDC_FPS_OVERLAY_KEY));
    /* Record Sound, clicked off above, takes the sound choices with it. */
    for (int id : { IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, IDC_MOVIES_EMPTY1, IDC_MOVIES_EMPTY2 })
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, id))) << id;
}

TEST_F(PageSet, AlwaysOnTopMakesEveryPageTopmostAndBack)
{
    SharedSettings.AlwaysOnTop = 0;
    Create();
    for (LONG topmost : { WS_EX_TOPMOST, 0L }) {
        Click(GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP);
        for (HWND page : { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage })
            EXPECT_EQ(topmost, GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_TOPMOST) << page;
    }
}

/* The startup entry is the page's own business: no library call. */
TEST_F(PageSet, RunAtStartupWritesAndDeletesOnlyItsOwnEntry)
{
    Create();
    ScopedKeyRestore run(HKEY_CURRENT_USER, RunKey);
    /* Gone: a click creates it and writes nothing. */
    EXPECT_EQ(-1, CountValues(HKEY_CURRENT_USER, RunKey));
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(0, CountValues(HKEY_CURRENT_USER, RunKey));
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    SetStringValue(HKEY_CURRENT_USER, RunKey, "Other", "other.exe");
    size_t calls = Calls().size();
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, RunKey, "Zentu", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ("\"" + std::string(ProgramFolder) + "\\zentu.exe\"" + '\0', std::string(data.begin(), data.end()));
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(1, CountValues(HKEY_CURRENT_USER, RunKey));
    EXPECT_EQ(calls, Calls().size());
}

TEST_F(PageSet, RunAtStartupStartsUnchecked)
{
    Create();
    EXPECT_FALSE(IsChecked(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP));
}

/* What the program hands the registry: Wine would add a missing terminator of a REG_SZ on its own, Windows not. */
typedef LSTATUS(WINAPI SET_VALUE_PROC)(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                       DWORD size);
static SET_VALUE_PROC *SystemSetValue;
static DWORD EntrySize;

static LSTATUS WINAPI RecordSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    if (name && strcmp(name, "Zentu") == 0)
        EntrySize = size;
    return SystemSetValue(key, name, reserved, type, data, size);
}

TEST_F(PageSet, TheStartupEntryIsHandedOverWithItsTerminatingZero)
{
    ScopedKeyRestore run(HKEY_CURRENT_USER, RunKey);
    SetStringValue(HKEY_CURRENT_USER, RunKey, "Other", "other.exe");
    Create();
    EntrySize = 0;
    void *system = ReplaceImport("RegSetValueExA", reinterpret_cast<void *>(RecordSetValue));
    ASSERT_TRUE(system);
    SystemSetValue = reinterpret_cast<SET_VALUE_PROC *>(system);
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    ReplaceImport("RegSetValueExA", system);
    std::string command = "\"" + std::string(ProgramFolder) + "\\zentu.exe\"";
    EXPECT_EQ(command.size() + 1, EntrySize);
}

/* Each input of the library's call carries a value of its own. */
TEST_F(PageSet, InitialisationHandsTheLibraryEveryValueItFoundInItsOwnPlaceAndChangesNone)
{
    SharedSettingsFields &s = SharedSettings;
    ApiOffsetsFields &a = ApiOffsets;
    /* by position: h a hook, n a number, t a text, b the library's buffer, 0 and 1 constants */
    const char kinds[] = "hhn1nttttnnnnnnnn0tn01nnbnnnnnnn0nnnnnnnnnnnnnnnnnnnnnnnnnn";
    void *inputs[] = { &LibraryCbtHook, &LibraryCallWndProcHook, &ShutdownFlag, NULL, &s.SamplingRate, ProgramFolder,
        s.MovieDirectory, s.ScreenshotDirectory, BenchmarksFolder, &s.DetailedStats, &s.OverlayCorner, &a.Reserved1,
        &a.Reserved2, &a.D3D9DevicePresentOffset, &a.D3D9SwapChainPresentOffset, &a.WglSwapBuffersOffset,
        &a.WglSwapLayerBuffersOffset, NULL, SystemFolder, &s.MovieFramerate, NULL, NULL, &s.FramerateOnScreenshot,
        &s.MovieHalfSize, NULL, &s.NoCursor, &s.NoSync, &s.BenchmarkStop, &s.BenchmarkTime, &CaptureWidth,
        &CaptureHeight, &CaptureBufferSize, NULL, &a.D3D9DebugDevicePresentOffset, &a.D3D9DebugSwapChainPresentOffset,
        &a.D3D9SetCursorPropertiesOffset, &a.D3D9SetCursorPositionOffset, &a.D3D9ShowCursorOffset,
        &a.D3D9SetCursorPropertiesProbe, &a.D3D9SetCursorPositionProbe, &a.D3D9ShowCursorProbe, &a.Reserved3,
        &a.Reserved4, &a.Reserved5, &a.Reserved6, &a.Reserved7, &a.Reserved8, &a.D3D9DevicePresentProbe,
        &a.D3D9SwapChainPresentProbe, &a.Reserved9, &a.Reserved10, &a.Reserved11, &a.Reserved12, &a.Reserved13,
        &a.DisplayDriverKind, &s.OverlayKey, &s.LogKey, &s.MovieKey, &s.CaptureKey };
    static_assert(sizeof inputs / sizeof *inputs == 59 && sizeof kinds == 60, "one of each per position");
    for (int p = 1; p <= 59; p++) {
        /* All 8 bytes of a hook, 4 of a number. */
        ULONG_PTR value = 1000 + p;
        if (kinds[p - 1] == 'h' || kinds[p - 1] == 'n')
            memcpy(inputs[p - 1], &value, kinds[p - 1] == 'h' ? sizeof(HHOOK) : sizeof(UINT32));
        if (kinds[p - 1] == 't')
            sprintf((char *)inputs[p - 1], "C:\\%d", p);
    }
    /* Shown as they are. */
    s.ScreenshotFormat = 2;
    s.MovieFramerateUser = 25050;
    s.ScreenshotRepeatTime = 15;
    const SharedSettingsFields found = s;
    Create();
    ASSERT_FALSE(Calls().empty());
    /* Each call replaces what the calls before it set. */
    const LibraryCall last = Calls().back();
    for (int p = 1; p <= 59; p++) {
        char k = kinds[p - 1];
        if (k == 't')
            EXPECT_EQ("C:\\" + std::to_string(p), last.Text(p)) << "position " << p;
        else
            EXPECT_EQ(k == 'h' || k == 'n' ? 1000 + p : k == 'b' ? (ULONG_PTR)LibraryBuffer : k - '0',
                      k == 'h' || k == 'b' ? last.Address(p) : last.Number(p)) << "position " << p;
    }
    EXPECT_EQ(0, memcmp(&found, &s, sizeof s)) << "the initialisation changed a setting";
    ShutdownFlag = 0;
    LibraryCbtHook = NULL;
    LibraryCallWndProcHook = NULL;
    ApiOffsets = {};
}

TEST_F(PageSet, PerSecondFileTurnsTheOverlayOffWithABoxOnceAndCountsEveryTime)
{
    Create();
    size_t before = Calls().size();
    AnsweredBox box = {};
    std::thread answer = AnswerFromAnotherThread("", &box);
    Click(FpsPage, IDC_FPS_SECOND_FILE);
    answer.join();
    EXPECT_EQ("The frame rate overlay has been disabled to provide the most accurate results.\r\n\r\n"
              "It is recommended you leave the overlay disabled while logging is being performed.",
              box.content.text);
    EXPECT_EQ(FpsPage, box.owner);
    EXPECT_TRUE(IsChecked(FpsPage, IDC_FPS_CORNER_DISABLED));
    /* Off and on again with the overlay off: no box. */
    Click(FpsPage, IDC_FPS_SECOND_FILE);
    Click(FpsPage, IDC_FPS_SECOND_FILE);
    /* Each click: the settings, then the count; the overlay stays off. */
    auto calls = Calls();
    ASSERT_EQ(before + 7, calls.size());
    for (size_t i = before + 1; i < calls.size(); i += 2)
        EXPECT_EQ("ZentuCount 10", calls[i].name + " " + calls[i].args[0] + calls[i].args[1]) << i;
    EXPECT_EQ(4u, calls.back().Number(11));
}

TEST_F(PageSet, CustomBoxCleansTypingAndChoosesTheCustomRate)
{
    Create();
    HWND box = GetDlgItem(MoviesPage, IDC_MOVIES_CUSTOM_RATE);
    SetWindowTextA(box, "");
    for (const char *c = "29.97"; *c; c++)
        SendMessageA(box, WM_CHAR, (WPARAM)*c, 1);
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_EQ(20u, Calls().back().Number(20));
    /* A letter is dropped; the caret stays where it was typed. */
    SendMessageA(box, EM_SETSEL, 1, 1);
    SendMessageA(box, WM_CHAR, 'a', 1);
    EXPECT_EQ("29.97", WindowText(box));
    EXPECT_EQ(MAKELONG(1, 1), SendMessageA(box, EM_GETSEL, 0, 0));
    /* An empty box stores nothing. */
    SetWindowTextA(box, "");
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);
}

/* Sent by the field, by none or by another field, while the field lacks the focus. */
TEST_F(PageSet, AFocusNotificationFromOutsideStartsNoAssignment)
{
    Create();
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    SetFocus(NULL);
    for (HWND sender : { field, (HWND)NULL, GetDlgItem(FpsPage, IDC_FPS_LOG_KEY) }) {
        PostMessageA(FpsPage, WM_COMMAND, MAKEWPARAM(IDC_FPS_OVERLAY_KEY, EN_SETFOCUS), (LPARAM)sender);
        PumpFor(100);
        EXPECT_EQ(0u, OverlayKeyAssigning) << sender;
    }
    SetFocus(field);
    EXPECT_TRUE(WaitUntil([] { return OverlayKeyAssigning != 0; }, 2000)) << "the user's own focus starts one";
}

/* Refused whole, not cut to another folder; the setting stays. */
TEST_F(PageSet, AnOverlongChosenFolderIsRefusedWithABoxOwnedByThePage)
{
    Create();
    char folder[DIRECTORY_BUFFER_SIZE] = "C:\\Shots";
    AnsweredBox box = {};
    std::thread answer = AnswerFromAnotherThread("Zentu", &box);
    EXPECT_EQ(0, AcceptChosenFolder(ScreenshotsPage, folder, ("C:\\" + std::string(253, 'f')).c_str()));
    answer.join();
    EXPECT_STREQ("C:\\Shots", folder);
    EXPECT_EQ("The folder path is too long: at most 255 characters.", box.content.text);
    EXPECT_EQ(ScreenshotsPage, box.owner);
    EXPECT_EQ(1, AcceptChosenFolder(ScreenshotsPage, folder, ("C:\\" + std::string(252, 'f')).c_str()));
    EXPECT_EQ("C:\\" + std::string(252, 'f'), folder);
}

/* Leaks as Wine shows them (GetGuiResources and GetProcessHandleCount answer 0): a kernel object left open takes
 * the lowest free handle, so the next comes out higher; a GDI object left takes a slot, so fewer new ones fit. */
static std::pair<HANDLE, size_t> NextHandleAndGdiRoom()
{
    HANDLE next = CreateEventA(NULL, FALSE, FALSE, NULL);
    std::vector<HGDIOBJ> objects;
    HGDIOBJ object = CreateRectRgn(0, 0, 1, 1);
    while (object) {
        objects.push_back(object);
        object = CreateRectRgn(0, 0, 1, 1);
    }
    for (HGDIOBJ made : objects)
        DeleteObject(made);
    CloseHandle(next);
    return std::make_pair(next, objects.size());
}

/* Over and over: each page reached by its tab from the one before (the General tab too), painted up and pressed, and
 * hidden by the system's minimise command, which it settles itself (TRUE, never iconic) while it leaves other commands
 * to the default (FALSE); a refresh and the start-up read; a hotkey for each field. Nothing is left behind. */
TEST_F(PageSet, PagesWalkedRefreshedAndGivenHotkeysOverAndOverLeaveNothingBehind)
{
    Create();
    auto walk = [] {
        /* tabX: in the 400 x 300 design space */
        const struct { HWND *page; int tabX; } tabs[] = {
            { &FpsPage, 97 },
            { &MoviesPage, 150 },
            { &ScreenshotsPage, 220 },
            { &GeneralPage, 40 },
        };
        for (const auto &t : tabs) {
            SendMessageA(CurrentPage, WM_LBUTTONDOWN, 0, MAKELPARAM(t.tabX * PageWidth / 400, 49 * PageHeight / 300));
            ASSERT_EQ(*t.page, CurrentPage) << "tab at " << t.tabX;
            for (HWND child = GetWindow(*t.page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                SendMessageA(child, BM_SETSTATE, TRUE, 0);
                SendMessageA(child, BM_SETSTATE, FALSE, 0);
            }
            RedrawWindow(*t.page, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            auto procedure = (DLGPROC)GetWindowLongPtrA(*t.page, DWLP_DLGPROC);
            EXPECT_EQ(FALSE, procedure(*t.page, WM_SYSCOMMAND, SC_RESTORE, 0));
            EXPECT_EQ(TRUE, procedure(*t.page, WM_SYSCOMMAND, SC_MINIMIZE, 0));
            EXPECT_FALSE(IsWindowVisible(*t.page) || IsIconic(*t.page));
        }
        RefreshSettings();
        ReadOverlayCorner();
        for (const HotkeyField &field : HotkeyFields) {
            /* F5 pressed in the field. */
            KBDLLHOOKSTRUCT key = { VK_F5, 0x3F, 0, 0, 0 };
            SetFocus(field.window);
            EXPECT_EQ(1, FilterHotkeyEvent(WM_KEYDOWN, &key));
            SetFocus(NULL);
        }
    };
    /* The first walks fill the system's caches. */
    walk();
    walk();
    const auto before = NextHandleAndGdiRoom();
    for (int i = 0; i < 10; i++)
        walk();
    EXPECT_EQ(before, NextHandleAndGdiRoom()) << "(the next handle, the room in the GDI table)";
}

/* What the pages hand to the shell, recorded in place of ShellExecuteExA; each launch lasts until Release is set. */
static std::vector<std::string> Launches;
static std::mutex LaunchesLock;
static DWORD LaunchThread;
/* S_FALSE: the launching thread had joined an apartment already. */
static HRESULT LaunchApartment;
static HANDLE Release;
static BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOA *info)
{
    LaunchThread = GetCurrentThreadId();
    LaunchApartment = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(LaunchApartment))
        CoUninitialize();
    std::unique_lock<std::mutex> hold(LaunchesLock);
    Launches.push_back(std::to_string((ULONG_PTR)info->hwnd) + " " + info->lpVerb + " " + info->lpFile + " in " +
                       info->lpDirectory + " mask " + std::to_string(info->fMask));
    hold.unlock();
    return WaitForSingleObject(Release, 10000) == WAIT_OBJECT_0;
}
static std::vector<std::string> LaunchesSoFar()
{
    std::lock_guard<std::mutex> hold(LaunchesLock);
    return Launches;
}

/* The page owns the launch, so a box the shell shows about it comes in front of the page, or, behind a hidden page,
 * is not shown at all (0x400, with 0x100: the shell finishes before the thread ends). While the launch of a button
 * still runs, that button starts nothing new. */
TEST_F(PageSet, AHelpButtonHasTheShellOpenItsFileFromTheHelpFolderOnBehalfOfThePageOnceAtATime)
{
    Create();
    void *shellExecute = ReplaceImport("ShellExecuteExA", (void *)RecordShellExecute);
    ASSERT_TRUE(shellExecute);
    Release = CreateEventA(NULL, TRUE, FALSE, NULL);
    /* Each launch waited for, so that they are recorded in the order of the clicks. */
    const struct { HWND page; int id; } clicks[] = {
        { GeneralPage, IDC_GENERAL_HELP },
        { FpsPage, IDC_FPS_HELP },
        { MoviesPage, IDC_MOVIES_HELP },
        { ScreenshotsPage, IDC_SCREENSHOTS_HELP },
    };
    for (size_t i = 0; i < 4; i++) {
        Click(clicks[i].page, clicks[i].id);
        ASSERT_TRUE(WaitUntil([&] { return LaunchesSoFar().size() == i + 1; }, 5000));
    }
    /* A second click while the first launch runs. */
    Click(FpsPage, IDC_FPS_HELP);
    ShowWindow(FpsPage, SW_SHOWNA);
    SetEvent(Release);
    /* Clicked until it launches again: the first launch is over. */
    ASSERT_TRUE(WaitUntil([] {
        if (LaunchesSoFar().size() >= 5)
            return true;
        Click(FpsPage, IDC_FPS_HELP);
        return false;
    }, 5000));
    auto help = [](HWND page, const char *name, const char *mask) {
        return std::to_string((ULONG_PTR)page) + " open HELP_" + name + ".HTM in " + ProgramFolder + "\\help mask " +
               mask;
    };
    const std::vector<std::string> expected = {
        help(GeneralPage, "GENERAL", "1280"),
        help(FpsPage, "FPS", "1280"),
        help(MoviesPage, "MOVIES", "1280"),
        help(ScreenshotsPage, "SCREENSHOTS", "1280"),
        help(FpsPage, "FPS", "256"),
    };
    EXPECT_EQ(expected, std::vector<std::string>(Launches.begin(), Launches.begin() + 5));
    EXPECT_NE(GetCurrentThreadId(), LaunchThread) << "the hook's thread waited for the shell";
    EXPECT_EQ(S_FALSE, LaunchApartment) << "the shell was called outside a COM apartment";
    ReplaceImport("ShellExecuteExA", shellExecute);
    CloseHandle(Release);
}

/* The call lets a sent message in; the library gets its last call once that call has returned, and only then
 * goes. */
TEST_F(PageSet, ASessionEndDuringALibraryCallIsFinishedRightAfterThatCall)
{
    const std::string send = folder_.Path() + "\\send-now";
    const std::string library = folder_.Path() + "\\zentu64.dll";
    SetEnvironmentVariableA("ZENTU_STANDIN_SEND", send.c_str());
    /* The fixture holds it too: freed too early, it stays mapped. */
    HookLibrary = LoadLibraryA(library.c_str());
    /* As start-up hands it to the pages. */
    SessionEndHandler = EndCompanionSession;
    Create();
    TouchFile(send);
    std::thread system([&] {
        WaitUntil([&] { return !FileExists(send); }, 5000);
        SendMessageA(GeneralPage, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    });
    SetupCall();
    system.join();
    ExpectOneShutdownCallAtTheEnd(Calls());
    EXPECT_TRUE(FreeLibrary(library_) && !GetModuleHandleA(library.c_str())) << "the library was not freed";
    library_ = NULL;
}
