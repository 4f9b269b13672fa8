/* The general page's options and the library: the two settings reach it with one call each, the start-up entry
 * with none. */
#include "support/page_set.h"

#include "resources/resource.h"

class GeneralPageRules : public PagesInProcess {
protected:
    /* The library calls a click on the box brought. */
    size_t CallsOfClick(int id)
    {
        size_t before = SetupCalls().size();
        Click(GeneralPage, id);
        return SetupCalls().size() - before;
    }

    ScopedKeyRestore run_{ HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run" };
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
