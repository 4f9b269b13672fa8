/* The companion in a fresh program folder beside a stand-in library, the record of its calls, its windows and
 * boxes seen from outside, and input as a user gives it. */
#pragma once

#include "support/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

/* A path inside the build folder, as the Windows side sees it. */
std::string BuildPath(const std::string &relative);

/* A call the stand-in library or a fake received; args[0] is position 1. */
struct LibraryCall {
    std::string name;
    double timeMs;
    std::vector<std::string> args;

    std::string Arg(int position) const; /* empty, and a failure, when there is none */
    UINT32 Number(int position) const { return (UINT32)strtoul(Arg(position).c_str(), NULL, 10); }
    unsigned long long Address(int position) const { return strtoull(Arg(position).c_str(), NULL, 16); }
    std::string Text(int position) const;          /* the text behind one of the five text addresses */
};

/* The offset of a module's export from the module's base; 0 when it has none. */
UINT32 ExportOffset(HMODULE module, const char *name);

std::vector<LibraryCall> ReadCalls(const std::string &path);

/* A temporary program folder holding the installed zentu64.exe (under exeName) and the stand-in library of one
 * variant ("normal", "no_version", ...), removed when it goes; padTo: the path's least length, with nested folders. */
class CompanionFolder {
public:
    explicit CompanionFolder(const std::string &variant, const std::string &exeName = "zentu64.exe",
                           size_t padTo = 0);
    ~CompanionFolder();
    const std::string &Path() const { return path_; }
    std::string ExePath() const { return path_ + "\\" + exeName_; }

    std::vector<LibraryCall> Calls() const { return ReadCalls(path_ + "\\zentu64-calls.log"); }
    std::vector<LibraryCall> SetupCalls() const;
    /* The record as last read, once pred holds or the deadline passed. */
    std::vector<LibraryCall> WaitForCalls(const std::function<bool(const std::vector<LibraryCall> &)> &pred,
                                          DWORD timeoutMs) const;

private:
    std::string root_;
    std::string path_;
    std::string exeName_;
};

/* The companion process; killed when it goes if it still runs. */
class CompanionProcess {
public:
    ~CompanionProcess();

    /* Runs in its own folder, or in currentFolder when given; with output, windowless and writing there. */
    bool Start(const std::string &exePath, const std::string &arguments = "", const std::string &currentFolder = "",
               HANDLE output = NULL);
    /* The exit code, or -1 when the process is still running at the deadline. */
    long WaitExit(DWORD timeoutMs);
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Pid() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

/* A new path under the temporary folder (not created). */
std::string UniqueTempFolder(const char *prefix);
std::string ReadWholeFile(const std::string &path);

/* Dispatches the test thread's messages (and the low-level hook calls the
 * system sends it) until cond holds or the deadline passes. */
bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs);
inline void PumpFor(DWORD milliseconds) { WaitUntil([] { return false; }, milliseconds); }

/* The first ZentuSetup carrying the hook handles; -1 when there is none. */
int FirstCallWithHooks(const std::vector<LibraryCall> &calls);
/* That call and the one after the first refresh are in. */
bool StartedUp(const std::vector<LibraryCall> &calls);
bool HasShutdownCall(const std::vector<LibraryCall> &calls);
/* The last call is a ZentuSetup, and it alone carries the shutdown flag. */
void ExpectOneShutdownCallAtTheEnd(const std::vector<LibraryCall> &calls);

/* Every end-to-end test starts without the settings key and puts it back. */
class CompanionTest : public testing::Test {
protected:
    ScopedKeyRestore settingsKey_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };

    static void SetRunning(DWORD running) { SetSetting("Running", running); }
};

/* A top-level window of the process with this exact caption, a visible one
 * unless hiddenToo; NULL when none. */
HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo);
/* A visible one, polled for until the deadline. */
HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs);
std::string WindowText(HWND window);

struct MessageBoxContent {
    std::string text;
    bool hasIcon;
    std::vector<std::string> buttons; /* texts of the visible buttons */
};
MessageBoxContent ReadMessageBox(HWND box);
bool PressMessageBoxButton(HWND box, const std::string &buttonText);

/* A key pressed and released through SendInput, with its scan code. */
inline void PressKey(WORD vk)
{
    INPUT input[2] = {};
    for (int i = 0; i < 2; i++) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = vk;
        input[i].ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
        input[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, input, sizeof *input);
}
