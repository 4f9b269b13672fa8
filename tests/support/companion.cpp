#include "support/companion.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#ifndef ZENTU_BUILD_DIR
#error "ZENTU_BUILD_DIR must name the build folder"
#endif

std::string BuildPath(const std::string &relative)
{
    std::string path = std::string(ZENTU_BUILD_DIR) + "/" + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(20);
    }
}

UINT32 LibraryCall::Number(int position) const
{
    if (position < 1 || (size_t)position > args.size()) {
        ADD_FAILURE() << "no argument " << position << " in " << name;
        return 0xDEADBEEF;
    }
    return (UINT32)strtoul(args[position - 1].c_str(), NULL, 10);
}

unsigned long long LibraryCall::Address(int position) const
{
    if (position < 1 || (size_t)position > args.size()) {
        ADD_FAILURE() << "no argument " << position << " in " << name;
        return 0;
    }
    return strtoull(args[position - 1].c_str(), NULL, 16);
}

std::string LibraryCall::Text(int position) const
{
    if (position < 1 || (size_t)position > args.size()) {
        ADD_FAILURE() << "no argument " << position << " in " << name;
        return "";
    }
    const std::string &field = args[position - 1];
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
    std::string content;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, got);
    fclose(file);
    return content;
}

static void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

CompanionFolder::CompanionFolder(const std::string &variant, const std::string &exeName, size_t padTo)
    : root_(UniqueTempFolder("zentu-test")), path_(root_), exeName_(exeName)
{
    EXPECT_TRUE(CreateDirectoryA(root_.c_str(), NULL)) << root_;
    while (path_.size() < padTo) {
        size_t room = padTo - path_.size();
        /* Each nested folder adds a backslash and at most 100 characters;
         * the last one takes what is left (at least one character). */
        size_t nameLength = room > 1 ? room - 1 : 1;
        if (nameLength > 100)
            nameLength = room - 101 >= 2 ? 100 : 90;
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
    RemoveTree(root_);
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

    size_t start = 0;
    for (;;) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos)
            break;                              /* a line still being written */
        std::string line = content.substr(start, end - start);
        start = end + 2;
        std::vector<std::string> fields;
        size_t from = 0;
        for (;;) {
            size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (fields.size() < 2)
            continue;
        LibraryCall call;
        call.name = fields[0];
        call.timeMs = strtoull(fields[1].c_str(), NULL, 10) / 1000.0;
        call.args.assign(fields.begin() + 2, fields.end());
        calls.push_back(call);
    }
    return calls;
}

std::vector<LibraryCall> CompanionFolder::Calls() const
{
    return ReadCalls(LogPath());
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

std::vector<LibraryCall> CompanionFolder::SetupCalls() const
{
    std::vector<LibraryCall> setups;
    for (const LibraryCall &call : Calls())
        if (call.name == "ZentuSetup")
            setups.push_back(call);
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

CompanionProcess::~CompanionProcess()
{
    Kill();
}

/* Every companion a test starts belongs to this job, which kills them when
 * the test process ends, also when a test runner kills it at a time-out: a
 * companion left behind would hold the single-instance mutex and fail every
 * later test. */
static HANDLE CompanionJob(void)
{
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectA(NULL, NULL);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created)
            SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return created;
    }();
    return job;
}

bool CompanionProcess::Start(const std::string &exePath, const std::string &arguments,
                             const std::string &currentFolder)
{
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string folder = currentFolder.empty() ? exePath.substr(0, exePath.rfind('\\')) : currentFolder;
    if (!CreateProcessA(exePath.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                        &info_)) {
        ADD_FAILURE() << "cannot start " << exePath << ": error " << GetLastError();
        return false;
    }
    if (CompanionJob())
        AssignProcessToJobObject(CompanionJob(), info_.hProcess);
    CloseHandle(info_.hThread);
    info_.hThread = NULL;
    return true;
}

long CompanionProcess::WaitExit(DWORD timeoutMs)
{
    if (!info_.hProcess)
        return -1;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return (long)code;
}

bool CompanionProcess::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void CompanionProcess::Kill()
{
    if (!info_.hProcess)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hProcess);
    info_ = {};
}

long RunCapturingOutput(const std::string &exePath, DWORD timeoutMs, std::string *output)
{
    std::string path = UniqueTempFolder("zentu-output") + ".txt";
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    std::string commandLine = "\"" + exePath + "\"";
    PROCESS_INFORMATION process = {};
    BOOL started = file != INVALID_HANDLE_VALUE &&
                   CreateProcessA(exePath.c_str(), &commandLine[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL,
                                  &startup, &process);
    CloseHandle(file);
    EXPECT_TRUE(started) << "cannot start " << exePath << ": error " << GetLastError();
    long code = -1;
    if (started) {
        CloseHandle(process.hThread);
        DWORD exitCode = 0;
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &exitCode))
            code = (long)exitCode;
        else
            TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
    }
    *output = ReadWholeFile(path);
    DeleteFileA(path.c_str());
    return code;
}
