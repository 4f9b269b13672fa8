/* One walk through the settings pages of the running companion, driven from
 * outside as the main tool's notification icon and the user drive them. */
#include "page_fixture.h"
#include "resources/resource.h"

#include <algorithm>

/* Runs zentu64-notify.exe with an argument and returns its exit code. */
static long RunNotify(const std::string &argument)
{
    CompanionProcess tool;
    if (!tool.Start(BuildPath("zentu64-notify.exe"), argument))
        return -1;
    return tool.WaitExit(10000);
}

static HWND WaitForMenu()
{
    HWND menu = NULL;
    WaitUntil([&] { return (menu = FindWindowA("#32768", NULL)) != NULL && IsWindowVisible(menu); }, 10000);
    return menu;
}

/* A visible shell window of any process showing this folder name. */
static HWND FindExplorerWindow(const std::string &folderName)
{
    std::pair<std::string, HWND> search{ folderName, NULL };
    EnumWindows([](HWND window, LPARAM lParam) -> BOOL {
        auto *s = (std::pair<std::string, HWND> *)lParam;
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        if (IsWindowVisible(window) && strcmp(className, "ExplorerWClass") == 0 && WindowText(window) == s->first)
            s->second = window;
        return s->second == NULL;
    }, (LPARAM)&search);
    return search.second;
}

/* The full, long, lower-case form of an existing path, for comparing. */
static std::string Canonical(const std::string &path)
{
    char full[MAX_PATH] = "", longForm[MAX_PATH] = "";
    GetFullPathNameA(path.c_str(), sizeof full, full, NULL);
    if (!GetLongPathNameA(full, longForm, sizeof longForm))
        return "(missing) " + path;
    std::string result = longForm;
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return (char)tolower(c); });
    return result;
}

/* A recorder registered as the program that opens .htm files stands in for
 * the browser: it writes down what the shell asked it to open, and where.
 * The shell reads the association from the machine's classes under Wine and
 * from the user's first under Windows. */
class PageWalk : public Pages {
protected:
    static constexpr const char *HtmClass = "SOFTWARE\\Classes\\.htm";
    static constexpr const char *RecorderClass = "SOFTWARE\\Classes\\ZentuHelpTest.Recorder";
    ScopedKeyRestore associations_[4] = { { HKEY_LOCAL_MACHINE, HtmClass }, { HKEY_LOCAL_MACHINE, RecorderClass },
                                          { HKEY_CURRENT_USER, HtmClass }, { HKEY_CURRENT_USER, RecorderClass } };

    /* What the recorder was asked to open, resolved in the folder it was
     * started in when the shell handed over a bare name. */
    std::string WaitForOpened(const std::string &record) const
    {
        std::string opened;
        WaitUntil([&] {
            std::string text = ReadWholeFile(record);
            size_t folderAt = text.find("\r\nfolder "), end = text.find("\r\n", folderAt + 2);
            if (text.rfind("open ", 0) != 0 || folderAt == std::string::npos || end == std::string::npos)
                return false;
            opened = text.substr(5, folderAt - 5);
            opened.erase(std::remove(opened.begin(), opened.end(), '"'), opened.end());
            opened.erase(opened.find_last_not_of(" \t") + 1);
            if (opened.find(':') == std::string::npos)
                opened = text.substr(folderAt + 9, end - folderAt - 9) + "\\" + opened;
            return true;
        }, 15000);
        return opened;
    }
};

