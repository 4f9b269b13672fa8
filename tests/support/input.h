/* Input as a user gives it, and a message pump for the test's own windows. */
#pragma once

#include <windows.h>

#include <functional>

/* The tests' own key events carry this, for the tests' low-level hooks. */
const ULONG_PTR TestKeys = 0x5A4B4859;
/* A key going down or up through SendInput, with its scan code; extraInfo
 * reaches low-level hooks, which can tell the test's keys by it. */
void SendKey(WORD vk, bool up, ULONG_PTR extraInfo = 0);
/* A key pressed and released. */
void PressKey(WORD vk, ULONG_PTR extraInfo = 0);
/* Dispatches the test thread's messages for that long. */
void PumpFor(DWORD milliseconds);
/* Dispatches the test thread's messages (and the low-level hook calls the
 * system sends it) until done() holds or the deadline passes. */
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs);
