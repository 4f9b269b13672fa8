/* Shared pieces of the end-to-end tests. */
#pragma once

#include "support/companion.h"
#include "support/registry.h"
#include "support/windows.h"

#include <gtest/gtest.h>

/* Every end-to-end test starts without the settings key and puts it back. */
class CompanionTest : public testing::Test {
protected:
    ScopedKeyRestore settingsKey_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };

    static void SetRunning(DWORD running)
    {
        SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", running);
    }
};

/* The first call that carries the library's hook handles: start-up's own
 * call after the hooks went in. -1 when there is none. */
inline int FirstCallWithHooks(const std::vector<LibraryCall> &setups)
{
    for (size_t i = 0; i < setups.size(); i++)
        if (setups[i].Address(1) != 0 && setups[i].Address(2) != 0)
            return (int)i;
    return -1;
}

inline bool HasShutdownCall(const std::vector<LibraryCall> &calls)
{
    return !calls.empty() && calls.back().name == "ZentuSetup" && calls.back().Number(3) == 1;
}

/* Only the last call carries the shutdown flag. */
inline void ExpectOneShutdownCallAtTheEnd(const std::vector<LibraryCall> &setups)
{
    ASSERT_FALSE(setups.empty());
    for (size_t i = 0; i + 1 < setups.size(); i++)
        EXPECT_EQ(0u, setups[i].Number(3)) << "call " << i;
    EXPECT_EQ(1u, setups.back().Number(3));
}
