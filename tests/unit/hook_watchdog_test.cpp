#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

TEST(HookWatchdog, HookMayBeLostOnlyAfterAGapLongerThanTheTimeoutWithInputInIt)
{
    static const struct {
        DWORD away, timeout;
        BOOL input, mayBeLost;
    } cases[] = {
        { 2000, 300, TRUE, TRUE }, { 2000, 300, FALSE, FALSE }, { 300, 300, TRUE, FALSE }, { 301, 300, TRUE, TRUE },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "away " << c.away << " timeout " << c.timeout << " input " << c.input);
        EXPECT_EQ(c.mayBeLost, KeyboardHookMayBeLost(c.away, c.timeout, c.input));
    }
}
