/* Processes the tests start, in a job that ends them with the test, and the files and folders around them. */
#pragma once

#include <windows.h>

#include <string>

/* A path inside the build folder, as the Windows side sees it. */
std::string BuildPath(const std::string &relative);
/* The system folder, or a file in it. */
std::string SystemFolderPath(const std::string &file = "");

/* A new path under the temporary folder (not created). */
std::string UniqueTempFolder(const char *prefix);
std::string ReadWholeFile(const std::string &path);
bool FileExists(const std::string &path);
/* Creates an empty file, as the stand-in's triggers want it. */
void TouchFile(const std::string &path);

/* The companion process; killed when it goes if it still runs. */
class CompanionProcess {
public:
    ~CompanionProcess();

    /* Runs in its own folder, or in currentFolder when given; with output, windowless and writing there. */
    bool Start(const std::string &exePath, const std::string &arguments = "", const std::string &currentFolder = "",
               HANDLE output = NULL);
    /* The exit code, or -1 when the process is still running at the deadline. */
    long WaitExit(DWORD timeoutMs);
    bool Running() const;
    DWORD Pid() const;

private:
    PROCESS_INFORMATION info_ = {};
};

/* An environment variable of the test, inherited by the processes it starts meanwhile; removed when it goes. */
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const char *value) : name_(name) { SetEnvironmentVariableA(name, value); }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), NULL); }

private:
    std::string name_;
};
