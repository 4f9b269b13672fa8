/* The four pages in-process: real dialogs from the program's templates, the real registry, and the stand-in
 * library recording every call it gets. The test puts its settings in place and then creates the pages. */
#pragma once
#include "support/companion.h"

#include "base/base.h"
#include "pages/pages.h"
#include "settings/hook_library.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

class PagesInProcess : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    /* Creates the pages after the test has put its settings in place. */
    void Create();
    static void Click(HWND page, int id);
    static bool IsChecked(HWND page, int id);
    static std::string Text(HWND page, int id);
    std::vector<LibraryCall> Calls() const;
    std::vector<LibraryCall> SetupCalls() const;

    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2" };
    CompanionFolder folder_{ "normal" };
    HMODULE library_ = NULL;
};
