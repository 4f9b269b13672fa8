/* The performance-counter millisecond clock, with GetTickCount as fallback. */
#include "base/clock.h"

DWORD MsClock;
static ULONGLONG ClockFrequency;

/* floor(remainder * 1000 / divisor) for remainder < divisor, without overflow. */
static ULONGLONG ScaleRemainder(ULONGLONG remainder, ULONGLONG divisor)
{
    const ULONGLONG scale = 1000;
    if (remainder <= ~0ULL / scale)
        return remainder * scale / divisor;
    /* Divisors above 1.8e16 counts per second do not exist in practice; long
     * division keeps the result exact anyway. remainder * 1000 < 2^74. */
    ULONGLONG high = 0, low = 0;
    for (int bit = 0; bit < 10; bit++) {       /* 1000 = 0b1111101000 */
        if (scale & (1ULL << bit)) {
            ULONGLONG partLow = remainder << bit;
            ULONGLONG partHigh = bit ? remainder >> (64 - bit) : 0;
            ULONGLONG sum = low + partLow;
            high += partHigh + (sum < low);
            low = sum;
        }
    }
    ULONGLONG quotient = 0, rest = 0;
    for (int bit = 127; bit >= 0; bit--) {
        ULONGLONG carry = rest >> 63;
        rest = (rest << 1) | ((bit >= 64 ? high >> (bit - 64) : low >> bit) & 1);
        quotient <<= 1;
        if (carry || rest >= divisor) {
            rest -= divisor;
            quotient |= 1;
        }
    }
    return quotient;
}

DWORD CounterToMilliseconds(ULONGLONG counter, ULONGLONG frequency)
{
    ULONGLONG half = frequency >> 1;
    ULONGLONG sum = counter + half;
    if (sum >= counter && sum <= ~0ULL / 1000)
        return (DWORD)(sum * 1000 / frequency);

    /* Split the sum as quotient * frequency + remainder so that no product
     * exceeds 64 bits; the sum may itself carry past 2^64. */
    ULONGLONG quotient = counter / frequency;
    ULONGLONG remainder = counter % frequency;
    /* half < frequency, so adding it moves the quotient by at most one. */
    if (remainder >= frequency - half) {
        remainder -= frequency - half;
        quotient += 1;
    } else {
        remainder += half;
    }
    /* Only the low 32 bits are kept, so wrapping the 64-bit product is fine. */
    return (DWORD)(quotient * 1000 + ScaleRemainder(remainder, frequency));
}

BOOL RefreshIsDue(DWORD now, DWORD last, DWORD interval)
{
    /* Elapsed time, not a due time: "last + interval" wraps near 2^32, and a
     * pass that misses the short window before the wrap would then wait
     * another 49.7 days for the refresh that tells it "Running" went to 0. */
    return (DWORD)(now - last) >= interval;
}

void SetupMsClock(void)
{
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency))
        frequency.QuadPart = 0;
    ClockFrequency = (ULONGLONG)frequency.QuadPart;
}

DWORD UpdateMsClock(void)
{
    if (ClockFrequency != 0) {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        MsClock = CounterToMilliseconds((ULONGLONG)counter.QuadPart, ClockFrequency);
    } else {
        MsClock = GetTickCount();
    }
    return MsClock;
}
