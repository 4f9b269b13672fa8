/* Finding and reading the companion's windows and message boxes from outside. */
#pragma once

#include <windows.h>

#include <string>
#include <vector>

/* A top-level window of the process with this exact caption, shown or not. */
HWND FindHiddenOrShownProcessWindow(DWORD pid, const std::string &caption);
/* A visible one, polled for until the deadline; NULL when none appeared. */
HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs);
/* Captions of every visible top-level window of the process. */
std::vector<std::string> ProcessWindowCaptions(DWORD pid);

std::string WindowText(HWND window);

/* What a message box shows. */
struct MessageBoxContent {
    std::string caption;
    std::string text;
    bool hasIcon;
    std::vector<std::string> buttons;  /* texts of the visible buttons */
};
MessageBoxContent ReadMessageBox(HWND box);

/* Clicks the box's button with this text (for example "OK"). */
bool PressMessageBoxButton(HWND box, const std::string &buttonText);
