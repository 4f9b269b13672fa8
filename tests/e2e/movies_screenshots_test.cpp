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

TEST_F(PlantedLibrary, IsNotLoadedFromTheCurrentFolder)
{
    ShowWindow(page_[MOVIES], SW_SHOW);
    PostMessageA(Control(MOVIES, IDC_MOVIES_CHANGE_FOLDER), BM_CLICK, 0, 0);
    HWND browser = WaitForFolderBrowser(page_[MOVIES]);
    ASSERT_TRUE(browser) << "the folder browser did not open";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 5000));
    EXPECT_FALSE(PlantedLoaded()) << "the library planted in the current folder was loaded";
    EXPECT_TRUE(companion_.Running());
}

/* The same library beside the program is the library's own and loads. */
class HelperBesideTheProgram : public PlantedLibrary {
protected:
    std::string PlantIn() const override { return folder_.Path(); }
};

TEST_F(HelperBesideTheProgram, IsLoadedFromTheProgramFolder)
{
    EXPECT_TRUE(WaitUntil([&] { return PlantedLoaded(); }, 5000));
}
