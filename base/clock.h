/*
 * MsClock: the companion's 32-bit millisecond clock. Only differences between
 * two values mean anything; the value wraps at 2^32.
 */
#pragma once

#include <windows.h>

extern DWORD MsClock;

/* Queries the performance-counter frequency once; 0 selects GetTickCount. */
void SetupMsClock(void);

/* Takes a new reading, stores it in MsClock and returns it. */
DWORD UpdateMsClock(void);

/*
 * The low 32 bits of (counter + frequency / 2) * 1000 / frequency, exact for
 * every counter value (the product is never allowed to overflow).
 * frequency must not be 0.
 */
DWORD CounterToMilliseconds(ULONGLONG counter, ULONGLONG frequency);

/* The main loop's due test: at least interval milliseconds have passed since
 * last, counted across the clock's wrap at 2^32. */
BOOL RefreshIsDue(DWORD now, DWORD last, DWORD interval);
