/* The movies and screenshots pages in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

class MediaPages : public Pages {
protected:
    /* Gives a control of a page the keyboard focus, as a click would. */
    bool FocusControl(int index, int id)
    {
        PostMessageA(Control(index, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(Control(index, id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        GUITHREADINFO gui;
        return WaitUntil([&] {
            gui.cbSize = sizeof gui;
            return GetGUIThreadInfo(GetWindowThreadProcessId(page_[index], NULL), &gui) &&
                   gui.hwndFocus == Control(index, id);
        }, 5000);
    }

    const LibraryCall *AfterSettling(size_t seen)
    {
        record_ = CallsAfterSettling(seen);
        return LastSetup(record_);
    }

    std::vector<LibraryCall> record_;
};

TEST_F(MediaPages, HotkeyFieldsOfBothPagesAssignThroughTheKeyboard)
{
    struct FieldCase {
        int page;
        int field;
        int position;
        WORD key;
        const char *name;
    };
    static const FieldCase cases[] = {
        { MOVIES, IDC_MOVIES_MOVIE_KEY, 58, VK_F6, "F6" },
        { SCREENSHOTS, IDC_SCREENSHOTS_CAPTURE_KEY, 59, VK_F7, "F7" },
    };
    for (const FieldCase &c : cases) {
        SCOPED_TRACE(c.name);
        ShowWindow(page_[c.page], SW_SHOW);
        ASSERT_TRUE(FocusControl(c.page, c.field));
        SendKey(c.key, false);
        SendKey(c.key, true);
        ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(c.page, c.field)) == c.name; }, 5000))
            << WindowText(Control(c.page, c.field));
        size_t seen = folder_.Calls().size();
        ClickDesignPoint(c.page, 300, 262);
        const LibraryCall *last = AfterSettling(seen);
        ASSERT_TRUE(last);
        EXPECT_EQ((UINT32)c.key, last->Number(c.position) & 0xFFFF);
        ShowWindow(page_[c.page], SW_HIDE);
    }
}

TEST_F(MediaPages, CustomBoxTypingAndFocusChooseTheCustomRate)
{
    EXPECT_EQ(BST_CHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_30));      /* the default 30 */
    EXPECT_EQ("0", WindowText(Control(MOVIES, IDC_MOVIES_CUSTOM_RATE)));
    ShowWindow(page_[MOVIES], SW_SHOW);

    size_t seen = folder_.Calls().size();
    ASSERT_TRUE(FocusControl(MOVIES, IDC_MOVIES_CUSTOM_RATE));
    const LibraryCall *last = AfterSettling(seen);
    ASSERT_TRUE(last);
    EXPECT_EQ(20u, last->Number(20));
    EXPECT_EQ(BST_CHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_CUSTOM));
    EXPECT_EQ(BST_UNCHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_30));

    /* 60 fps while the box has the focus: the box's rule first, then 60. */
    seen = record_.size();
    Click(MOVIES, IDC_MOVIES_RATE_60);
    last = AfterSettling(seen);
    EXPECT_EQ(60u, last->Number(20));
    EXPECT_EQ(BST_CHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_60));
    EXPECT_EQ(BST_UNCHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_CUSTOM));

    /* Typing into the box means the custom rate again; letters vanish. */
    ASSERT_TRUE(FocusControl(MOVIES, IDC_MOVIES_CUSTOM_RATE));
    SendMessageA(Control(MOVIES, IDC_MOVIES_CUSTOM_RATE), EM_SETSEL, 0, -1);
    seen = folder_.Calls().size();
    Type(MOVIES, IDC_MOVIES_CUSTOM_RATE, "2x9.97");
    last = AfterSettling(seen);
    EXPECT_EQ(20u, last->Number(20));
    EXPECT_EQ("29.97", WindowText(Control(MOVIES, IDC_MOVIES_CUSTOM_RATE)));
    EXPECT_EQ(BST_CHECKED, CheckState(MOVIES, IDC_MOVIES_RATE_CUSTOM));
}

