/* The four pages in-process: real dialogs from the program's templates, the
 * real registry, and the stand-in library recording every call it gets. */
#include "app/app.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include "support/companion.h"
#include "support/input.h"
#include "support/registry.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

static const char PlacementKey[] = "SOFTWARE\\Zentu2";
static const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

template <typename Proc> static Proc *Export(HMODULE library, const char *name)
{
    return reinterpret_cast<Proc *>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

class PageSet : public testing::Test {
protected:
    void SetUp() override
    {
        ProgramInstance = GetModuleHandleA(NULL);
        FillFolderPaths();
        ApplySettingDefaults();
        library_ = LoadLibraryA((folder_.Path() + "\\zentu64.dll").c_str());
        ASSERT_TRUE(library_);
        ZentuSetup = Export<ZENTU_SETUP_PROC>(library_, "ZentuSetup");
        ZentuCount = Export<ZENTU_COUNT_PROC>(library_, "ZentuCount");
    }
    void TearDown() override
    {
        DestroyPageSet();
        PumpFor(50);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
        ZentuSetup = NULL;
        ZentuCount = NULL;
        if (library_)
            FreeLibrary(library_);
    }
    /* Creates the pages after the test has put its settings in place. */
    void Create()
    {
        CreatePageSet();
        ASSERT_TRUE(GeneralPage && FpsPage && MoviesPage && ScreenshotsPage);
    }
    static void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
    static bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static std::string Text(HWND page, int id) { return WindowText(GetDlgItem(page, id)); }
    static void Type(HWND page, int id, const char *text)
    {
        for (const char *c = text; *c; c++)
            SendDlgItemMessageA(page, id, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
    }
    std::vector<LibraryCall> Calls() const { return folder_.Calls(); }

    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, PlacementKey };
    CompanionFolder folder_{ "normal" };
    HMODULE library_ = NULL;
};

/* Answers the first box of this process with that caption: what it showed
 * and who owned it. */
struct BoxAnswer {
    MessageBoxContent shown{};
    HWND owner = NULL;
    std::thread thread;

    BoxAnswer(const char *caption, const char *button)
        : thread([this, caption, button] {
              HWND box = WaitForProcessWindow(GetCurrentProcessId(), caption, 10000);
              if (!box)
                  return;
              shown = ReadMessageBox(box);
              owner = GetWindow(box, GW_OWNER);
              PressMessageBoxButton(box, button);
          })
    {
    }
    ~BoxAnswer() { Join(); }
    void Join()
    {
        if (thread.joinable())
            thread.join();
    }
};

TEST_F(PageSet, ControlsShowTheSettingsAtCreation)
{
    SharedSettingsFields &s = SharedSettings;
    s.OverlayCorner = 2, s.DetailedStats = 5, s.SamplingRate = 0, s.BenchmarkTime = 75, s.StartMinimised = 1;
    s.AlwaysOnTop = 0, s.SoundInput = 1, s.MovieHalfSize = 1, s.FramerateOnScreenshot = 1, s.ScreenshotFormat = 5;
    s.MovieFramerate = 45, s.MovieFramerateUser = 25050;
    strcpy(s.MovieDirectory, "C:\\Films");
    Create();
    struct ShownCase {
        HWND page;
        int id;
        bool checked;
    };
    const ShownCase cases[] = {
        { FpsPage, IDC_FPS_CORNER_BOTTOM_LEFT, true }, { FpsPage, IDC_FPS_CORNER_TOP_LEFT, false },
        { FpsPage, IDC_FPS_STATS_FPS, true }, { FpsPage, IDC_FPS_STATS_MINMAXAVG, false },
        { FpsPage, IDC_FPS_STATS_FRAMETIMES, true }, { FpsPage, IDC_FPS_ONCE_A_SECOND, true },
        { GeneralPage, IDC_GENERAL_START_MINIMISED, true }, { GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP, false },
        { MoviesPage, IDC_MOVIES_SOUND_WINDOWS, true }, { MoviesPage, IDC_MOVIES_SOUND_DETECT, false },
        { MoviesPage, IDC_MOVIES_HALF_SIZE, true }, { MoviesPage, IDC_MOVIES_RATE_CUSTOM, true },
        { MoviesPage, IDC_MOVIES_RATE_30, false }, { ScreenshotsPage, IDC_SCREENSHOTS_OVERLAY, true },
        { ScreenshotsPage, IDC_SCREENSHOTS_REPEAT, false }, { ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_BMP, true },
    };
    for (const ShownCase &c : cases)
        EXPECT_EQ(c.checked, IsChecked(c.page, c.id)) << "control " << c.id;
    EXPECT_EQ("C:\\Films", Text(MoviesPage, IDC_MOVIES_FOLDER));
    EXPECT_EQ("25.05", Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE));
    EXPECT_EQ("10", Text(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(MoviesPage, IDC_MOVIES_RATE_40)));
    /* An unknown format is mended; the time field's own change notification
     * must not lose the setting, and the library hears it. */
    EXPECT_EQ(0u, s.ScreenshotFormat);
    EXPECT_EQ(45u, s.MovieFramerate);
    EXPECT_EQ("75", Text(FpsPage, IDC_FPS_BENCHMARK_TIME));
    ASSERT_FALSE(Calls().empty());
    EXPECT_EQ(75u, Calls().back().Number(29));
    EXPECT_FALSE(GetWindowLongA(GeneralPage, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(PageSet, EveryClickStoresItsSettingAndCallsTheLibraryOnce)
{
    Create();
    struct ClickCase {
        HWND *page;
        int id;
        DWORD *setting;
        DWORD value;
        int position;      /* in the library's call; 0 when it gets none */
    };
    SharedSettingsFields &s = SharedSettings;
    const ClickCase cases[] = {
        { &FpsPage, IDC_FPS_CORNER_TOP_RIGHT, &s.OverlayCorner, 1, 11 },
        { &FpsPage, IDC_FPS_CORNER_BOTTOM_RIGHT, &s.OverlayCorner, 3, 11 },
        { &FpsPage, IDC_FPS_CORNER_DISABLED, &s.OverlayCorner, 4, 11 },
        { &FpsPage, IDC_FPS_CORNER_TOP_LEFT, &s.OverlayCorner, 0, 11 },
        /* checked means once a second: 0 */
        { &FpsPage, IDC_FPS_ONCE_A_SECOND, &s.SamplingRate, 0, 5 },
        { &FpsPage, IDC_FPS_ONCE_A_SECOND, &s.SamplingRate, 1, 5 },
        { &FpsPage, IDC_FPS_BENCHMARK_STOP, &s.BenchmarkStop, 1, 28 },
        { &FpsPage, IDC_FPS_STATS_MINMAXAVG, &s.DetailedStats, 2, 10 },
        { &FpsPage, IDC_FPS_STATS_FRAMETIMES, &s.DetailedStats, 6, 10 },
        { &FpsPage, IDC_FPS_STATS_MINMAXAVG, &s.DetailedStats, 4, 10 },
        { &GeneralPage, IDC_GENERAL_START_MINIMISED, &s.StartMinimised, 1, 0 },
        { &MoviesPage, IDC_MOVIES_NO_SYNC, &s.NoSync, 1, 27 }, { &MoviesPage, IDC_MOVIES_NO_CURSOR, &s.NoCursor, 1, 26 },
        { &MoviesPage, IDC_MOVIES_HALF_SIZE, &s.MovieHalfSize, 1, 24 },
        { &MoviesPage, IDC_MOVIES_FULL_SIZE, &s.MovieHalfSize, 0, 24 },
        { &ScreenshotsPage, IDC_SCREENSHOTS_OVERLAY, &s.FramerateOnScreenshot, 1, 23 },
        { &ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_PNG, &s.ScreenshotFormat, 2, 0 },
        { &ScreenshotsPage, IDC_SCREENSHOTS_FORMAT_JPG, &s.ScreenshotFormat, 1, 0 },
        { &ScreenshotsPage, IDC_SCREENSHOTS_REPEAT, &s.ScreenshotRepeat, 1, 0 },
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        size_t before = Calls().size();
        Click(*c.page, c.id);
        EXPECT_EQ(c.value, *c.setting);
        auto calls = Calls();
        ASSERT_EQ(before + 1, calls.size());
        EXPECT_EQ("ZentuSetup", calls.back().name);
        EXPECT_EQ(c.position ? c.value : 0, c.position ? calls.back().Number(c.position) : 0);
    }
    SetDlgItemTextA(ScreenshotsPage, IDC_SCREENSHOTS_REPEAT_TIME, "30");
    EXPECT_EQ(30u, s.ScreenshotRepeatTime);
}

TEST_F(PageSet, GeneralPageSetsTopmostAndWritesTheStartupEntryWithoutCallingTheLibrary)
{
    Create();
    auto topmostPages = [] {
        int count = 0;
        for (HWND page : { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage })
            count += (GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
        return count;
    };
    EXPECT_EQ(4, topmostPages());
    Click(GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP);
    EXPECT_EQ(0, topmostPages());
    Click(GeneralPage, IDC_GENERAL_ALWAYS_ON_TOP);
    EXPECT_EQ(4, topmostPages());

    ScopedKeyRestore run(HKEY_CURRENT_USER, RunKey);
    SetStringValue(HKEY_CURRENT_USER, RunKey, "Other", "other.exe");
    size_t calls = Calls().size();
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, RunKey, "Zentu", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    const std::string command = "\"" + std::string(ProgramFolder) + "\\zentu.exe\"";
    EXPECT_EQ(command, std::string(data.begin(), data.end()).c_str());
    EXPECT_EQ(command.size() + 1, data.size());
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(1, CountValues(HKEY_CURRENT_USER, RunKey));
    /* Without a Run key the click creates it and writes nothing. */
    DeleteKey(HKEY_CURRENT_USER, RunKey);
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(0, CountValues(HKEY_CURRENT_USER, RunKey));
    EXPECT_EQ(calls, Calls().size());
}

TEST_F(PageSet, PerSecondFileTurnsTheOverlayOffWithABoxOnceAndCountsEveryTime)
{
    Create();
    size_t before = Calls().size();
    {
        BoxAnswer answer("", "OK");
        Click(FpsPage, IDC_FPS_SECOND_FILE);
        answer.Join();
        EXPECT_EQ("The frame rate overlay has been disabled to provide the most accurate results.\r\n\r\n"
                  "It is recommended you leave the overlay disabled while logging is being performed.",
                  answer.shown.text);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, answer.shown.buttons);
        EXPECT_EQ(FpsPage, answer.owner);
    }
    EXPECT_TRUE(IsChecked(FpsPage, IDC_FPS_CORNER_DISABLED));
    for (int round = 0; round < 2; round++)         /* off and on again with the overlay off: no box */
        Click(FpsPage, IDC_FPS_SECOND_FILE);
    std::vector<std::string> seen;
    auto calls = Calls();
    for (size_t i = before; i < calls.size(); i++)
        seen.push_back(calls[i].name == "ZentuCount" ? "count " + calls[i].args[0] + calls[i].args[1]
                                                     : "setup " + std::to_string(calls[i].Number(11)));
    EXPECT_EQ((std::vector<std::string>{ "setup 4", "count 10", "setup 4", "count 10", "setup 4", "count 10",
                                         "setup 4" }),
              seen);
    EXPECT_FALSE(FindProcessWindow(GetCurrentProcessId(), ""));
}

TEST_F(PageSet, CustomBoxCleansTypingAndChoosesTheCustomRate)
{
    Create();
    HWND box = GetDlgItem(MoviesPage, IDC_MOVIES_CUSTOM_RATE);
    SetWindowTextA(box, "");
    Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, "29.97");
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_30));
    /* A letter is dropped and the caret stays where it was typed. */
    SendMessageA(box, EM_SETSEL, 1, 1);
    Type(MoviesPage, IDC_MOVIES_CUSTOM_RATE, "a");
    EXPECT_EQ("29.97", Text(MoviesPage, IDC_MOVIES_CUSTOM_RATE));
    DWORD start = 99, end = 99;
    SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(1u, start);
    EXPECT_EQ(1u, end);
    /* An empty box stores nothing. */
    SetWindowTextA(box, "");
    EXPECT_EQ(29970u, SharedSettings.MovieFramerateUser);

    /* A preset after the box: the box's rule runs as it loses the focus,
     * then the preset's; only the focus coming back means custom again. */
    ShowWindow(MoviesPage, SW_SHOW);
    SetFocus(box);
    Click(MoviesPage, IDC_MOVIES_RATE_60);
    EXPECT_EQ(60u, SharedSettings.MovieFramerate);
    EXPECT_FALSE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    SetWindowTextA(box, "23.976");
    SetFocus(box);
    EXPECT_EQ(20u, SharedSettings.MovieFramerate);
    EXPECT_EQ(23976u, SharedSettings.MovieFramerateUser);
    EXPECT_TRUE(IsChecked(MoviesPage, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_EQ(20u, Calls().back().Number(20));
}

TEST_F(PageSet, SoundControlsFollowRecordSound)
{
    SharedSettings.RecordSound = 0;
    Create();
    static const int soundControls[] = { IDC_MOVIES_SOUND_DETECT, IDC_MOVIES_SOUND_WINDOWS, IDC_MOVIES_EMPTY1,
                                         IDC_MOVIES_EMPTY2 };
    for (bool recording : { true, false }) {
        Click(MoviesPage, IDC_MOVIES_RECORD_SOUND);
        EXPECT_EQ(recording ? 1u : 0u, SharedSettings.RecordSound);
        for (int id : soundControls)
            EXPECT_EQ(recording, IsWindowEnabled(GetDlgItem(MoviesPage, id)) != FALSE) << id;
    }
    Click(MoviesPage, IDC_MOVIES_SOUND_DETECT);
    EXPECT_EQ(0u, SharedSettings.SoundInput);
}

/* A chosen folder too long for the setting is refused, not cut to another
 * folder: the page says so in a box of its own and the setting stays. */
TEST_F(PageSet, AnOverlongChosenFolderIsRefusedWithABoxOwnedByThePage)
{
    Create();
    char folder[DIRECTORY_BUFFER_SIZE] = "C:\\Shots";
    BoxAnswer answer("Zentu", "OK");
    EXPECT_EQ(0, AcceptChosenFolder(ScreenshotsPage, folder, ("C:\\" + std::string(253, 'f')).c_str()));
    answer.Join();
    EXPECT_STREQ("C:\\Shots", folder);
    EXPECT_EQ("The folder path is too long: at most 255 characters.", answer.shown.text);
    EXPECT_EQ(ScreenshotsPage, answer.owner);
}

/* The shell's folder browser, owned by the page, in its new style (which
 * lets the user make a folder); Cancel keeps the folder, OK takes the one
 * selected. */
TEST_F(PageSet, ChangeFolderOpensTheNewStyleFolderBrowserOwnedByThePage)
{
    Create();
    for (int button : { IDCANCEL, IDOK }) {
        SCOPED_TRACE(button);
        HWND browser = NULL;
        bool newStyle = false, prompted = false;
        std::thread answer([&] {
            WaitUntil([&] {
                browser = FindWindowExA(NULL, NULL, "#32770", NULL);
                while (browser && !(GetWindow(browser, GW_OWNER) == MoviesPage && IsWindowVisible(browser)))
                    browser = FindWindowExA(NULL, browser, "#32770", NULL);
                return browser != NULL;
            }, 15000);
            if (!browser)
                return;
            for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                std::string text = WindowText(child);
                prompted |= text == "Please select the folder to save Zentu movies in:";
                newStyle |= IsWindowVisible(child) && text.find("New Folder") != std::string::npos;
            }
            PostMessageA(browser, WM_COMMAND, button, 0);
        });
        size_t before = Calls().size();
        Click(MoviesPage, IDC_MOVIES_CHANGE_FOLDER);
        answer.join();
        ASSERT_TRUE(browser);
        EXPECT_TRUE(prompted);
        EXPECT_TRUE(newStyle);
        auto calls = Calls();
        ASSERT_EQ(before + 1, calls.size());
        EXPECT_EQ(button == IDCANCEL, std::string(ProgramFolder) == SharedSettings.MovieDirectory);
        EXPECT_EQ(std::string(SharedSettings.MovieDirectory), calls.back().Text(7));
        EXPECT_EQ(std::string(SharedSettings.MovieDirectory), Text(MoviesPage, IDC_MOVIES_FOLDER));
    }
}

TEST_F(PageSet, ClearButtonsStoreZeroAndShowNone)
{
    Create();
    struct ClearCase {
        HWND page;
        int button, field;
        DWORD *setting;
        int position;
    };
    const ClearCase cases[] = {
        { FpsPage, IDC_FPS_OVERLAY_CLEAR, IDC_FPS_OVERLAY_KEY, &SharedSettings.OverlayKey, 56 },
        { FpsPage, IDC_FPS_LOG_CLEAR, IDC_FPS_LOG_KEY, &SharedSettings.LogKey, 57 },
        { MoviesPage, IDC_MOVIES_CLEAR, IDC_MOVIES_MOVIE_KEY, &SharedSettings.MovieKey, 58 },
        { ScreenshotsPage, IDC_SCREENSHOTS_CLEAR, IDC_SCREENSHOTS_CAPTURE_KEY, &SharedSettings.CaptureKey, 59 },
    };
    for (const ClearCase &c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_NE("None", Text(c.page, c.field));
        Click(c.page, c.button);
        EXPECT_EQ(0u, *c.setting);
        EXPECT_EQ(0u, Calls().back().Number(c.position));
        EXPECT_EQ("None", Text(c.page, c.field));
    }
}

/* A sum over the pixels a button shows on the screen. */
static unsigned long long ButtonImage(HWND page, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(page, id), &rect);
    HDC screen = GetDC(NULL);
    unsigned long long sum = 0;
    for (LONG y = rect.top; y < rect.bottom; y++)
        for (LONG x = rect.left; x < rect.right; x++)
            sum = sum * 31 + GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return sum;
}