TEST_F(PageWalk, NotificationTabsMinimiseHelpMenuAndExitPrompt)
{
    for (int i = 0; i < 4; i++)
        EXPECT_FALSE(IsWindowVisible(page_[i])) << PageTitles[i];
    EXPECT_EQ("2.7.3", WindowText(Control(GENERAL, IDC_GENERAL_VERSION)));
    EXPECT_EQ("5834", WindowText(Control(GENERAL, IDC_GENERAL_BUILD)));

    /* The notification tool sends the icon's double click; a tab switches in
     * place; minimise hides; the double click brings back the page used last. */
    EXPECT_EQ(2, RunNotify("sideways"));
    EXPECT_EQ(0, RunNotify("open"));
    ASSERT_TRUE(WaitForVisible({ GENERAL }));
    ClickDesignPoint(GENERAL, 150, 45);
    ASSERT_TRUE(WaitForVisible({ MOVIES }));
    RECT general, movies;
    GetWindowRect(page_[GENERAL], &general);
    GetWindowRect(page_[MOVIES], &movies);
    EXPECT_TRUE(EqualRect(&general, &movies));
    Click(MOVIES, IDC_MOVIES_MINIMISE);
    ASSERT_TRUE(WaitForVisible({}));
    EXPECT_FALSE(IsIconic(page_[MOVIES]));
    ShowCurrentPage();
    ASSERT_TRUE(WaitForVisible({ MOVIES }));

    /* Each Help button opens its page's help file from the help folder. */
    const std::string help = folder_.Path() + "\\help", record = folder_.Path() + "\\opened.txt";
    ASSERT_TRUE(CreateDirectoryA(help.c_str(), NULL));
    const std::string command =
        "\"" + BuildPath("tests/help/zentu_open_recorder.exe") + "\" \"" + record + "\" \"%1\"";
    for (HKEY root : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        SetStringValue(root, HtmClass, "", "ZentuHelpTest.Recorder");
        SetStringValue(root, (std::string(RecorderClass) + "\\shell\\open\\command").c_str(), "", command);
    }
    const struct {
        int page, button;
        const char *file;
    } helpButtons[] = { { GENERAL, IDC_GENERAL_HELP, "HELP_GENERAL.HTM" }, { FPS, IDC_FPS_HELP, "HELP_FPS.HTM" },
                        { MOVIES, IDC_MOVIES_HELP, "HELP_MOVIES.HTM" },
                        { SCREENSHOTS, IDC_SCREENSHOTS_HELP, "HELP_SCREENSHOTS.HTM" } };
    for (const auto &h : helpButtons) {
        SCOPED_TRACE(h.file);
        ASSERT_TRUE(CopyFileA(BuildPath(std::string("help/") + h.file).c_str(), (help + "\\" + h.file).c_str(), FALSE));
        DeleteFileA(record.c_str());
        Click(h.page, h.button);
        EXPECT_EQ(Canonical(help + "\\" + h.file), Canonical(WaitForOpened(record)));
    }

    /* The menu's View commands explore their folders. */
    for (const char *name : { "benchmarks", "moviesfolder", "shotsfolder" })
        ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "\\" + name).c_str(), NULL));
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", folder_.Path() + "\\moviesfolder");
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Screenshot Directory", folder_.Path() + "\\shotsfolder\\");
    folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) {
        return !c.empty() && c.back().name == "ZentuSetup" && c.back().Text(8) == folder_.Path() + "\\shotsfolder\\";
    }, 8000);
    const char *shown[] = { "benchmarks", "moviesfolder", "shotsfolder" };
    for (int down = 2; down <= 4; down++) {      /* Settings, View Benchmarks, View Movies, View Screenshots */
        SCOPED_TRACE(shown[down - 2]);
        EXPECT_EQ(0, RunNotify("menu"));
        HWND menu = WaitForMenu(), explorer = NULL;
        ASSERT_TRUE(menu);
        for (int i = 0; i < down; i++)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitUntil([&] { return (explorer = FindExplorerWindow(shown[down - 2])) != NULL; }, 20000));
        if (explorer)
            PostMessageA(explorer, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));
    }

    /* The close button asks first: Cancel keeps everything, OK ends in order. */
    for (const char *button : { "Cancel", "OK" }) {
        SCOPED_TRACE(button);
        PostMessageA(page_[FPS], WM_CLOSE, 0, 0);
        HWND box = WaitForProcessWindow(companion_.Pid(), "Exit Zentu?", 10000);
        ASSERT_TRUE(box);
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ("Exiting Zentu will stop the counter being shown in your games.  Are you sure you want to unload "
                  "Zentu?", content.text);
        EXPECT_TRUE(content.hasIcon);
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
    Notify(WM_RBUTTONUP);
    HWND menu = WaitForMenu();
    ASSERT_TRUE(menu);
    /* "Exit Zentu" is the last item: up wraps round to it. */
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}