/* The folder browser the companion opens, found by its owner. */
static HWND WaitForFolderBrowser(HWND owner)
{
    HWND pair[2] = { NULL, owner };
    WaitUntil([&] {
        EnumWindows([](HWND window, LPARAM lParam) -> BOOL {
            HWND *result = (HWND *)lParam;
            char className[32] = "";
            GetClassNameA(window, className, sizeof className);
            if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) &&
                GetWindow(window, GW_OWNER) == result[1]) {
                result[0] = window;
                return FALSE;
            }
            return TRUE;
        }, (LPARAM)pair);
        return pair[0] != NULL;
    }, 15000);
    return pair[0];
}

/* Whether any child of a window shows this text. */
static bool ShowsText(HWND window, const std::string &text)
{
    std::pair<std::string, bool> search{ text, false };
    EnumChildWindows(window, [](HWND child, LPARAM lParam) -> BOOL {
        auto *s = (std::pair<std::string, bool> *)lParam;
        if (WindowText(child) == s->first)
            s->second = true;
        return TRUE;
    }, (LPARAM)&search);
    return search.second;
}

TEST_F(MediaPages, ChangeFolderGoesThroughTheShellFolderBrowser)
{
    struct FolderCase {
        int page;
        int change, shown;
        int position;
        const char *prompt;
    };
    static const FolderCase cases[] = {
        { MOVIES, IDC_MOVIES_CHANGE_FOLDER, IDC_MOVIES_FOLDER, 7, "Please select the folder to save Zentu movies in:" },
        { SCREENSHOTS, IDC_SCREENSHOTS_CHANGE_FOLDER, IDC_SCREENSHOTS_FOLDER, 8, "Please select the folder to save Zentu screenshots in:" },
    };
    for (const FolderCase &c : cases) {
        SCOPED_TRACE(c.prompt);
        ShowWindow(page_[c.page], SW_SHOW);
        std::string before = WindowText(Control(c.page, c.shown));
        EXPECT_EQ(folder_.Path(), before);

        /* Cancel: the folder stays. */
        PostMessageA(Control(c.page, c.change), BM_CLICK, 0, 0);
        HWND browser = WaitForFolderBrowser(page_[c.page]);
        ASSERT_TRUE(browser) << testing::PrintToString(ProcessWindowCaptions(companion_.Pid()));
        EXPECT_TRUE(ShowsText(browser, c.prompt));
        size_t seen = folder_.Calls().size();
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        const LibraryCall *last = AfterSettling(seen);
        ASSERT_TRUE(last);
        EXPECT_EQ(before, last->Text(c.position));
        EXPECT_EQ(before, WindowText(Control(c.page, c.shown)));

        /* OK with the browser's own selection: the chosen folder is taken. */
        PostMessageA(Control(c.page, c.change), BM_CLICK, 0, 0);
        browser = WaitForFolderBrowser(page_[c.page]);
        ASSERT_TRUE(browser);
        seen = folder_.Calls().size();
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
        last = AfterSettling(seen);
        ASSERT_TRUE(last);
        std::string chosen = last->Text(c.position);
        EXPECT_FALSE(chosen.empty());
        EXPECT_EQ(chosen, WindowText(Control(c.page, c.shown)));
        ShowWindow(page_[c.page], SW_HIDE);
    }
}

/* A library the process loads by its bare name comes from the program's own
 * folder or the system folder, never from the current folder, where anyone
 * may plant one; the folder browser, which loads the shell's parts, still
 * opens. */
class PlantedLibrary : public MediaPages {
protected:
    void BeforeStart() override
    {
        SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", "zentu-helper.dll");
        ASSERT_TRUE(CreateDirectoryA(work_.c_str(), NULL));
        ASSERT_TRUE(CopyFileA(BuildPath("fakes/planted/zentu-helper.dll").c_str(),
                              (PlantIn() + "\\zentu-helper.dll").c_str(), FALSE));
    }
    void TearDown() override
    {
        MediaPages::TearDown();
        SetEnvironmentVariableA("ZENTU_STANDIN_LOAD", NULL);
    }
    std::string CurrentFolder() const override { return work_; }
    virtual std::string PlantIn() const { return work_; }

    bool PlantedLoaded() const
    {
        return GetFileAttributesA((PlantIn() + "\\planted-library-loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string work_ = folder_.Path() + "\\work";
};

/* The same library beside the program is the library's own and loads. */
class HelperBesideTheProgram : public PlantedLibrary {
protected:
    std::string PlantIn() const override { return folder_.Path(); }
};
