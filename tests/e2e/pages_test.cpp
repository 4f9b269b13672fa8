/* The settings pages of the running companion, driven from outside. */
#include "page_fixture.h"
#include "resources/resource.h"

#include <string.h>

TEST_F(Pages, FourHiddenPagesWithTheirTitlesAndTheVersionTexts)
{
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(PageTitles[i]);
        EXPECT_FALSE(Visible(i));
        LONG style = GetWindowLongA(page_[i], GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_FALSE(style & WS_CAPTION);
        EXPECT_TRUE(GetWindowLongA(page_[i], GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        /* The rounded outline is the window's region. */
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(COMPLEXREGION, GetWindowRgn(page_[i], region));
        DeleteObject(region);
    }
    EXPECT_EQ("2.7.3", WindowText(GetDlgItem(page_[GENERAL], IDC_GENERAL_VERSION)));
    EXPECT_EQ("5834", WindowText(GetDlgItem(page_[GENERAL], IDC_GENERAL_BUILD)));
    /* The hotkey fields show the default keys' names. */
    EXPECT_EQ("F12", WindowText(GetDlgItem(page_[FPS], IDC_FPS_OVERLAY_KEY)));
    EXPECT_EQ("F11", WindowText(GetDlgItem(page_[FPS], IDC_FPS_LOG_KEY)));
    EXPECT_EQ("F9", WindowText(GetDlgItem(page_[MOVIES], IDC_MOVIES_MOVIE_KEY)));
    EXPECT_EQ("F10", WindowText(GetDlgItem(page_[SCREENSHOTS], IDC_SCREENSHOTS_CAPTURE_KEY)));
}

TEST_F(Pages, DoubleClickNotificationShowsTheCurrentPageAndTabsSwitch)
{
    ShowCurrentPage();
    ASSERT_TRUE(WaitForVisible({ GENERAL }));

    /* Tab row borders, clicked on the movies page. */
    ClickDesignPoint(GENERAL, 121, 45);
    ASSERT_TRUE(WaitForVisible({ MOVIES }));
    struct TabCase {
        int x, y;
        int target;        /* -1: nothing happens */
    };
    static const TabCase cases[] = {
        { 267, 45, -1 }, { 9, 45, -1 }, { 100, 38, -1 }, { 100, 60, -1 }, { 150, 50, -1 },
        { 74, 39, GENERAL }, { 75, 59, FPS }, { 266, 45, SCREENSHOTS },
    };
    for (const TabCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        ClickDesignPoint(MOVIES, c.x, c.y);
        if (c.target < 0) {
            /* Give a wrong switch the time to show. */
            Sleep(400);
            EXPECT_EQ(std::vector<int>{ MOVIES }, VisiblePages());
            continue;
        }
        ASSERT_TRUE(WaitForVisible({ c.target })) << testing::PrintToString(VisiblePages());
        RECT from, to;
        GetWindowRect(page_[MOVIES], &from);
        GetWindowRect(page_[c.target], &to);
        EXPECT_TRUE(EqualRect(&from, &to));
        /* back to the movies page through the target's own tab row */
        ClickDesignPoint(c.target, 150, 45);
        ASSERT_TRUE(WaitForVisible({ MOVIES }));
    }

    /* The page used last comes back with the notification. */
    Click(MOVIES, IDC_MOVIES_MINIMISE);                         /* minimise */
    ASSERT_TRUE(WaitForVisible({}));
    ShowCurrentPage();
    EXPECT_TRUE(WaitForVisible({ MOVIES }));
}

TEST_F(Pages, MinimiseHidesThePageAndNeverIconises)
{
    struct MinimiseCase {
        int page;
        int button;       /* 0: the system command */
    };
    static const MinimiseCase cases[] = { { GENERAL, IDC_GENERAL_MINIMISE }, { GENERAL, 0 } };
    for (const MinimiseCase &c : cases) {
        SCOPED_TRACE(c.button);
        ShowCurrentPage();
        ASSERT_TRUE(WaitForVisible({ c.page }));
        if (c.button)
            Click(c.page, c.button);
        else
            SendMessageTimeoutA(page_[c.page], WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_ABORTIFHUNG, 5000, NULL);
        EXPECT_TRUE(WaitForVisible({}));
        EXPECT_FALSE(IsIconic(page_[c.page]));
    }
}

TEST_F(Pages, ActivatingAnotherPageHidesTheCurrentOne)
{
    ShowCurrentPage();
    ASSERT_TRUE(WaitForVisible({ GENERAL }));
    ShowWindow(page_[SCREENSHOTS], SW_SHOWNA);
    ASSERT_TRUE(WaitForVisible({ GENERAL, SCREENSHOTS }));
    SendMessageTimeoutA(page_[SCREENSHOTS], WM_ACTIVATE, WA_ACTIVE, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    ASSERT_TRUE(WaitForVisible({ SCREENSHOTS }));
    /* Activating the current page again hides nothing. */
    SendMessageTimeoutA(page_[SCREENSHOTS], WM_ACTIVATE, WA_CLICKACTIVE, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    Sleep(300);
    EXPECT_EQ(std::vector<int>{ SCREENSHOTS }, VisiblePages());
    /* and the notification now brings the screenshots page */
    Click(SCREENSHOTS, IDC_SCREENSHOTS_MINIMISE);
    ASSERT_TRUE(WaitForVisible({}));
    ShowCurrentPage();
    EXPECT_TRUE(WaitForVisible({ SCREENSHOTS }));
}

TEST_F(Pages, ExitPromptCancelKeepsEverythingAndOkEndsInOrder)
{
    PostMessageA(page_[FPS], WM_CLOSE, 0, 0);
    HWND box = WaitForProcessWindow(companion_.Pid(), "Exit Zentu?", 10000);
    ASSERT_TRUE(box);
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ("Exiting Zentu will stop the counter being shown in your games.  Are you sure you want to unload Zentu?",
              content.text);
    EXPECT_TRUE(content.hasIcon);
    EXPECT_EQ((std::vector<std::string>{ "OK", "Cancel" }), content.buttons);
    EXPECT_EQ(page_[FPS], GetWindow(box, GW_OWNER));
    ASSERT_TRUE(PressMessageBoxButton(box, "Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
    EXPECT_TRUE(companion_.Running());
    EXPECT_TRUE(IsWindow(page_[FPS]));

    PostMessageA(page_[FPS], WM_CLOSE, 0, 0);
    box = WaitForProcessWindow(companion_.Pid(), "Exit Zentu?", 10000);
    ASSERT_TRUE(box);
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

TEST_F(Pages, ExitFromThePopupMenuEndsWithoutAsking)
{
    Notify(WM_RBUTTONUP);
    HWND menu = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", NULL)) != NULL && IsWindowVisible(menu); },
                          10000));
    /* "Exit Zentu" is the last item: up wraps round to it. */
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    EXPECT_TRUE(ProcessWindowCaptions(companion_.Pid()).empty());
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

TEST_F(Pages, GeneralOptionsCallTheLibraryOnceAndSetTopmost)
{
    /* Start right after a refresh so that no refresh call falls between. */
    size_t before = SetupCount();
    folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) { return c.size() > before; }, 5000);

    auto topmostCount = [&] {
        int count = 0;
        for (HWND page : page_)
            if (GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_TOPMOST)
                count++;
        return count;
    };
    EXPECT_EQ(4, topmostCount());          /* "Always On Top" starts at 1 */

    size_t start = SetupCount();
    Click(GENERAL, IDC_GENERAL_ALWAYS_ON_TOP);
    EXPECT_EQ(0, topmostCount());
    EXPECT_EQ(start + 1, SetupCount());
    Click(GENERAL, IDC_GENERAL_ALWAYS_ON_TOP);
    EXPECT_EQ(4, topmostCount());
    EXPECT_EQ(start + 2, SetupCount());
    Click(GENERAL, IDC_GENERAL_START_MINIMISED);
    EXPECT_EQ(start + 3, SetupCount());
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(page_[GENERAL], IDC_GENERAL_START_MINIMISED), BM_GETCHECK, 0, 0));

    ScopedKeyRestore run(HKEY_CURRENT_USER, RunKey);
    SetStringValue(HKEY_CURRENT_USER, RunKey, "Other", "other.exe");
    Click(GENERAL, IDC_GENERAL_RUN_AT_STARTUP);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_READ, &key));
    char command[512] = "";
    DWORD size = sizeof command, type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Zentu", NULL, &type, (BYTE *)command, &size));
    RegCloseKey(key);
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ("\"" + folder_.Path() + "\\zentu.exe\"", std::string(command));
    EXPECT_EQ(strlen(command) + 1, size);
    Click(GENERAL, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(1, CountValues(HKEY_CURRENT_USER, RunKey));

    /* Without a Run key the click creates it empty and writes nothing. */
    DeleteKey(HKEY_CURRENT_USER, RunKey);
    Click(GENERAL, IDC_GENERAL_RUN_AT_STARTUP);
    EXPECT_EQ(0, CountValues(HKEY_CURRENT_USER, RunKey));
    EXPECT_EQ(start + 3, SetupCount()) << "the start-up entry must not call the library";
}

TEST_F(Pages, PlacementIsSavedOnMoveAndRestoredOnlyOnTheSameScreen)
{
    ScopedKeyRestore placement(HKEY_LOCAL_MACHINE, PlacementKey);
    SetWindowPos(page_[FPS], NULL, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([] { return CountValues(HKEY_LOCAL_MACHINE, PlacementKey) == 4; }, 5000));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, PlacementKey, 0, KEY_READ, &key));
    WINDOWPLACEMENT stored = {};
    DWORD size = sizeof stored, screenWidth = 0, screenHeight = 0, dpi = 0, four = 4;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Window", NULL, NULL, (BYTE *)&stored, &size));
    EXPECT_EQ(44u, size);
    RegQueryValueExA(key, "WindowX", NULL, NULL, (BYTE *)&screenWidth, &four);
    four = 4;
    RegQueryValueExA(key, "WindowY", NULL, NULL, (BYTE *)&screenHeight, &four);
    four = 4;
    RegQueryValueExA(key, "WindowDPI", NULL, NULL, (BYTE *)&dpi, &four);
    RegCloseKey(key);
    EXPECT_EQ(37, stored.rcNormalPosition.left);
    EXPECT_EQ(41, stored.rcNormalPosition.top);
    EXPECT_EQ((DWORD)GetSystemMetrics(SM_CXSCREEN), screenWidth);
    EXPECT_EQ((DWORD)GetSystemMetrics(SM_CYSCREEN), screenHeight);
    EXPECT_EQ(96u, dpi);

    SetRunning(0);
    ASSERT_EQ(0, companion_.WaitExit(10000));

    struct RestoreCase {
        const char *name;
        DWORD widthChange, heightChange, dpi;
        bool restored;
    };
    static const RestoreCase cases[] = {
        { "same screen", 0, 0, 96, true },
        { "other width", 1, 0, 96, false },
        { "other height", 0, 8, 96, false },
        { "other DPI", 0, 0, 120, false },
    };
    for (const RestoreCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowX", screenWidth + c.widthChange);
        SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowY", screenHeight + c.heightChange);
        SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI", c.dpi);
        SetRunning(1);
        CompanionProcess again;
        ASSERT_TRUE(again.Start(folder_.ExePath()));
        HWND pages[4] = {};
        ASSERT_TRUE(WaitUntil([&] {
            for (int i = 0; i < 4; i++)
                pages[i] = FindPage(again.Pid(), PageTitles[i]);
            return pages[0] && pages[1] && pages[2] && pages[3];
        }, 20000));
        for (HWND page : pages) {
            RECT rect;
            GetWindowRect(page, &rect);
            EXPECT_EQ(c.restored, rect.left == 37 && rect.top == 41) << rect.left << ", " << rect.top;
            EXPECT_FALSE(IsWindowVisible(page));
        }
        SetRunning(0);
        EXPECT_EQ(0, again.WaitExit(10000));
    }
}

