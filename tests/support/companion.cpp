#include "support/companion.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

std::string BuildPath(const std::string &relative)
{
    std::string path = std::string(ZENTU_BUILD_DIR) + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (cond())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        /* Woken by the next message; the cap also catches changes elsewhere. */
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(deadline - now < 20 ? deadline - now : 20), QS_ALLINPUT);
    }
}

std::string LibraryCall::Arg(int position) const
{
    if (position >= 1 && (size_t)position <= args.size())
        return args[position - 1];
    ADD_FAILURE() << "no argument " << position << " in " << name;
    return "";
}

std::string LibraryCall::Text(int position) const
{
    std::string field = Arg(position);
    size_t equals = field.find('=');
    if (equals == std::string::npos) {
        ADD_FAILURE() << "argument " << position << " carries no text: " << field;
        return "";
    }
    std::string text;
    for (size_t i = equals + 1; i < field.size(); i++) {
        bool escaped = field[i] == '%' && i + 2 < field.size();   /* %XX: a byte in hexadecimal */
        text += escaped ? (char)strtoul(field.substr(i + 1, 2).c_str(), NULL, 16) : field[i];
        i += escaped ? 2 : 0;
    }
    return text;
}

std::string UniqueTempFolder(const char *prefix)
{
    static int counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) +
           "-" + std::to_string(GetTickCount());
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
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
    EXPECT_TRUE(CopyFileA(BuildPath("install-test/zentu64.exe").c_str(), ExePath().c_str(), FALSE));
    EXPECT_TRUE(variant.empty() || CopyFileA(BuildPath("standin/" + variant + "/zentu64.dll").c_str(),
                                             (path_ + "\\zentu64.dll").c_str(), FALSE))
        << "stand-in variant " << variant;
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
        std::vector<std::string> args(fields.begin() + 2, fields.end());
        calls.push_back({ fields[0], strtoull(fields[1].c_str(), NULL, 10) / 1000.0, args });
    }
    return calls;
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
    WaitUntil([&] { return pred(calls = Calls()); }, timeoutMs);
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

bool CompanionProcess::Start(const std::string &exePath, const std::string &arguments,
                             const std::string &currentFolder, HANDLE output)
{
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string folder = currentFolder.empty() ? exePath.substr(0, exePath.rfind('\\')) : currentFolder;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
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

CompanionProcess::~CompanionProcess()
{
    if (Running())
        TerminateProcess(info_.hProcess, 99);
    WaitExit(10000);
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    /* GetWindowText would not ask another process's window for its text. */
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    return text;
}

static BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(window);
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, const std::string &caption, bool hiddenToo)
{
    std::vector<HWND> all;
    EnumWindows(CollectWindow, (LPARAM)&all);
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && (hiddenToo || IsWindowVisible(window)) && WindowText(window) == caption)
            return window;
    }
    return NULL;
}

HWND WaitForProcessWindow(DWORD pid, const std::string &caption, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = FindProcessWindow(pid, caption, false)) != NULL; }, timeoutMs);
    return found;
}

static std::vector<HWND> Children(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, CollectWindow, (LPARAM)&children);
    return children;
}

static bool IsClass(HWND window, const char *name)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content{ "", false, {} };
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child))
            continue;
        if (IsClass(child, "Button"))
            content.buttons.push_back(WindowText(child));
        else if (IsClass(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            content.hasIcon = content.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        else if (IsClass(child, "Static") && content.text.empty())
            content.text = WindowText(child);
    }
    return content;
}

bool PressMessageBoxButton(HWND box, const std::string &buttonText)
{
    for (HWND child : Children(box))
        if (IsClass(child, "Button") && WindowText(child) == buttonText) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), (LPARAM)child);
            return true;
        }
    return false;
}