TEST_F(PageSet, ButtonsAreDrawnEachWithItsOwnImage)
{
    Create();
    ShowWindow(GeneralPage, SW_SHOW);
    UpdateWindow(GeneralPage);
    PumpFor(300);
    unsigned long long help = ButtonImage(GeneralPage, IDC_GENERAL_HELP);
    unsigned long long minimise = ButtonImage(GeneralPage, IDC_GENERAL_MINIMISE);
    unsigned long long close = ButtonImage(GeneralPage, IDC_GENERAL_CLOSE);
    EXPECT_NE(help, minimise);
    EXPECT_NE(help, close);
    EXPECT_NE(minimise, close);
}

/* The stored place counts on the same screen size and DPI (96 when none
 * was stored) where the title band can be reached. */
TEST_F(PageSet, APageMoveIsStoredAndTheStoredPlaceIsTakenBackOnTheSameScreen)
{
    Create();
    SetWindowPos(FpsPage, NULL, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(4, CountValues(HKEY_LOCAL_MACHINE, PlacementKey));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, PlacementKey, "Window", &type, &data));
    ASSERT_EQ(sizeof(WINDOWPLACEMENT), data.size());
    const RECT stored = ((const WINDOWPLACEMENT *)data.data())->rcNormalPosition;
    EXPECT_EQ(37, stored.left);
    EXPECT_EQ(41, stored.top);
    const DWORD width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const char *name;
        DWORD value;
    } written[] = { { "WindowX", width }, { "WindowY", height }, { "WindowDPI", 96 } };
    for (const auto &w : written) {
        ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, PlacementKey, w.name, &type, &data)) << w.name;
        EXPECT_EQ(w.value, *(const DWORD *)data.data()) << w.name;
    }
    DestroyPageSet();

    enum Dpi { DPI_96, DPI_120, DPI_NONE, DPI_EMPTY };
    struct RestoreCase {
        const char *name;
        DWORD width, height;
        Dpi dpi;
        LONG top;
        bool restored;
    };
    const RestoreCase cases[] = {
        { "same screen", width, height, DPI_96, 41, true },
        { "no DPI stored", width, height, DPI_NONE, 41, true },
        { "DPI stored empty", width, height, DPI_EMPTY, 41, true },
        { "other width", width + 1, height, DPI_96, 41, false },
        { "other height", width, height + 8, DPI_96, 41, false },
        { "other DPI", width, height, DPI_120, 41, false },
        { "title band off the screen", width, height, DPI_96, (LONG)height - 2, false },
    };
    for (const RestoreCase &c : cases) {
        SCOPED_TRACE(c.name);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        placement.rcNormalPosition = { 37, c.top, 37 + stored.right - stored.left, c.top + stored.bottom - stored.top };
        SetRawValue(HKEY_LOCAL_MACHINE, PlacementKey, "Window", REG_BINARY, &placement, sizeof placement);
        SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowX", c.width);
        SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowY", c.height);
        DeleteValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI");
        if (c.dpi == DPI_96 || c.dpi == DPI_120)
            SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI", c.dpi == DPI_96 ? 96 : 120);
        else if (c.dpi == DPI_EMPTY)
            SetRawValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI", REG_DWORD, "", 0);
        Create();
        RECT shown;
        GetWindowRect(GeneralPage, &shown);
        EXPECT_EQ(c.restored, shown.left == 37 && shown.top == c.top) << shown.left << ", " << shown.top;
        EXPECT_FALSE(IsWindowVisible(GeneralPage));
        DestroyPageSet();
    }
}

