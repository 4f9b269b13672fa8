#include "support/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

std::string BuildPath(const std::string &relative)
{
    std::string path = std::string(ZENTU_BUILD_DIR) + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string SystemFolderPath(const std::string &file)
{
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof folder);
    if (file.empty())
        return folder;
    return std::string(folder) + "\\" + file;
}

std::string UniqueTempFolder(const char *prefix)
{
    static int counter;
    counter++;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter) +
           "-" + std::to_string(GetTickCount());
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TouchFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
    CloseHandle(file);
}

/* Every process a test starts belongs to this job, which kills them when the
 * test process ends, also at a test runner's time-out: a companion left
 * behind would hold the single-instance mutex and fail every later test. */
static HANDLE NewJob(void)
{
    HANDLE job = CreateJobObjectA(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}
static const HANDLE CompanionJob = NewJob();

bool CompanionProcess::Start(const std::string &exePath, const std::string &arguments,
                             const std::string &currentFolder, HANDLE output)
{
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string folder = currentFolder.empty() ? exePath.substr(0, exePath.rfind('\\')) : currentFolder;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], NULL, NULL, output != NULL, output ? CREATE_NO_WINDOW : 0,
                        NULL, folder.c_str(), &startup, &info_)) {
        ADD_FAILURE() << "cannot start " << exePath << ": error " << GetLastError();
        return false;
    }
    AssignProcessToJobObject(CompanionJob, info_.hProcess);
    CloseHandle(info_.hThread);
    return true;
}

long CompanionProcess::WaitExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code))
        return -1;
    return (long)code;
}

bool CompanionProcess::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CompanionProcess::Pid() const
{
    return info_.dwProcessId;
}

CompanionProcess::~CompanionProcess()
{
    if (Running())
        TerminateProcess(info_.hProcess, 99);
    WaitExit(10000);
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
}
