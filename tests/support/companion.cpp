#include "support/companion.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string BuildPath(const std::string &relative)
{
    std::string path = std::string(ZENTU_BUILD_DIR) + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!cond()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(20);
    }
    return true;
}

/* The field at a 1-based position; empty, and a failure, when there is none. */
static std::string Argument(const LibraryCall &call, int position)
{
    if (position >= 1 && (size_t)position <= call.args.size())
        return call.args[position - 1];
    ADD_FAILURE() << "no argument " << position << " in " << call.name;
    return "";
}

UINT32 LibraryCall::Number(int position) const
{
    return (UINT32)strtoul(Argument(*this, position).c_str(), NULL, 10);
}

unsigned long long LibraryCall::Address(int position) const
{
    return strtoull(Argument(*this, position).c_str(), NULL, 16);
}

std::string LibraryCall::Text(int position) const
{
    std::string field = Argument(*this, position);
    size_t equals = field.find('=');
    if (equals == std::string::npos) {
        ADD_FAILURE() << "argument " << position << " carries no text: " << field;
        return "";
    }
    std::string text;
    for (size_t i = equals + 1; i < field.size(); i++) {
        if (field[i] == '%' && i + 2 < field.size()) {
            text += (char)strtoul(field.substr(i + 1, 2).c_str(), NULL, 16);
            i += 2;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::string UniqueTempFolder(const char *prefix)
{
    static int counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s%s-%lu-%d-%lu", temp, prefix, GetCurrentProcessId(), ++counter,
             (unsigned long)GetTickCount());
    return name;
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

CompanionFolder::CompanionFolder(const std::string &variant, const std::string &exeName, size_t padTo)
    : root_(UniqueTempFolder("zentu-test")), path_(root_), exeName_(exeName)
{
    EXPECT_TRUE(CreateDirectoryA(root_.c_str(), NULL)) << root_;
    while (path_.size() < padTo) {
        /* Nested folders of at most 100 characters; none left with room for 1. */
        size_t room = padTo - path_.size();
        size_t nameLength = room > 101 ? (room == 102 ? 90 : 100) : std::max<size_t>(room - 1, 1);
        path_ += "\\" + std::string(nameLength, 'p');
        EXPECT_TRUE(CreateDirectoryA(path_.c_str(), NULL)) << path_;
    }
    EXPECT_TRUE(CopyFileA(BuildPath("zentu64.exe").c_str(), ExePath().c_str(), FALSE));
    if (!variant.empty()) {
        EXPECT_TRUE(CopyFileA(BuildPath("standin/" + variant + "/zentu64.dll").c_str(),
                              (path_ + "\\zentu64.dll").c_str(), FALSE))
            << "stand-in variant " << variant;
    }
}

CompanionFolder::~CompanionFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

UINT32 ExportOffset(HMODULE module, const char *name)
{
    FARPROC address = module ? GetProcAddress(module, name) : NULL;
    return address ? (UINT32)((ULONG_PTR)address - (ULONG_PTR)module) : 0;
}

std::vector<LibraryCall> ReadCalls(const std::string &path)
{
    std::vector<LibraryCall> calls;
    std::string content = ReadWholeFile(path);
    /* A last line without its end is still being written. */
    for (size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = content.substr(start, end - start);
        std::vector<std::string> fields;
        for (size_t from = 0, tab = 0; tab != std::string::npos; from = tab + 1) {
            tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
        }
        if (fields.size() < 2)
            continue;
        LibraryCall call{ fields[0], strtoull(fields[1].c_str(), NULL, 10) / 1000.0, {} };
        call.args.assign(fields.begin() + 2, fields.end());
        calls.push_back(call);
    }
    return calls;
}

std::vector<LibraryCall> CompanionFolder::SetupCalls() const
{
    std::vector<LibraryCall> setups = Calls();
    setups.erase(std::remove_if(setups.begin(), setups.end(), [](const LibraryCall &call) {
        return call.name != "ZentuSetup";
    }), setups.end());
    return setups;
}

std::vector<LibraryCall> CompanionFolder::WaitForCalls(
    const std::function<bool(const std::vector<LibraryCall> &)> &pred, DWORD timeoutMs) const
{
    std::vector<LibraryCall> calls;
    WaitUntil([&] {
        calls = Calls();
        return pred(calls);
    }, timeoutMs);
    return calls;
}

int FirstCallWithHooks(const std::vector<LibraryCall> &calls)
{
    for (size_t i = 0; i < calls.size(); i++)
        if (calls[i].name == "ZentuSetup" && calls[i].Address(1) != 0 && calls[i].Address(2) != 0)
            return (int)i;
    return -1;
}

bool StartedUp(const std::vector<LibraryCall> &calls)
{
    int hooked = FirstCallWithHooks(calls);
    return hooked >= 0 && calls.size() >= (size_t)hooked + 2;
}

bool HasShutdownCall(const std::vector<LibraryCall> &calls)
{
    return !calls.empty() && calls.back().name == "ZentuSetup" && calls.back().Number(3) == 1;
}

void ExpectOneShutdownCallAtTheEnd(const std::vector<LibraryCall> &calls)
{
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("ZentuSetup", calls.back().name);
    for (size_t i = 0; i < calls.size(); i++)
        if (calls[i].name == "ZentuSetup") {
            EXPECT_EQ(i + 1 == calls.size() ? 1u : 0u, calls[i].Number(3)) << "call " << i;
        }
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

/* With output, the process runs windowless and writes there. */
bool CompanionProcess::Launch(const std::string &exePath, const std::string &arguments, const std::string &folder,
                              HANDLE output)
{
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], NULL, NULL, output != NULL, output ? CREATE_NO_WINDOW : 0,
                        NULL, folder.empty() ? NULL : folder.c_str(), &startup, &info_)) {
        ADD_FAILURE() << "cannot start " << exePath << ": error " << GetLastError();
        return false;
    }
    AssignProcessToJobObject(CompanionJob, info_.hProcess);
    CloseHandle(info_.hThread);
    return true;
}

bool CompanionProcess::Start(const std::string &exePath, const std::string &arguments,
                             const std::string &currentFolder)
{
    std::string folder = currentFolder.empty() ? exePath.substr(0, exePath.rfind('\\')) : currentFolder;
    return Launch(exePath, arguments, folder, NULL);
}

long CompanionProcess::WaitExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code))
        return -1;
    return (long)code;
}

CompanionProcess::~CompanionProcess()
{
    if (!info_.hProcess)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hProcess);
}

long RunCapturingOutput(const std::string &exePath, DWORD timeoutMs, std::string *output)
{
    std::string path = UniqueTempFolder("zentu-output") + ".txt";
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    long code = -1;
    {
        CompanionProcess process;
        if (file != INVALID_HANDLE_VALUE && process.Launch(exePath, "", "", file))
            code = process.WaitExit(timeoutMs);
        CloseHandle(file);
    }
    *output = ReadWholeFile(path);
    DeleteFileA(path.c_str());
    return code;
}
