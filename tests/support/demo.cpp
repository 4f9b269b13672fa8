#include "support/demo.h"

#include <stdlib.h>

bool DemoGame::Start(const std::string &exe, const std::string &arguments)
{
    outputPath_ = UniqueTempFolder("zentu-game") + ".txt";
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE output = CreateFileA(outputPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                                CREATE_ALWAYS, 0, NULL);
    bool started = process_.Start(BuildPath(exe), arguments, "", output);
    CloseHandle(output);
    return started;
}

DemoGame::~DemoGame()
{
    if (!outputPath_.empty())
        DeleteFileA(outputPath_.c_str());
}

static BOOL CALLBACK CloseGameWindow(HWND window, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == (DWORD)pid)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void DemoGame::Close() const
{
    EnumWindows(CloseGameWindow, (LPARAM)process_.Pid());
}

long DemoGame::Frames() const
{
    std::string output = ReadWholeFile(outputPath_);
    size_t at = output.find("frames=");
    return at == std::string::npos ? -1 : strtol(output.c_str() + at + 7, NULL, 10);
}

std::vector<FrameLine> FrameLines(const std::vector<LibraryCall> &record, DWORD pid)
{
    std::vector<FrameLine> lines;
    for (const LibraryCall &line : record)
        if (line.name == "ZentuFrames" && line.args.size() == 6 && line.Number(1) == pid)
            lines.push_back({ line.args[2], line.args[3], strtoull(line.args[4].c_str(), NULL, 10) });
    return lines;
}

FrameLine LastFrameLine(const std::vector<FrameLine> &lines, const std::string &entry)
{
    FrameLine last = { entry, "", 0 };
    for (const FrameLine &line : lines)
        if (line.entry == entry)
            last = line;
    return last;
}
