/* The settings pages of the running companion, driven from outside as the
 * main tool's notification icon and the user drive them. */
#include "support/companion.h"
#include "resources/resource.h"

enum { GENERAL, FPS, MOVIES, SCREENSHOTS };

/* The folders the settings name, made before the companion starts so that its start-up read finds them. */
static const char *const SettingFolders[] = { "benchmarks", "moviesfolder", "shotsfolder" };

/* A running companion with its four pages found. */
class Pages : public RunningCompanionTest {
protected:
    void SetUp() override
    {
        for (const char *name : SettingFolders)
            ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "\\" + name).c_str(), NULL));
        SetSetting("Movie Directory", folder_.Path() + "\\moviesfolder");
        SetSetting("Screenshot Directory", folder_.Path() + "\\shotsfolder\\");
        RunningCompanionTest::SetUp();
        const char *titles[] = { "ZENTU64 general", "ZENTU64 fps", "ZENTU64 movies", "ZENTU64 screenshots" };
        for (int i = 0; i < 4; i++) {
            page_[i] = FindProcessWindow(companion_.Pid(), titles[i], true);
            ASSERT_TRUE(page_[i]) << titles[i];
        }
    }
    /* Waits until only this page is visible; -1: none. */
    bool WaitForVisible(int shown) const
    {
        return WaitUntil([&] {
            for (int i = 0; i < 4; i++)
                if ((IsWindowVisible(page_[i]) != FALSE) != (i == shown))
                    return false;
            return true;
        }, 5000);
    }
    /* Opens the general page as the icon does, then clicks the Movies tab at (150, 45) of the 400 x 300
     * design space, rounded up onto the page's real size. */
    void OpenMoviesByItsTab() const
    {
        ASSERT_EQ(0, RunNotify("open"));
        ASSERT_TRUE(WaitForVisible(GENERAL));
        RECT general;
        GetWindowRect(page_[GENERAL], &general);
        int x = (150 * (general.right - general.left) + 399) / 400;
        int y = (45 * (general.bottom - general.top) + 299) / 300;
        PostMessageA(page_[GENERAL], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(page_[GENERAL], WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        ASSERT_TRUE(WaitForVisible(MOVIES));
    }
    HWND Control(int page, int id) const
    {
        return GetDlgItem(page_[page], id);
    }
    /* Clicks Change Folder and returns the browser it shows, checked for its owner and its new style. */
    HWND OpenFolderBrowser() const
    {
        OpenMoviesByItsTab();
        PostMessageA(Control(MOVIES, IDC_MOVIES_CHANGE_FOLDER), BM_CLICK, 0, 0);
        HWND browser = WaitForProcessWindow(companion_.Pid(), "Browse for Folder", 15000);
        EXPECT_EQ(page_[MOVIES], GetWindow(browser, GW_OWNER)) << "no browser, or one of another owner";
        std::string texts = "|";
        for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child))
                texts += WindowText(child) + "|";
        EXPECT_NE(std::string::npos, texts.find("|Please select the folder to save Zentu movies in:|")) << texts;
        /* The new style, which lets the user make a folder. */
        EXPECT_NE(std::string::npos, texts.find("|&Make New Folder|")) << texts;
        return browser;
    }
    /* Closes the fps page and answers the exit prompt, checked for its text, buttons and owner. */
    void AnswerExitPrompt(const char *button) const
    {
        PostMessageA(page_[FPS], WM_CLOSE, 0, 0);
        AnsweredBox box = AnswerMessageBox(companion_.Pid(), "Exit Zentu?", button, 10000);
        ASSERT_TRUE(box.found);
        EXPECT_EQ("Exiting Zentu will stop the counter being shown in your games.  Are you sure you want to unload "
                  "Zentu?",
                  box.content.text);
        EXPECT_EQ((std::vector<std::string>{ "OK", "Cancel" }), box.content.buttons);
        EXPECT_EQ(page_[FPS], box.owner);
    }

    HWND page_[4] = {};
};

