#include "app/clock.h"

#include <gtest/gtest.h>

#include <vector>

struct ClockCase {
    ULONGLONG counter;
    ULONGLONG frequency;
    DWORD expected;
};

TEST(MsClock, ConvertsCountsToMillisecondsWithHalfFrequencyOffset)
{
    static const ClockCase cases[] = {
        { 0, 1000, 500 },
        { 1000, 1000, 1500 },
        { 4294966795ULL, 1000, 4294967295UL },       /* last value before the wrap */
        { 4294966796ULL, 1000, 0 },                  /* wraps at 2^32 ms */
        { 3000000000ULL * 1000, 3000000000ULL, 1000500 },
        /* Past the point where (counter + half) * 1000 leaves 64 bits. */
        { 18446744073709551ULL, 3000000000ULL, 1853947895UL },
        { 20000000000000000ULL, 3000000000ULL, 2371699870UL },
        { 18446744073709551615ULL, 3000000000ULL, 2816491160UL },
        { 18446744073709551615ULL, 10000000ULL, 3133608639UL },
        /* counter + half itself carries past 2^64, and huge frequencies. */
        { 18446744073709551615ULL, 4611686018427400249ULL, 4499 },
        { 18446744073709551615ULL, 18446744073709551615ULL, 1499 },
    };
    for (const ClockCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "counter " << c.counter << " frequency " << c.frequency);
        EXPECT_EQ(c.expected, CounterToMilliseconds(c.counter, c.frequency));
    }
}

TEST(MsClock, AdvancesOneMillisecondPerStepAcrossTheOverflowPoint)
{
    const ULONGLONG frequency = 3000000000ULL;            /* 3 GHz counter */
    const ULONGLONG perMs = frequency / 1000;
    /* First counter whose (counter + half) * 1000 no longer fits 64 bits. */
    const ULONGLONG boundary = ~0ULL / 1000 - frequency / 2 + 1;
    ULONGLONG start = boundary - 5 * perMs;
    DWORD previous = CounterToMilliseconds(start, frequency);
    for (int step = 1; step <= 10; step++) {
        DWORD value = CounterToMilliseconds(start + step * perMs, frequency);
        EXPECT_EQ((DWORD)(previous + 1), value) << "step " << step;
        previous = value;
    }
}

TEST(MsClock, RefreshIsDueAfterTheIntervalAcrossTheWrap)
{
    struct DueCase {
        DWORD now, last;
        BOOL due;
    };
    static const DueCase cases[] = {
        { 2999, 0, FALSE },
        { 3000, 0, TRUE },
        { 102999, 100000, FALSE },
        { 103000, 100000, TRUE },
        /* last + 3000 still below 2^32 */
        { 4294966295UL, 4294963296UL, FALSE },
        { 4294966296UL, 4294963296UL, TRUE },
        /* A pass after the wrap is still counted from last. */
        { 5, 4294963296UL, TRUE },
        /* last less than 3000 below 2^32: the sum wraps, yet the next pass
         * is not due; 3000 ms after last is. */
        { 4294966297UL, 4294966296UL, FALSE },
        { 1999, 4294966296UL, FALSE },
        { 2000, 4294966296UL, TRUE },
    };
    for (const DueCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "now " << c.now << " last " << c.last);
        EXPECT_EQ(c.due, RefreshIsDue(c.now, c.last, 3000));
    }
}

/* A pass that misses the last milliseconds before the wrap (a message box or
 * a slow library call open across it) must not stall the refresh. */
TEST(MsClock, APassMissingTheWindowBeforeTheWrapStillRefreshes)
{
    DWORD last = 4294964290UL;
    const DWORD passes[] = { 4294967288UL, 3, 3000 };
    std::vector<DWORD> refreshedAt;
    for (DWORD now : passes)
        if (RefreshIsDue(now, last, 3000)) {
            refreshedAt.push_back(now);
            last = now;
        }
    EXPECT_EQ(std::vector<DWORD>{ 3 }, refreshedAt);
}

TEST(MsClock, UpdateFollowsTheRealCounter)
{
    SetupMsClock();
    DWORD first = UpdateMsClock();
    EXPECT_EQ(first, MsClock);
    Sleep(50);
    DWORD elapsed = UpdateMsClock() - first;
    EXPECT_GE(elapsed, 45u);
    EXPECT_LT(elapsed, 5000u);
}
