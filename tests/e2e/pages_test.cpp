/* One walk through the settings pages of the running companion, driven from
 * outside as the main tool's notification icon and the user drive them. */
#include "support/companion.h"
#include "resources/resource.h"

enum { GENERAL, FPS, MOVIES, SCREENSHOTS };

/* Runs zentu64-notify.exe with an argument and returns its exit code. */
static long RunNotify(const std::string &argument)
{
    CompanionProcess tool;
    return tool.Start(BuildPath("install-test/zentu64-notify.exe"), argument) ? tool.WaitExit(10000) : -1;
}

static HWND WaitForMenu()
{
    HWND menu = NULL;
    WaitUntil([&] { return (menu = FindWindowA("#32768", NULL)) != NULL && IsWindowVisible(menu); }, 10000);
    return menu;
}

/* A running companion with its four pages found. */
class Pages : public CompanionTest {
protected:
    void SetUp() override
    {
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
        const char *titles[] = { "ZENTU64 general", "ZENTU64 fps", "ZENTU64 movies", "ZENTU64 screenshots" };
        for (int i = 0; i < 4; i++)
            ASSERT_TRUE(page_[i] = FindProcessWindow(companion_.Pid(), titles[i], true)) << titles[i];
    }
    void TearDown() override
    {
        if (companion_.Running())
            SetRunning(0), companion_.WaitExit(10000);
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

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    HWND page_[4] = {};
    /* A recorder registered as the program that opens .htm files stands in
     * for the browser. The shell reads the association from the machine's
     * classes under Wine and from the user's first under Windows. */
    static constexpr const char *HtmClass = "SOFTWARE\\Classes\\.htm";
    static constexpr const char *RecorderClass = "SOFTWARE\\Classes\\ZentuHelpTest.Recorder";
    ScopedKeyRestore associations_[4] = { { HKEY_LOCAL_MACHINE, HtmClass }, { HKEY_LOCAL_MACHINE, RecorderClass },
                                          { HKEY_CURRENT_USER, HtmClass }, { HKEY_CURRENT_USER, RecorderClass } };
};

TEST_F(Pages, NotificationTabsMinimiseHelpMenuAndExitPrompt)
{
    ASSERT_TRUE(WaitForVisible(-1));
    EXPECT_EQ("2.7.3", WindowText(GetDlgItem(page_[GENERAL], IDC_GENERAL_VERSION)));
    EXPECT_EQ("5834", WindowText(GetDlgItem(page_[GENERAL], IDC_GENERAL_BUILD)));

    /* The notification tool sends the icon's double click; a tab switches in
     * place; minimise hides; the double click brings back the page used last. */
    EXPECT_EQ(2, RunNotify("sideways"));
    EXPECT_EQ(0, RunNotify(""));        /* "open" by default */
    ASSERT_TRUE(WaitForVisible(GENERAL));
    RECT general, movies;
    GetWindowRect(page_[GENERAL], &general);
    /* The Movies tab at (150, 45) of the 400 x 300 design space, rounded up onto the page's real size. */
    LPARAM tab = MAKELPARAM((150 * (general.right - general.left) + 399) / 400,
                            (45 * (general.bottom - general.top) + 299) / 300);
    PostMessageA(page_[GENERAL], WM_LBUTTONDOWN, MK_LBUTTON, tab);
    PostMessageA(page_[GENERAL], WM_LBUTTONUP, 0, tab);
    ASSERT_TRUE(WaitForVisible(MOVIES));
    GetWindowRect(page_[MOVIES], &movies);
    EXPECT_TRUE(EqualRect(&general, &movies));
    SendMessageTimeoutA(GetDlgItem(page_[MOVIES], IDC_MOVIES_MINIMISE), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    ASSERT_TRUE(WaitForVisible(-1));
    EXPECT_FALSE(IsIconic(page_[MOVIES]));
    PostMessageA(page_[GENERAL], WM_USER + 1, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitForVisible(MOVIES));

    /* Each Help button has the shell open its page's file in the help folder. */
    const std::string help = folder_.Path() + "\\help", record = folder_.Path() + "\\opened.txt";
    ASSERT_TRUE(CreateDirectoryA(help.c_str(), NULL));
    for (HKEY root : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        SetStringValue(root, HtmClass, "", "ZentuHelpTest.Recorder");
        SetStringValue(root, (std::string(RecorderClass) + "\\shell\\open\\command").c_str(), "",
                       "\"" + BuildPath("tests/help/zentu_open_recorder.exe") + "\" \"" + record + "\" \"%1\"");
    }
    const struct { int page, button; std::string file; } helpButtons[] = {
        { GENERAL, IDC_GENERAL_HELP, "HELP_GENERAL.HTM" }, { FPS, IDC_FPS_HELP, "HELP_FPS.HTM" },
        { MOVIES, IDC_MOVIES_HELP, "HELP_MOVIES.HTM" }, { SCREENSHOTS, IDC_SCREENSHOTS_HELP, "HELP_SCREENSHOTS.HTM" },
    };
    for (const auto &h : helpButtons) {
        const std::string file = help + "\\" + h.file;
        ASSERT_TRUE(CopyFileA(BuildPath("help/" + h.file).c_str(), file.c_str(), FALSE));
        DeleteFileA(record.c_str());
        SendMessageTimeoutA(GetDlgItem(page_[h.page], h.button), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
        EXPECT_TRUE(WaitUntil([&] { return lstrcmpiA(ReadWholeFile(record).c_str(), (file + "\r\n").c_str()) == 0; },
                              15000)) << h.file << " opened: " << ReadWholeFile(record);
    }

    /* The menu's View commands explore their folders. */
    const char *folders[] = { "benchmarks", "moviesfolder", "shotsfolder" };
    for (const char *name : folders)
        ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "\\" + name).c_str(), NULL));
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", folder_.Path() + "\\moviesfolder");
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Screenshot Directory", folder_.Path() + "\\shotsfolder\\");
    folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) {
        return !c.empty() && c.back().Text(8) == folder_.Path() + "\\shotsfolder\\";
    }, 8000);
    for (int down = 2; down <= 4; down++) {      /* Settings, View Benchmarks, View Movies, View Screenshots */
        EXPECT_EQ(0, RunNotify("menu"));
        HWND menu = WaitForMenu(), explorer = NULL;
        ASSERT_TRUE(menu);
        for (int i = 0; i < down; i++)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitUntil([&] {
            explorer = FindWindowA("ExplorerWClass", folders[down - 2]);
            return explorer && IsWindowVisible(explorer);
        }, 20000)) << folders[down - 2];
        PostMessageA(explorer, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));
    }

    /* The shell's folder browser, owned by the page, in its new style (which lets the user make a folder), in a
     * process whose library search leaves out the current folder: Cancel keeps the folder, OK takes the one
     * selected, and the library hears it. */
    HWND line = GetDlgItem(page_[MOVIES], IDC_MOVIES_FOLDER);
    const std::string kept = folder_.Path() + "\\moviesfolder";
    for (int button : { IDCANCEL, IDOK }) {
        PostMessageA(GetDlgItem(page_[MOVIES], IDC_MOVIES_CHANGE_FOLDER), BM_CLICK, 0, 0);
        HWND browser = WaitForProcessWindow(companion_.Pid(), "Browse for Folder", 15000);
        EXPECT_EQ(page_[MOVIES], GetWindow(browser, GW_OWNER)) << "no browser, or one of another owner";
        std::string texts;
        for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts += IsWindowVisible(child) ? WindowText(child) + "|" : "";
        EXPECT_NE(std::string::npos, texts.find("|Please select the folder to save Zentu movies in:|")) << texts;
        EXPECT_NE(std::string::npos, texts.find("|&Make New Folder|")) << texts;
        PostMessageA(browser, WM_COMMAND, button, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 10000));
        EXPECT_EQ(button == IDOK, WaitUntil([&] { return WindowText(line) != kept; }, 1000)) << WindowText(line);
    }
    const std::string chosen = WindowText(line);
    EXPECT_TRUE(WaitUntil([&] {
        for (const LibraryCall &call : folder_.SetupCalls())
            if (call.Text(7) == chosen)
                return true;
        return false;
    }, 5000)) << chosen;

    /* The close button asks first: Cancel keeps everything, OK ends in order. */
    for (const char *button : { "Cancel", "OK" }) {
        PostMessageA(page_[FPS], WM_CLOSE, 0, 0);
        HWND box = WaitForProcessWindow(companion_.Pid(), "Exit Zentu?", 10000);
        ASSERT_TRUE(box) << "after " << button;
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ("Exiting Zentu will stop the counter being shown in your games.  Are you sure you want to unload "
                  "Zentu?", content.text);
        EXPECT_EQ((std::vector<std::string>{ "OK", "Cancel" }), content.buttons);
        EXPECT_EQ(page_[FPS], GetWindow(box, GW_OWNER));
        ASSERT_TRUE(PressMessageBoxButton(box, button));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
    }
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
    EXPECT_EQ(1, RunNotify("open")) << "no companion runs";
}