TEST_F(Pages, TheGeneralPageShowsTheVersionAndTheBuild)
{
    EXPECT_EQ("2.7.3", WindowText(Control(GENERAL, IDC_GENERAL_VERSION)));
    EXPECT_EQ("5834", WindowText(Control(GENERAL, IDC_GENERAL_BUILD)));
}

TEST_F(Pages, TheIconsToolOpensTheGeneralPageByDefaultAndRefusesAnUnknownCommand)
{
    ASSERT_TRUE(WaitForVisible(-1));
    EXPECT_EQ(2, RunNotify("sideways"));
    EXPECT_EQ(0, RunNotify(""));
    EXPECT_TRUE(WaitForVisible(GENERAL));
}

TEST_F(Pages, ATabShowsItsPageInThePlaceOfTheOneBefore)
{
    OpenMoviesByItsTab();
    RECT general;
    RECT movies;
    GetWindowRect(page_[GENERAL], &general);
    GetWindowRect(page_[MOVIES], &movies);
    EXPECT_TRUE(EqualRect(&general, &movies));
}

TEST_F(Pages, MinimiseHidesThePageAndTheIconsDoubleClickBringsBackThePageUsedLast)
{
    OpenMoviesByItsTab();
    ClickButton(Control(MOVIES, IDC_MOVIES_MINIMISE));
    ASSERT_TRUE(WaitForVisible(-1));
    EXPECT_FALSE(IsIconic(page_[MOVIES]));
    PostMessageA(page_[GENERAL], WM_USER + 1, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitForVisible(MOVIES));
}

/* The menu holds the foreground while it is up, or a click elsewhere would not close it. Its first item is
 * Settings. */
TEST_F(Pages, SettingsInThePopupMenuBringsThePageUsedLastForward)
{
    OpenMoviesByItsTab();
    ClickButton(Control(MOVIES, IDC_MOVIES_MINIMISE));
    ASSERT_TRUE(WaitForVisible(-1));
    ASSERT_EQ(0, RunNotify("menu"));
    HWND menu = WaitForMenu();
    ASSERT_TRUE(menu);
    DWORD foreground = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foreground);
    EXPECT_EQ(companion_.Pid(), foreground);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitForVisible(MOVIES));
}

/* A recorder registered as the program that opens .htm files stands in for the browser. The shell reads the
 * association from the machine's classes under Wine and from the user's first under Windows. Which file each
 * page's button names, in which folder, on whose behalf: in-process (PageSet). */
TEST_F(Pages, AHelpButtonHasTheShellOpenItsPagesHelpFile)
{
    const char *htmClass = "SOFTWARE\\Classes\\.htm";
    const char *recorderClass = "SOFTWARE\\Classes\\ZentuHelpTest.Recorder";
    ScopedKeyRestore machineHtm(HKEY_LOCAL_MACHINE, htmClass);
    ScopedKeyRestore machineRecorder(HKEY_LOCAL_MACHINE, recorderClass);
    ScopedKeyRestore userHtm(HKEY_CURRENT_USER, htmClass);
    ScopedKeyRestore userRecorder(HKEY_CURRENT_USER, recorderClass);
    const std::string record = folder_.Path() + "\\opened.txt";
    const std::string recorder = BuildPath("tests/help/zentu_open_recorder.exe");
    const std::string command = recorderClass + std::string("\\shell\\open\\command");
    for (HKEY root : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        SetStringValue(root, htmClass, "", "ZentuHelpTest.Recorder");
        SetStringValue(root, command.c_str(), "", "\"" + recorder + "\" \"" + record + "\" \"%1\"");
    }
    const std::string help = folder_.Path() + "\\help";
    const std::string file = help + "\\HELP_SCREENSHOTS.HTM";
    ASSERT_TRUE(CreateDirectoryA(help.c_str(), NULL));
    ASSERT_TRUE(CopyFileA(BuildPath("help/HELP_SCREENSHOTS.HTM").c_str(), file.c_str(), FALSE));
    ClickButton(Control(SCREENSHOTS, IDC_SCREENSHOTS_HELP));
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiA(ReadWholeFile(record).c_str(), (file + "\r\n").c_str()) == 0; },
                          15000))
        << "opened: " << ReadWholeFile(record);
}

