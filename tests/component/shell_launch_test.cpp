/* What the pages hand the shell: help files opened maximised, folders explored with one backslash at their end.
 * The shell's launch is recorded on the launching thread instead of run. */
#include "support/page_set.h"

#include "resources/resource.h"
#include "support/imports.h"

#include <shellapi.h>

#include <mutex>

struct ShellRequest {
    HWND owner;
    std::string verb;
    std::string file;
    std::string directory;
    int show;
};

static std::mutex RequestsLock;
static std::vector<ShellRequest> Requests;

static BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOA *info)
{
    ShellRequest request;
    request.owner = info->hwnd;
    request.verb = info->lpVerb ? info->lpVerb : "";
    request.file = info->lpFile ? info->lpFile : "";
    request.directory = info->lpDirectory ? info->lpDirectory : "";
    request.show = info->nShow;
    std::lock_guard<std::mutex> hold(RequestsLock);
    Requests.push_back(request);
    return TRUE;
}

class ShellLaunch : public PagesInProcess {
protected:
    void SetUp() override
    {
        PagesInProcess::SetUp();
        Requests.clear();
        system_ = ReplaceImport("ShellExecuteExA", reinterpret_cast<void *>(RecordShellExecute));
        ASSERT_TRUE(system_);
    }
    void TearDown() override
    {
        ReplaceImport("ShellExecuteExA", system_);
        PagesInProcess::TearDown();
    }
    /* The one request a click on the button brought. */
    static ShellRequest RequestOf(HWND page, int id)
    {
        std::unique_lock<std::mutex> clearing(RequestsLock);
        Requests.clear();
        clearing.unlock();
        Click(page, id);
        WaitUntil([] {
            std::lock_guard<std::mutex> hold(RequestsLock);
            return !Requests.empty();
        }, 5000);
        std::lock_guard<std::mutex> hold(RequestsLock);
        EXPECT_EQ(1u, Requests.size());
        return Requests.empty() ? ShellRequest() : Requests.front();
    }

    void *system_ = NULL;
};

TEST_F(ShellLaunch, AHelpFileOpensMaximised)
{
    Create();
    ShellRequest request = RequestOf(GeneralPage, IDC_GENERAL_HELP);
    EXPECT_EQ("open", request.verb);
    EXPECT_EQ("HELP_GENERAL.HTM", request.file);
    EXPECT_EQ(SW_SHOWMAXIMIZED, request.show);
}

/* A folder without its backslash gets one; a folder with it is explored as it stands. */
TEST_F(ShellLaunch, AViewButtonExploresItsPagesFolderEndingInOneBackslash)
{
    strcpy(SharedSettings.MovieDirectory, "C:\\Films");
    strcpy(SharedSettings.ScreenshotDirectory, "C:\\Shots\\");
    Create();
    const struct {
        HWND page;
        int id;
        const char *folder;
    } buttons[] = {
        { MoviesPage, IDC_MOVIES_VIEW_FOLDER, "C:\\Films\\" },
        { ScreenshotsPage, IDC_SCREENSHOTS_VIEW_FOLDER, "C:\\Shots\\" },
    };
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.folder);
        ShellRequest request = RequestOf(b.page, b.id);
        EXPECT_EQ(b.page, request.owner);
        EXPECT_EQ("explore", request.verb);
        EXPECT_EQ(b.folder, request.file);
        EXPECT_EQ("", request.directory);
        EXPECT_EQ(SW_SHOWNORMAL, request.show);
    }
}
