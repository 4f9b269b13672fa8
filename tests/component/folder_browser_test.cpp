/* What the change-folder buttons ask the folder browser: the browser is recorded and cancelled instead of shown. */
#include "support/page_set.h"

#include "resources/resource.h"
#include "support/imports.h"

#include <shlobj.h>

static std::string BrowserTitle;
static HWND BrowserOwner;

static LPITEMIDLIST WINAPI RecordBrowser(BROWSEINFOA *browse)
{
    BrowserTitle = browse->lpszTitle ? browse->lpszTitle : "";
    BrowserOwner = browse->hwndOwner;
    return NULL;
}

class FolderBrowser : public PagesInProcess {
protected:
    /* The title of the browser a click on the button opened. */
    static std::string TitleOfClick(HWND page, int id)
    {
        BrowserTitle = "(no browser)";
        BrowserOwner = NULL;
        void *system = ReplaceImport("SHBrowseForFolderA", reinterpret_cast<void *>(RecordBrowser));
        EXPECT_TRUE(system);
        Click(page, id);
        ReplaceImport("SHBrowseForFolderA", system);
        return BrowserTitle;
    }
};

TEST_F(FolderBrowser, TheScreenshotsPageAsksForTheScreenshotFolder)
{
    Create();
    EXPECT_EQ("Please select the folder to save Zentu screenshots in:",
              TitleOfClick(ScreenshotsPage, IDC_SCREENSHOTS_CHANGE_FOLDER));
    EXPECT_EQ(ScreenshotsPage, BrowserOwner);
}

TEST_F(FolderBrowser, TheMoviesPageAsksForTheMovieFolder)
{
    Create();
    EXPECT_EQ("Please select the folder to save Zentu movies in:", TitleOfClick(MoviesPage, IDC_MOVIES_CHANGE_FOLDER));
    EXPECT_EQ(MoviesPage, BrowserOwner);
}
