/* "LowLevelHooksTimeout" stored as text: tweaking tools write it with or without the text's terminator. */
#include "hotkeys/hotkeys.h"

#include <gtest/gtest.h>

struct TimeoutTextCase {
    const char *data;
    DWORD size;
    BOOL number;
    DWORD milliseconds;
};
static const TimeoutTextCase TimeoutTextCases[] = {
    { "1000", 4, TRUE, 1000 },
    { "1000", 5, TRUE, 1000 },
    { "450", 3, TRUE, 450 },
    { "0000000000000450", 16, TRUE, 450 },
    { "00000000000000450", 17, FALSE, 0 },
    { "soon", 5, FALSE, 0 },
    { "", 0, FALSE, 0 },
};

TEST(HookTimeoutText, IsReadWholeWithOrWithoutItsTerminator)
{
    for (const TimeoutTextCase &c : TimeoutTextCases) {
        SCOPED_TRACE(testing::Message() << c.data << " in " << c.size << " bytes");
        DWORD milliseconds = 0;
        EXPECT_EQ(c.number, ParseHookTimeoutText(c.data, c.size, &milliseconds));
        EXPECT_EQ(c.milliseconds, milliseconds);
    }
}
