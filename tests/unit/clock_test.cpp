#include "base/clock.h"

#include <gtest/gtest.h>

TEST(MsClock, ConvertsCountsToMillisecondsRoundedByHalfAFrequency)
{
    static const struct { ULONGLONG counter, frequency; DWORD ms; } cases[] = {
        { 0, 1000, 500 },
        { 1000, 1000, 1500 },
        { 3000000000ULL * 1000, 3000000000ULL, 1000500 },
        { 4294966795ULL, 1000, 4294967295UL },
        { 4294966796ULL, 1000, 0 }, /* wraps at 2^32 ms */
        /* (counter + half) * 1000 leaves 64 bits */
        { 18446744073709551ULL, 3000000000ULL, 1853947895UL },
        { ~0ULL, 10000000ULL, 3133608639UL },
        /* counter + half carries past 2^64, and so does remainder * 1000 */
        { ~0ULL, 4611686018427400249ULL, 4499 },
        { ~0ULL, ~0ULL, 1499 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.ms, CounterToMilliseconds(c.counter, c.frequency)) << c.counter << " at " << c.frequency;
}

/* Elapsed time counts, so that a pass missing the last milliseconds before
 * the 2^32 wrap (a box open across it) still refreshes right after it. */
TEST(MsClock, RefreshIsDue3000MsAfterTheLastOneAcrossTheWrap)
{
    static const struct { DWORD now, last; BOOL due; } cases[] = {
        { 2999, 0, FALSE },
        { 3000, 0, TRUE },
        { 4294966295UL, 4294963296UL, FALSE },
        { 4294966296UL, 4294963296UL, TRUE },
        { 5, 4294963296UL, TRUE },
        { 4294966297UL, 4294966296UL, FALSE },
        { 1999, 4294966296UL, FALSE },
        { 2000, 4294966296UL, TRUE },
        /* No pass between last + 3000 and the wrap: the next pass after it is due, not one 49.7 days on. */
        { 4294967288UL, 4294964290UL, FALSE },
        { 3, 4294964290UL, TRUE },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.due, RefreshIsDue(c.now, c.last, 3000)) << "now " << c.now << ", last " << c.last;
}
