/* The movies and screenshots pages in the running companion. */
#include "page_fixture.h"
#include "resources/resource.h"
#include "support/input.h"

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
class PlantedLibrary : public Pages {
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
        Pages::TearDown();
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