/* The popup menu's items: Settings, View Benchmarks, View Movies, View Screenshots, ... */
TEST_F(Pages, TheMenusViewCommandsExploreTheBenchmarksMoviesAndScreenshotsFolders)
{
    for (int down = 2; down <= 4; down++) {
        const char *folder = SettingFolders[down - 2];
        SCOPED_TRACE(folder);
        EXPECT_EQ(0, RunNotify("menu"));
        HWND menu = WaitForMenu();
        ASSERT_TRUE(menu);
        for (int i = 0; i < down; i++)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        HWND explorer = NULL;
        EXPECT_TRUE(WaitUntil([&] {
            explorer = FindWindowA("ExplorerWClass", folder);
            return explorer && IsWindowVisible(explorer);
        }, 20000));
        PostMessageA(explorer, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));
    }
}

TEST_F(Pages, CancelInTheFolderBrowserKeepsTheFolder)
{
    HWND line = Control(MOVIES, IDC_MOVIES_FOLDER);
    const std::string kept = folder_.Path() + "\\moviesfolder";
    HWND browser = OpenFolderBrowser();
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(line) == kept; }, 5000)) << WindowText(line);
}

/* The registry keeps the old folder: only the page's own call can bring another. */
TEST_F(Pages, OkInTheFolderBrowserTakesTheSelectedFolderAndTheLibraryHearsIt)
{
    const std::string kept = folder_.Path() + "\\moviesfolder";
    HWND browser = OpenFolderBrowser();
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 10000));
    std::string heard = kept;
    EXPECT_TRUE(WaitUntil([&] {
        heard = folder_.SetupCalls().back().Text(7);
        return heard != kept;
    }, 5000));
    EXPECT_EQ(heard, WindowText(Control(MOVIES, IDC_MOVIES_FOLDER)));
}

TEST_F(Pages, CancelInTheExitPromptKeepsTheCompanionRunning)
{
    AnswerExitPrompt("Cancel");
    /* Asked again: still there to ask. */
    AnswerExitPrompt("Cancel");
    EXPECT_TRUE(companion_.Running());
}

TEST_F(Pages, OkInTheExitPromptEndsTheCompanionInOrder)
{
    AnswerExitPrompt("OK");
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
    EXPECT_EQ(1, RunNotify("open")) << "no companion runs";
}

TEST_F(Pages, ExitFromThePopupMenuEndsInOrderWithoutAsking)
{
    PostMessageA(page_[GENERAL], WM_USER + 1, 0, WM_RBUTTONUP);
    HWND menu = WaitForMenu();
    ASSERT_TRUE(menu);
    /* Up wraps round to the last item, "Exit Zentu". */
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

/* The screen's DPI, which each process reads at its start. */
static const char PlacementKey[] = "SOFTWARE\\Zentu2";
static const char DesktopKey[] = "Control Panel\\Desktop";
class SkinnedPages : public Pages, public testing::WithParamInterface<DWORD> {
protected:
    void SetUp() override
    {
        SetDwordValue(HKEY_CURRENT_USER, DesktopKey, "LogPixels", GetParam());
        Pages::SetUp();
    }
    ScopedValueRestore dpi_{ HKEY_CURRENT_USER, DesktopKey, "LogPixels" };
    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, PlacementKey };
};
INSTANTIATE_TEST_SUITE_P(Dpi, SkinnedPages, testing::Values(96, 144));

