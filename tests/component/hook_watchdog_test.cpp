/* The keyboard hook's watchdog and a hook that never went in at start-up: start-up reported it, nothing retries. */
#include "base/base.h"
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

TEST(KeyboardHookWatchdog, AHookThatNeverWentInAtStartUpIsNotRetried)
{
    KeyboardHookTimeout = DEFAULT_HOOK_TIMEOUT_MS;
    /* No module of that handle: the platform refuses the hook. */
    ProgramInstance = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x10000));
    InstallKeyboardHook();
    ASSERT_EQ(NULL, KeyboardHook);
    ProgramInstance = GetModuleHandleA(NULL);
    DWORD later = KeyboardHookInstalledAt + 10 * DEFAULT_HOOK_TIMEOUT_MS;
    EXPECT_FALSE(WatchKeyboardHook(KeyboardHookInstalledAt, later));
    EXPECT_EQ(NULL, KeyboardHook);
    RemoveKeyboardHook();
}