/* A visible shell window of any process showing this folder name. */
static HWND FindExplorerWindow(const std::string &folderName)
{
    struct Search {
        std::string name;
        HWND found;
    } search{ folderName, NULL };
    EnumWindows([](HWND window, LPARAM lParam) -> BOOL {
        Search *s = (Search *)lParam;
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        if (IsWindowVisible(window) && strcmp(className, "ExplorerWClass") == 0 && WindowText(window) == s->name) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }, (LPARAM)&search);
    return search.found;
}

TEST_F(Pages, MenuViewCommandsExploreTheirFolders)
{
    std::string movies = folder_.Path() + "\\moviesfolder";
    std::string shots = folder_.Path() + "\\shotsfolder";
    ASSERT_TRUE(CreateDirectoryA(movies.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(shots.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "\\benchmarks").c_str(), NULL));
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", movies);
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Screenshot Directory", shots + "\\");
    folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) {
        return !c.empty() && c.back().name == "ZentuSetup" && c.back().Text(7) == movies;
    }, 8000);

    struct ViewCase {
        int downPresses;     /* from no selection: Settings, View Benchmarks, View Movies, View Screenshots */
        const char *shownName;
    };
    static const ViewCase cases[] = { { 2, "benchmarks" }, { 3, "moviesfolder" }, { 4, "shotsfolder" } };
    for (const ViewCase &c : cases) {
        SCOPED_TRACE(c.shownName);
        Notify(WM_RBUTTONUP);
        HWND menu = NULL;
        ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", NULL)) != NULL && IsWindowVisible(menu); },
                              10000));
        for (int i = 0; i < c.downPresses; i++)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        HWND explorer = NULL;
        EXPECT_TRUE(WaitUntil([&] { return (explorer = FindExplorerWindow(c.shownName)) != NULL; }, 20000));
        if (explorer) {
            PostMessageA(explorer, WM_CLOSE, 0, 0);
            WaitUntil([&] { return !IsWindow(explorer); }, 5000);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu) || !IsWindow(menu); }, 5000));
    }
    EXPECT_TRUE(companion_.Running());
}

/* Runs zentu64-notify.exe with an argument and returns its exit code. */
static long RunNotify(const std::string &argument)
{
    CompanionProcess tool;
    if (!tool.Start(BuildPath("zentu64-notify.exe"), argument))
        return -1;
    return tool.WaitExit(10000);
}

TEST_F(Pages, NotifyToolSendsWhatTheMainToolsIconSends)
{
    EXPECT_EQ(2, RunNotify("sideways"));
    EXPECT_EQ(0, RunNotify("open"));
    ASSERT_TRUE(WaitForVisible({ GENERAL }));
    EXPECT_EQ(0, RunNotify("menu"));
    HWND menu = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", NULL)) != NULL && IsWindowVisible(menu); },
                          10000));
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));

    SetRunning(0);
    ASSERT_EQ(0, companion_.WaitExit(10000));
    EXPECT_EQ(1, RunNotify("open")) << "no companion runs";
}