/* What the pages hand to the shell, recorded in place of ShellExecuteA. */
static std::atomic<int> ShellLaunches{ 0 };
static HWND LaunchOwner;
static std::string LaunchVerb, LaunchFile;

static HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    LaunchOwner = owner;
    LaunchVerb = verb;
    LaunchFile = file;
    ShellLaunches++;
    return (HINSTANCE)42;
}

/* Points the program's import of a shell function elsewhere; returns the old
 * target (NULL when the program does not import it). */
static void *ReplaceShellImport(const char *name, void *replacement)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    auto *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports); dll->Name; dll++) {
        if (lstrcmpiA((const char *)(base + dll->Name), "shell32.dll") != 0)
            continue;
        auto *names = (IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk);
        auto *slots = (IMAGE_THUNK_DATA *)(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                strcmp((const char *)((IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData))->Name, name) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void *previous = (void *)slots->u1.Function;
            slots->u1.Function = (ULONG_PTR)replacement;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return previous;
        }
    }
    return NULL;
}

/* A box the shell shows about a launch belongs in front of the page. */
TEST_F(PageSet, ShellLaunchesNameThePageAsTheirOwner)
{
    Create();
    void *shellExecute = ReplaceShellImport("ShellExecuteA", (void *)RecordShellExecute);
    ASSERT_TRUE(shellExecute);
    struct LaunchCase {
        HWND page;
        int button;
        const char *verb;
        std::string file;
    };
    const LaunchCase cases[] = {
        { FpsPage, IDC_FPS_HELP, "open", "HELP_FPS.HTM" },
        { MoviesPage, IDC_MOVIES_VIEW_FOLDER, "explore", std::string(ProgramFolder) + "\\" },
    };
    for (const LaunchCase &c : cases) {
        SCOPED_TRACE(c.verb);
        int before = ShellLaunches;
        Click(c.page, c.button);
        EXPECT_TRUE(WaitUntil([&] { return ShellLaunches > before; }, 5000));
        EXPECT_EQ(c.page, LaunchOwner);
        EXPECT_EQ(c.verb, LaunchVerb);
        EXPECT_EQ(c.file, LaunchFile);
    }
    ReplaceShellImport("ShellExecuteA", shellExecute);
}
