/* Windows and message boxes of another process seen from outside, and the waits that pump the test's messages. */
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

/* Dispatches the test thread's messages (and the system's low-level hook calls) until cond holds or the deadline. */
bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs);
inline void PumpFor(DWORD milliseconds) { WaitUntil([] { return false; }, milliseconds); }

/* A top-level window of the process with this exact caption, a visible one unless hiddenToo; NULL when none. */
HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo);
/* A visible one, polled for until the deadline. */
HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs);
std::string WindowText(HWND window);

struct MessageBoxContent { std::string text; bool hasIcon; std::vector<std::string> buttons; /* visible buttons */ };
MessageBoxContent ReadMessageBox(HWND box);
bool PressMessageBoxButton(HWND box, const std::string &buttonText);
