#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

TEST(HookWatchdog, ReinstallsOnlyAfterAGapLongerThanTheTimeoutWithInputInIt)
{
    struct WatchCase {
        DWORD away, timeout;
        BOOL input;
        BOOL mayBeLost;
    };
    static const WatchCase cases[] = {
        { 2000, 300, TRUE, TRUE },
        { 2000, 300, FALSE, FALSE },  /* nothing waited on the hook */
        { 300, 300, TRUE, FALSE },    /* exactly the timeout is still in time */
        { 301, 300, TRUE, TRUE },
        { 999, 1000, TRUE, FALSE },
        { 5, 300, TRUE, FALSE },      /* an ordinary pass */
    };
    for (const WatchCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "away " << c.away << " timeout " << c.timeout << " input " << c.input);
        EXPECT_EQ(c.mayBeLost, KeyboardHookMayBeLost(c.away, c.timeout, c.input));
    }
}

TEST(HookWatchdog, TimeoutIsTheSettingWithinOneSecondOr300ByDefault)
{
    struct TimeoutCase {
        BOOL configured;
        DWORD value, effective;
    };
    static const TimeoutCase cases[] = {
        { FALSE, 0, 300 }, { FALSE, 5000, 300 }, { TRUE, 0, 300 },
        { TRUE, 200, 200 }, { TRUE, 1000, 1000 }, { TRUE, 1001, 1000 }, { TRUE, 0xFFFFFFFF, 1000 },
    };
    for (const TimeoutCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "configured " << c.configured << " value " << c.value);
        EXPECT_EQ(c.effective, EffectiveHookTimeout(c.configured, c.value));
    }
}
