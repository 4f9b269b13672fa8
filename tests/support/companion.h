/* The companion in a fresh program folder beside a stand-in library, and the record of calls. */
#pragma once

#include "support/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

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

    UINT32 Number(int position) const;
    unsigned long long Address(int position) const; /* a hook handle or address */
    /* The text behind one of the five text addresses. */
    std::string Text(int position) const;
};

/* The offset of a module's export from the module's base; 0 when it has none. */
UINT32 ExportOffset(HMODULE module, const char *name);

/* The calls of a record file written through support/call_record.h. */
std::vector<LibraryCall> ReadCalls(const std::string &path);

/* A temporary program folder holding zentu64.exe (under exeName) and the
 * stand-in library of one variant ("normal", "no_version", ...), removed when
 * it goes. padTo pads the path to at least that length with nested folders. */
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

    /* Starts the program in its own folder, or in currentFolder when given. */
    bool Start(const std::string &exePath, const std::string &arguments = "", const std::string &currentFolder = "");
    /* The exit code, or -1 when the process is still running at the deadline. */
    long WaitExit(DWORD timeoutMs);
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Pid() const { return info_.dwProcessId; }

private:
    friend long RunCapturingOutput(const std::string &exePath, DWORD timeoutMs, std::string *output);
    bool Launch(const std::string &exePath, const std::string &arguments, const std::string &folder, HANDLE output);
    PROCESS_INFORMATION info_ = {};
};

/* A new path under the temporary folder (not created). */
std::string UniqueTempFolder(const char *prefix);

/* A file's whole content; empty when it cannot be read. */
std::string ReadWholeFile(const std::string &path);

/* Polls cond every 20 ms until it holds or the deadline passes. */
bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs);

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

/* Runs a program without a window, its output going to *output; the exit
 * code, or -1 (and killed) when it still ran at the deadline. */
long RunCapturingOutput(const std::string &exePath, DWORD timeoutMs, std::string *output);