/* The pixels of the button on the screen that differ from the art stretched onto the button's size. */
static int PixelsDifferingFromArt(HWND button, HMODULE exe, int artId)
{
    RECT r;
    GetWindowRect(button, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC art = CreateCompatibleDC(screen);
    HDC expected = CreateCompatibleDC(screen);
    HGDIOBJ oldArt = SelectObject(art, LoadBitmapA(exe, MAKEINTRESOURCEA(artId)));
    HGDIOBJ oldExpected = SelectObject(expected, CreateCompatibleBitmap(screen, w, h));
    BITMAP source;
    GetObjectA(GetCurrentObject(art, OBJ_BITMAP), sizeof source, &source);
    StretchBlt(expected, 0, 0, w, h, art, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
    BitBlt(expected, 0, 0, w, h, screen, r.left, r.top, SRCINVERT);
    int differing = 0;
    for (int i = 0; i < w * h; i++)
        differing += GetPixel(expected, i % w, i / w) != 0;
    DeleteObject(SelectObject(art, oldArt));
    DeleteObject(SelectObject(expected, oldExpected));
    DeleteDC(art);
    DeleteDC(expected);
    ReleaseDC(NULL, screen);
    return differing;
}

TEST_P(SkinnedPages, EachButtonShowsTheArtOfTheScreensDpiUpAndPressed)
{
    /* Each pressed image is numbered after its up image. */
    const struct { int id, up, upHighDpi; } buttons[] = {
        { IDC_MOVIES_HELP, IDB_HELP_UP, IDB_HELP_UP_HD },
        { IDC_MOVIES_VIEW_FOLDER, IDB_VIEW_UP, IDB_VIEW_UP_HD },
        { IDC_MOVIES_CLOSE, IDB_CLOSE_UP, IDB_CLOSE_UP_HD },
        { IDC_MOVIES_CLEAR, IDB_CLEAR_UP, IDB_CLEAR_UP_HD },
        { IDC_MOVIES_MINIMISE, IDB_MINIMISE_UP, IDB_MINIMISE_UP_HD },
        { IDC_MOVIES_CHANGE_FOLDER, IDB_CHANGE_UP, IDB_CHANGE_UP_HD },
    };
    HMODULE exe = LoadLibraryExA(folder_.ExePath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ShowWindow(page_[MOVIES], SW_SHOWNOACTIVATE);
    for (const auto &b : buttons)
        for (int pressed : { 1, 0 }) {
            HWND button = Control(MOVIES, b.id);
            SendMessageTimeoutA(button, BM_SETSTATE, pressed, 0, SMTO_ABORTIFHUNG, 5000, NULL);
            const int id = (GetParam() >= 120 ? b.upHighDpi : b.up) + pressed;
            int differing = -1;
            WaitUntil([&] {
                differing = PixelsDifferingFromArt(button, exe, id);
                return differing == 0;
            }, 5000);
            EXPECT_EQ(0, differing) << "art " << id;
        }
    FreeLibrary(exe);
}

TEST_P(SkinnedPages, AMoveIsStoredWithTheScreensDpiAndAPlaceStoredAtAnotherDpiIsNotTaken)
{
    const DWORD dpi = GetParam();
    SetWindowPos(page_[MOVIES], NULL, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return ReadDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI") == dpi; }, 5000));
    PostMessageA(page_[GENERAL], WM_QUIT, 0, 0);
    ASSERT_EQ(0, companion_.WaitExit(10000));
    /* 96 and 144 swapped. */
    SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI", 240 - dpi);
    DeleteFileA((folder_.Path() + "\\zentu64-calls.log").c_str());
    /* The companion started again, in the same folder. */
    RunningCompanionTest::SetUp();
    HWND general = FindProcessWindow(companion_.Pid(), "ZENTU64 general", true);
    RECT shown;
    GetWindowRect(general, &shown);
    EXPECT_FALSE(shown.left == 10 && shown.top == 20) << "the place stored at another DPI was taken";
}
