#include "support/page_set.h"

void PagesInProcess::SetUp()
{
    ProgramInstance = GetModuleHandleA(NULL);
    FillFolderPaths();
    ApplySettingDefaults();
    library_ = LoadLibraryA((folder_.Path() + "\\zentu64.dll").c_str());
    ASSERT_TRUE(library_);
    ZentuSetup = reinterpret_cast<ZENTU_SETUP_PROC *>(reinterpret_cast<void *>(GetProcAddress(library_, "ZentuSetup")));
    ZentuCount = reinterpret_cast<ZENTU_COUNT_PROC *>(reinterpret_cast<void *>(GetProcAddress(library_, "ZentuCount")));
}

void PagesInProcess::TearDown()
{
    DestroyPageSet();
    /* and with it the WM_QUIT the pages posted */
    PumpFor(50);
    ZentuSetup = NULL;
    ZentuCount = NULL;
    FreeLibrary(library_);
}

void PagesInProcess::Create()
{
    CreatePageSet();
    ASSERT_TRUE(GeneralPage && FpsPage && MoviesPage && ScreenshotsPage);
}

void PagesInProcess::Click(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

bool PagesInProcess::IsChecked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

std::string PagesInProcess::Text(HWND page, int id)
{
    return WindowText(GetDlgItem(page, id));
}

std::vector<LibraryCall> PagesInProcess::Calls() const
{
    return folder_.Calls();
}

std::vector<LibraryCall> PagesInProcess::SetupCalls() const
{
    return folder_.SetupCalls();
}