TEST_F(Pages, ExitFromThePopupMenuEndsInOrderWithoutAsking)
{
    PostMessageA(page_[GENERAL], WM_USER + 1, 0, WM_RBUTTONUP);
    HWND menu = WaitForMenu();
    ASSERT_TRUE(menu);
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);       /* up wraps round to the last item, "Exit Zentu" */
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}

/* At the screen's DPI (read by each process at its start) the buttons show that DPI's art, up and pressed, stretched
 * from its own size; a move is stored with that DPI, and a record naming another DPI is not taken back. */
static const char PlacementKey[] = "SOFTWARE\\Zentu2", DesktopKey[] = "Control Panel\\Desktop";
class SkinnedPages : public Pages, public testing::WithParamInterface<DWORD> {
    void SetUp() override { SetDwordValue(HKEY_CURRENT_USER, DesktopKey, "LogPixels", GetParam()), Pages::SetUp(); }
    ScopedValueRestore dpi_{ HKEY_CURRENT_USER, DesktopKey, "LogPixels" };
    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, PlacementKey };
};
INSTANTIATE_TEST_SUITE_P(Dpi, SkinnedPages, testing::Values(96, 144));

TEST_P(SkinnedPages, EachButtonShowsTheArtOfTheScreensDpiAndAPlaceStoredAtAnotherDpiIsNotTaken)
{
    const DWORD dpi = GetParam();
    const struct { int id, up, upHighDpi; } buttons[] = {        /* each pressed image numbered after its up image */
        { IDC_MOVIES_HELP, IDB_HELP_UP, IDB_HELP_UP_HD }, { IDC_MOVIES_VIEW_FOLDER, IDB_VIEW_UP, IDB_VIEW_UP_HD },
        { IDC_MOVIES_CLOSE, IDB_CLOSE_UP, IDB_CLOSE_UP_HD }, { IDC_MOVIES_CLEAR, IDB_CLEAR_UP, IDB_CLEAR_UP_HD },
        { IDC_MOVIES_MINIMISE, IDB_MINIMISE_UP, IDB_MINIMISE_UP_HD },
        { IDC_MOVIES_CHANGE_FOLDER, IDB_CHANGE_UP, IDB_CHANGE_UP_HD },
    };
    HMODULE exe = LoadLibraryExA(folder_.ExePath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HDC screen = GetDC(NULL), art = CreateCompatibleDC(screen), expected = CreateCompatibleDC(screen);
    ShowWindow(page_[MOVIES], SW_SHOWNOACTIVATE);
    for (const auto &b : buttons)
        for (int pressed : { 1, 0 }) {
            SendMessageTimeoutA(GetDlgItem(page_[MOVIES], b.id), BM_SETSTATE, pressed, 0, SMTO_ABORTIFHUNG, 5000, NULL);
            RECT r; BITMAP source;
            GetWindowRect(GetDlgItem(page_[MOVIES], b.id), &r);
            const int w = r.right - r.left, h = r.bottom - r.top, id = (dpi >= 120 ? b.upHighDpi : b.up) + pressed;
            HGDIOBJ oldArt = SelectObject(art, LoadBitmapA(exe, MAKEINTRESOURCEA(id)));
            HGDIOBJ old = SelectObject(expected, CreateCompatibleBitmap(screen, w, h));
            GetObjectA(GetCurrentObject(art, OBJ_BITMAP), sizeof source, &source);
            int differing = -1;        /* the screen's pixels XOR the art's, counted where they are not 0 */
            WaitUntil([&] {
                StretchBlt(expected, 0, 0, w, h, art, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
                BitBlt(expected, 0, 0, w, h, screen, r.left, r.top, SRCINVERT);
                differing = 0;
                for (int i = 0; i < w * h; i++)
                    differing += GetPixel(expected, i % w, i / w) != 0;
                return differing == 0;
            }, 5000);
            EXPECT_EQ(0, differing) << "art " << id;
            DeleteObject(SelectObject(art, oldArt)), DeleteObject(SelectObject(expected, old));
        }
    DeleteDC(art), DeleteDC(expected), ReleaseDC(NULL, screen), FreeLibrary(exe);

    SetWindowPos(page_[MOVIES], NULL, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return ReadDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI") == dpi; }, 5000));
    PostMessageA(page_[GENERAL], WM_QUIT, 0, 0);
    ASSERT_EQ(0, companion_.WaitExit(10000));
    SetDwordValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI", 240 - dpi);        /* 96 and 144 swapped */
    DeleteFileA((folder_.Path() + "\\zentu64-calls.log").c_str());
    Pages::SetUp();        /* the companion started again, in the same folder */
    RECT shown;
    GetWindowRect(page_[GENERAL], &shown);
    EXPECT_FALSE(shown.left == 10 && shown.top == 20) << "the place stored at another DPI was taken";
}
