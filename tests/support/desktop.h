/* Windows and message boxes of another process seen from outside, and the waits that pump the test's messages. */
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

/* Dispatches the test thread's messages (and the system's low-level hook calls) until cond holds or the deadline. */
bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs);
void PumpFor(DWORD milliseconds);

/* A top-level window of the process with this exact caption, a visible one unless hiddenToo; NULL when none. */
HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo);
/* A visible one, polled for until the deadline. */
HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs);
std::string WindowText(HWND window);
/* A button, as a click on it sends its command, waiting at most 5 s for a hung page. */
void ClickButton(HWND button);

struct MessageBoxContent {
    std::string text;
    bool hasIcon;
    /* The visible buttons. */
    std::vector<std::string> buttons;
};
MessageBoxContent ReadMessageBox(HWND box);
bool PressMessageBoxButton(HWND box, const std::string &buttonText);

/* A box as it was answered; found is false when none came. */
struct AnsweredBox {
    bool found;
    MessageBoxContent content;
    HWND owner;
};
/* Waits for a visible box of the process with this caption, reads it and presses the button. */
AnsweredBox AnswerMessageBox(DWORD pid, const std::string &caption, const std::string &button, DWORD timeoutMs);
