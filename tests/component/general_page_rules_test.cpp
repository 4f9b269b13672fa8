/* The general page's options and the library: the two settings reach it with one call each, the start-up entry
 * with none. */
#include "support/page_set.h"

#include "resources/resource.h"
#include "support/imports.h"

#include <string.h>

class GeneralPageRules : public PagesInProcess {
protected:
    /* The library calls a click on the box brought. */
    size_t CallsOfClick(int id)
    {
        size_t before = SetupCalls().size();
        Click(GeneralPage, id);
        return SetupCalls().size() - before;
    }

    static constexpr const char *RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ScopedKeyRestore run_{ HKEY_CURRENT_USER, RunKey };
};

TEST_F(GeneralPageRules, StartMinimisedReachesTheLibraryWithOneCall)
{
    Create();
    EXPECT_EQ(1u, CallsOfClick(IDC_GENERAL_START_MINIMISED));
}

TEST_F(GeneralPageRules, AlwaysOnTopReachesTheLibraryWithOneCall)
{
    Create();
    EXPECT_EQ(1u, CallsOfClick(IDC_GENERAL_ALWAYS_ON_TOP));
}

TEST_F(GeneralPageRules, RunAtStartupMakesNoLibraryCall)
{
    Create();
    EXPECT_EQ(0u, CallsOfClick(IDC_GENERAL_RUN_AT_STARTUP));
}

TEST_F(GeneralPageRules, RunAtStartupStartsUnchecked)
{
    Create();
    EXPECT_FALSE(IsChecked(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP));
}

/* What the program hands the registry: Wine would add a missing terminator of a REG_SZ on its own, Windows not. */
typedef LSTATUS(WINAPI SET_VALUE_PROC)(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                       DWORD size);
static SET_VALUE_PROC *SystemSetValue;
static DWORD EntrySize;

static LSTATUS WINAPI RecordSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    if (name && strcmp(name, "Zentu") == 0)
        EntrySize = size;
    return SystemSetValue(key, name, reserved, type, data, size);
}

TEST_F(GeneralPageRules, TheStartupEntryIsHandedOverWithItsTerminatingZero)
{
    SetStringValue(HKEY_CURRENT_USER, RunKey, "Other", "other.exe");
    Create();
    EntrySize = 0;
    void *system = ReplaceImport("RegSetValueExA", reinterpret_cast<void *>(RecordSetValue));
    ASSERT_TRUE(system);
    SystemSetValue = reinterpret_cast<SET_VALUE_PROC *>(system);
    Click(GeneralPage, IDC_GENERAL_RUN_AT_STARTUP);
    ReplaceImport("RegSetValueExA", system);
    std::string command = "\"" + std::string(ProgramFolder) + "\\zentu.exe\"";
    EXPECT_EQ(command.size() + 1, EntrySize);
}
